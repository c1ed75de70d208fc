// The installed mode: a registry value naming the executable's own folder moves the data folder into the
// user's documents. Only the build's Wine prefix is changed, and everything changed is put back.

#include "common/TempFolder.h"
#include "driver/FolivexProcess.h"
#include "driver/Restore.h"
#include "win/Handles.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

std::wstring UpperAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return text;
}

// The prefix's documents folder with the program's data folder inside it kept free, and the installation
// value under the test's control; both are put back when the test ends, however it ends.
class InstalledFolivex : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring documents = PrefixDocumentsFolder();
        if (documents.empty()) {
            GTEST_SKIP() << "the documents folder is not a private folder of the build's Wine prefix";
        }
        m_execDir.emplace(documents + L"\\Folivex");
        if (!m_execDir->Clear()) {
            GTEST_SKIP() << "the prefix's documents folder already holds Folivex data; it is left alone";
        }
        ASSERT_TRUE(m_app.Prepare());
    }

    [[nodiscard]] bool Install(const std::wstring& instDir) { return m_instDir.SetString(instDir); }
    [[nodiscard]] const std::wstring& ExecDir() const { return m_execDir->Path(); }

    CScopedRegistryValue m_instDir{HKEY_LOCAL_MACHINE, L"Software\\folivex", L"InstDir"};
    std::optional<CScopedAbsentPath> m_execDir;
    // Declared after the guards: the process is gone before they put things back.
    CFolivexProcess m_app;
};

// One way of writing the executable's folder into the registry value.
struct Spelling {
    const char* name;
    std::function<std::wstring(const std::wstring& folder)> write;
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
    *out << spelling.name;
}

class InstalledFolivexSpelling : public InstalledFolivex, public ::testing::WithParamInterface<Spelling> {};

TEST_P(InstalledFolivexSpelling, CreatesItsDataFolderInTheDocuments) {
    ASSERT_TRUE(Install(GetParam().write(m_app.DataFolder())));
    ASSERT_TRUE(m_app.Start());
    ASSERT_NE(m_app.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(IsFolder(ExecDir()));
    ASSERT_TRUE(m_app.Close());
    EXPECT_EQ(m_app.WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    InstDir, InstalledFolivexSpelling,
    ::testing::Values(Spelling{"Exact", [](const std::wstring& f) { return f; }}, Spelling{"UpperCase", UpperAscii},
                      Spelling{"TrailingBackslash", [](const std::wstring& f) { return f + L"\\"; }},
                      Spelling{"Blanks", [](const std::wstring& f) { return L"  " + f + L" "; }}),
    [](const ::testing::TestParamInfo<Spelling>& tested) { return std::string(tested.param.name); });

TEST_F(InstalledFolivex, AnotherFolderKeepsTheDataNextToTheExecutable) {
    const CTempFolder elsewhere;
    ASSERT_TRUE(Install(elsewhere.Path()));
    ASSERT_TRUE(m_app.Start());
    ASSERT_NE(m_app.WaitForMainWindow(), nullptr);
    EXPECT_FALSE(PathExists(ExecDir()));
    ASSERT_TRUE(m_app.Close());
    EXPECT_EQ(m_app.WaitForExit(), 0u);
}

TEST_F(InstalledFolivex, DataFolderThatCannotBeMadeStopsTheStart) {
    // A file of the data folder's name is in the way.
    win::CFileHandleRaii blocker(
        ::CreateFileW(ExecDir().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(blocker && blocker.Close());
    ASSERT_TRUE(Install(m_app.DataFolder()));
    ASSERT_TRUE(m_app.Start());

    const auto box = m_app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Folivex");
    EXPECT_EQ(box->text, L"実行ディレクトリの初期化処理でエラーが発生しました。");
    EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
    EXPECT_EQ(m_app.FindMainWindow(), nullptr);

    ASSERT_TRUE(PressButton(*box, IDOK));
    EXPECT_EQ(m_app.WaitForExit(), 0u);
}

} // namespace
