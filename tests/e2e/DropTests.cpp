// Dropping onto the document view of a real folivex.exe: this test process is the drag source, so each drop
// crosses processes through OLE as one from another program does.

#include "common/DropTestData.h"
#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/DropData.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace e2e;

namespace {

const std::wstring kServer = L"http://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_HTTP_PORT);

class Drops : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_app.Start());
        ASSERT_NE(m_app.WaitForMainWindow(), nullptr);
        ASSERT_TRUE(WaitForNoDialog(m_app));
    }
    void TearDown() override {
        if (m_app.IsRunning() && m_app.Close()) {
            (void)m_app.WaitForExit();
        }
    }

    // Drags the bytes onto the middle of the document view and drops them there; the effect the view chose.
    DWORD DropOnView(CLIPFORMAT format, const std::string& bytes) {
        const HWND view = ::FindWindowExW(m_app.MainWindow(), nullptr, L"HH View", nullptr);
        EXPECT_NE(view, nullptr);
        RECT area{};
        ::GetWindowRect(view, &area);
        return DragFromHere({(area.left + area.right) / 2, (area.top + area.bottom) / 2}, format, bytes,
                            DROPEFFECT_COPY | DROPEFFECT_LINK);
    }

    void CloseApp() {
        ASSERT_TRUE(m_app.Close());
        ASSERT_EQ(m_app.WaitForExit(), 0u);
    }

    CFolivexProcess m_app;
};

TEST_F(Drops, OneDroppedFileOpensAndTwoAreRefused) {
    EXPECT_EQ(DropOnView(CF_HDROP, FileList({TestDocument(L"alpha"), TestDocument(L"beta")})),
              static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(m_app.Caption(), L"Folivex");
    EXPECT_EQ(DropOnView(CF_HDROP, FileList({TestDocument(L"beta")})), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_TRUE(m_app.WaitForCaption(L"Beta Document - Folivex"));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].file.path, TestDocument(L"beta"));
}

TEST_F(Drops, ADraggedHttpLinkDownloadsAndAMailLinkIsRefused) {
    EXPECT_EQ(DropOnView(CF_TEXT, "mailto:someone@example.com"), static_cast<DWORD>(DROPEFFECT_NONE));
    const std::wstring address = kServer + L"/doc/alpha.chm";
    EXPECT_EQ(DropOnView(CF_TEXT, std::string(address.begin(), address.end())), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_TRUE(m_app.WaitForCaption(L"Alpha Document - Folivex"));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].url.address, address);
}

} // namespace
