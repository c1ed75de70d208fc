// The stores load when the main frame starts: a file that cannot be read is reported, the others still load.

#include "common/TestFiles.h"
#include "driver/FolivexProcess.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {


TEST(StoreReload, EachUnreadableFileIsReportedInStoreOrderAndNeverOverwritten) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Prepare());
    const std::wstring settings = app.DataFolder() + L"\\folivex.xml";
    const std::wstring library = app.DataFolder() + L"\\chmlib.xml";
    const std::wstring keys = app.DataFolder() + L"\\chmkey.xml";
    ASSERT_TRUE(WriteBytes(settings, kXmlHeader + "<setting><unknown /></setting>"));
    ASSERT_TRUE(WriteBytes(library, kXmlHeader + "<library><folder title=\"cut off"));
    ASSERT_TRUE(WriteBytes(keys, kXmlHeader + "<shortkey />"));
    ASSERT_TRUE(app.Start());

    const std::wstring expected[] = {
        L"設定の更新処理でエラーが発生しました。\n",
        L"ライブラリの更新処理でエラーが発生しました。\n",
        L"ショートカットキーの更新処理でエラーが発生しました。\n",
    };
    for (const std::wstring& start : expected) {
        const auto box = app.WaitForMessageBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, L"Folivex");
        EXPECT_EQ(box->text.rfind(start, 0), 0u);
        EXPECT_NE(box->text.find(L"XmlReader:"), std::wstring::npos);
        ASSERT_TRUE(PressButton(*box, IDOK));
        // The next box comes only after this one is gone.
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
    }
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(ReadBytes(settings), kXmlHeader + "<setting><unknown /></setting>");
    EXPECT_EQ(ReadBytes(library), kXmlHeader + "<library><folder title=\"cut off");
    EXPECT_EQ(ReadBytes(keys), kXmlHeader + "<shortkey />");
}

TEST(StoreReload, ReadableFilesLoadWithoutAnyMessage) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Prepare());
    ASSERT_TRUE(
        WriteBytes(app.DataFolder() + L"\\chmkey.xml", kXmlHeader + "<shortkey><table name=\"main\" /></shortkey>"));
    ASSERT_TRUE(app.Start());
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    EXPECT_FALSE(app.WaitForMessageBox(std::chrono::milliseconds(1500)).has_value());
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

TEST(StoreReload, AStoreFileAnotherProgramWritesIsReloadedWhileRunning) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Start());
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    ASSERT_FALSE(app.WaitForMessageBox(std::chrono::milliseconds(500)).has_value());

    // The layout file is not watched: nothing happens.
    ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\chmlay.xml", kXmlHeader + "<layout><window /></layout>"));
    // A key file written by someone else is read at once; this one cannot be, which the program says.
    ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\chmkey.xml", kXmlHeader + "<shortkey />"));
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind(L"ショートカットキーの更新処理でエラーが発生しました。\n", 0), 0u);
    ASSERT_TRUE(PressButton(*box, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

} // namespace
