#include "ToolsTestSupport.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "tools/DlgFile.h"
#include "tools/FileDlgRules.h"
#include "win/Strings.h"

#include "resource.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

using tools::SaveVerdict;

bool MakeFolder(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool MakeFile(const std::wstring& path) {
    return WriteBytes(path, "");
}

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(FileDlgRules, FilterHoldsLabelsAndPatternsEachEndedByNul) {
    EXPECT_EQ(tools::BuildFilter(IDS_FILTER_DOC, L"chm"),
              L"ドキュメントファイル (*.chm)\0*.chm\0すべてのファイル (*.*)\0*.*\0\0"s);
    EXPECT_EQ(tools::BuildFilter(IDS_FILTER_DATA, L"xml"),
              L"データファイル (*.xml)\0*.xml\0すべてのファイル (*.*)\0*.*\0\0"s);
}

TEST(FileDlgRules, DefaultFolderResolvesAgainstTheExecutionDirectoryOnly) {
    CTempFolder exec;
    CTempFolder elsewhere;
    ASSERT_TRUE(MakeFolder(exec.File(L"docs")));
    ASSERT_TRUE(MakeFolder(exec.File(L"data")));
    // The current directory has a "docs" too: taking it would be the mistake this guards against.
    ASSERT_TRUE(MakeFolder(elsewhere.File(L"docs")));
    const std::wstring before = CurrentDirectory();
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.Path().c_str()));
    const std::wstring rootRelative = exec.Path().substr(2) + L"\\docs";

    const struct {
        bool enable;
        std::wstring folder;
        std::wstring expected;
    } cases[] = {
        {false, L"docs", L""},
        {true, L"", L""},
        {true, L"docs", exec.File(L"docs")},
        {true, L"docs\\", exec.File(L"docs")},
        {true, L"  docs ", exec.File(L"docs")},
        {true, L"docs\\..\\data", exec.File(L"data")},
        {true, L"missing", L""},
        {true, exec.File(L"docs"), exec.File(L"docs")},
        {true, rootRelative, exec.File(L"docs")},
        {true, exec.Path().substr(0, 2) + L"docs", exec.File(L"docs")},
        {true, exec.File(L"docs.chm"), L""},
    };
    for (const auto& c : cases) {
        const std::wstring resolved = tools::ResolveDefaultFolder({c.enable, c.folder}, exec.Path());
        EXPECT_TRUE(win::EqualsNoCaseAscii(resolved, c.expected)) << c.folder << L" -> " << resolved;
    }
    EXPECT_TRUE(win::EqualsNoCaseAscii(CurrentDirectory(), elsewhere.Path()));
    ::SetCurrentDirectoryW(before.c_str());
}

TEST(FileDlgRules, DocumentCopyRefusesTheOpenDocumentAndAsksBeforeOverwriting) {
    CTempFolder folder;
    const std::wstring open = folder.File(L"Open.chm");
    ASSERT_TRUE(MakeFile(open));
    ASSERT_TRUE(MakeFile(folder.File(L"other.chm")));
    const struct {
        std::wstring path;
        std::wstring openDocument;
        SaveVerdict expected;
    } cases[] = {
        {open, open, SaveVerdict::RefuseOpenDocument},
        {Upper(open), open, SaveVerdict::RefuseOpenDocument},
        {folder.File(L"sub\\..\\open.chm"), open, SaveVerdict::RefuseOpenDocument},
        {folder.File(L"other.chm"), open, SaveVerdict::AskOverwrite},
        {folder.File(L"new.chm"), open, SaveVerdict::Accept},
        {open, L"", SaveVerdict::AskOverwrite},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tools::CheckDocSaveTarget(c.path, c.openDocument), c.expected) << c.path;
    }
}

TEST(FileDlgRules, DataFileRefusesExistingFilesOfTheDataFolderOnly) {
    CTempFolder folder;
    const std::wstring data = folder.File(L"data");
    ASSERT_TRUE(MakeFolder(data));
    ASSERT_TRUE(MakeFolder(data + L"\\sub"));
    ASSERT_TRUE(MakeFile(data + L"\\chmlib.xml"));
    ASSERT_TRUE(MakeFile(data + L"\\sub\\lib.xml"));
    ASSERT_TRUE(MakeFile(folder.File(L"lib.xml")));
    const struct {
        std::wstring path;
        std::wstring dataFolder;
        SaveVerdict expected;
    } cases[] = {
        {data + L"\\chmlib.xml", data, SaveVerdict::RefuseDataFolder},
        {Upper(data + L"\\chmlib.xml"), data + L"\\", SaveVerdict::RefuseDataFolder},
        {data + L"\\new.xml", data, SaveVerdict::Accept},
        {data + L"\\sub\\lib.xml", data, SaveVerdict::AskOverwrite},
        {folder.File(L"lib.xml"), data, SaveVerdict::AskOverwrite},
        {data, folder.Path(), SaveVerdict::Accept},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tools::CheckDataSaveTarget(c.path, c.dataFolder), c.expected) << c.path;
    }
}

// The file dialogs under the platform: the hook relabels the read-only box, centres the dialog and has the
// last word on OK.
class FileDialogLive : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_exec.Path());
        ASSERT_TRUE(MakeFolder(m_exec.File(L"docs")));
        data::CDataSetFileDlg section = m_settings.GetFileDlg();
        section.doc = {true, L"docs"};
        ASSERT_TRUE(m_settings.SetFileDlg(section));
    }
    // Finds the dialog and reads what the hook made of it; false while it is not there yet.
    bool Inspect() {
        m_dialog = FindOwnedDialog(m_owner.hwnd);
        if (!m_dialog) {
            return false;
        }
        const HWND box = ::GetDlgItem(m_dialog, chx1);
        RECT boxRect{}, client{};
        ::GetWindowRect(box, &boxRect);
        ::MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&boxRect), 2);
        ::GetClientRect(m_dialog, &client);
        m_label = WindowText(box);
        m_boxUsable = ::IsWindowVisible(box) && ::IsWindowEnabled(box) && boxRect.bottom <= client.bottom;
        m_boxChecked = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        m_offCentre = CentreDistance(m_dialog, m_owner.hwnd);
        wchar_t folder[MAX_PATH] = {};
        ::SendMessageW(m_dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
        m_folder = folder;
        return true;
    }
    void Submit(const std::wstring& name) const {
        ::SendMessageW(m_dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
        ::PostMessageW(m_dialog, WM_COMMAND, IDOK, 0);
    }
    void Bail() const {
        if (const HWND box = m_dialog ? FindOwnedDialog(m_dialog) : nullptr) {
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
        ::PostMessageW(FindOwnedDialog(m_owner.hwnd), WM_COMMAND, IDCANCEL, 0);
    }

    CTempFolder m_exec;
    data::CDataSetting m_settings;
    COwnerWindow m_owner;
    HWND m_dialog = nullptr;
    std::wstring m_label, m_folder;
    bool m_boxUsable = false, m_boxChecked = false;
    LONG m_offCentre = -1;
};

TEST_F(FileDialogLive, OpenStartsInTheDefaultFolderAndReturnsTheNewWindowBox) {
    ASSERT_TRUE(MakeFile(m_exec.File(L"docs\\a.chm")));
    CModalScript script(
        [this] {
            if (!Inspect()) {
                return false;
            }
            ::SendMessageW(::GetDlgItem(m_dialog, chx1), BM_CLICK, 0, 0);
            Submit(L"a.chm");
            return true;
        },
        [this] { Bail(); });
    tools::CDlgFileDocOpen dialog(m_settings, m_exec.Path());
    const bool ok = dialog.Show(m_owner.hwnd, L"", false);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(m_label, win::LoadStr(IDS_OPEN_NEW_WINDOW));
    EXPECT_TRUE(m_boxUsable);
    EXPECT_FALSE(m_boxChecked);
    EXPECT_TRUE(win::EqualsNoCaseAscii(m_folder, m_exec.File(L"docs"))) << m_folder;
    EXPECT_LE(m_offCentre, 2);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(win::EqualsNoCaseAscii(dialog.Path(), m_exec.File(L"docs\\a.chm"))) << dialog.Path();
    EXPECT_TRUE(dialog.NewWindow());
}

TEST_F(FileDialogLive, SavingOntoTheOpenDocumentIsRefusedAndTheDialogStays) {
    const std::wstring open = m_exec.File(L"docs\\Open.chm");
    ASSERT_TRUE(MakeFile(open));
    std::wstring refusal;
    bool stayed = false;
    int stage = 0;
    CModalScript script(
        [&] {
            const HWND box = m_dialog ? FindOwnedDialog(m_dialog) : nullptr;
            if (stage == 0 && Inspect()) {
                Submit(Upper(open));
                stage = 1;
            } else if (stage == 1 && box) {
                refusal = WindowText(::GetDlgItem(box, 0xFFFF));
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                stage = 2;
            } else if (stage == 2 && !box) {
                stayed = ::IsWindowVisible(m_dialog) != FALSE;
                ::PostMessageW(m_dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            return false;
        },
        [this] { Bail(); });
    tools::CDlgFileDocSave dialog(m_settings, m_exec.Path());
    EXPECT_FALSE(dialog.Show(m_owner.hwnd, L"copy.chm", open, true));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(m_label, win::LoadStr(IDS_SAVE_OPEN_NEW_WINDOW));
    EXPECT_TRUE(m_boxUsable);
    EXPECT_TRUE(m_boxChecked);
    EXPECT_EQ(refusal, win::LoadStr(IDS_SAVE_ONTO_OPEN));
    EXPECT_TRUE(stayed);
}

} // namespace
