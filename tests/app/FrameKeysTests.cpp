#include "app/AppMessages.h"
#include "app/ExeInfo.h"
#include "app/MainFrame.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "win/MessageLoop.h"
#include "win/Module.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

namespace {

// Records the commands that reach the frame and keeps them from it: they would open its modal dialogs.
LRESULT CALLBACK RecordCommands(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_COMMAND) {
        reinterpret_cast<std::vector<UINT>*>(ref)->push_back(LOWORD(wp));
        return 0;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

class CDocumentKeysStub : public IDocumentKeys {
public:
    bool shown = false;
    HWND target = nullptr;
    int viewerCalls = 0;
    bool IsShowingDocument() const override { return shown; }
    HWND CommandTarget() const override { return target; }
    bool TranslateViewerKeys(MSG&) override {
        ++viewerCalls;
        return false;
    }
};

class FrameKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ExeInfo::Set({ExeModeStandalone, m_folder.Path()}, L"C:\\folivex.exe");
        ASSERT_TRUE(win::CAppModule::AddMessageLoop(&m_loop));
    }
    void TearDown() override {
        if (m_frame.m_hWnd) {
            ::RemoveWindowSubclass(m_frame.m_hWnd, &RecordCommands, 1);
            m_frame.Destroy();
        }
        MSG quit{};
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        SetControl(false);
        (void)win::CAppModule::RemoveMessageLoop();
    }

    void StartFrame() {
        ASSERT_NE(m_frame.CreateFrame(), nullptr);
        ASSERT_TRUE(::SetWindowSubclass(m_frame.m_hWnd, &RecordCommands, 1, reinterpret_cast<DWORD_PTR>(&m_commands)));
        // The frame loads its stores from the message it posted to itself at creation; the command line it
        // would read is this test program's.
        MSG msg{};
        while (::PeekMessageW(&msg, m_frame.m_hWnd, WM_APP_CMDLINE, WM_APP_CMDLINE, PM_REMOVE)) {
        }
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&msg);
        }
    }
    static void SetControl(bool down) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    // A key press as the loop retrieves it, offered to the loop's filters.
    bool Press(UINT key) {
        MSG msg{m_frame.m_hWnd, WM_KEYDOWN, key, 1, 0, {}};
        return m_loop.PreTranslateMessage(msg);
    }

    CTempFolder m_folder;
    win::CMessageLoop m_loop;
    CMainFrame m_frame;
    std::vector<UINT> m_commands;
};

TEST_F(FrameKeys, DefaultShortcutsOfTheMainWindowReachTheFrame) {
    StartFrame();
    SetControl(true);
    EXPECT_TRUE(Press('O'));
    SetControl(false);
    EXPECT_TRUE(Press(VK_F11));
    EXPECT_FALSE(Press('O')); // plain O is no shortcut
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_FILE_OPEN, ID_SHOW_FULL}));
}

TEST_F(FrameKeys, NothingIsTranslatedWhileAModalWindowDisablesTheFrame) {
    StartFrame();
    ::EnableWindow(m_frame.m_hWnd, FALSE);
    SetControl(true);
    EXPECT_FALSE(Press('O'));
    EXPECT_TRUE(m_commands.empty());
    ::EnableWindow(m_frame.m_hWnd, TRUE);
    EXPECT_TRUE(Press('O'));
    EXPECT_EQ(m_commands.size(), 1u);
}

TEST_F(FrameKeys, TheViewsKeysComeFirstButOnlyWhileItShowsADocument) {
    StartFrame();
    CDocumentKeysStub view;
    view.target = m_frame.m_hWnd; // the commands land where the recorder sees them
    m_frame.SetDocumentKeys(&view);
    EXPECT_FALSE(Press(VK_F5));     // no document: F5 of the view is not translated
    EXPECT_EQ(view.viewerCalls, 1); // the viewer still gets its own chance
    view.shown = true;
    EXPECT_TRUE(Press(VK_F5));
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_TOPIC_REFRESH}));
    m_frame.SetDocumentKeys(nullptr);
}

TEST_F(FrameKeys, BindingsFromTheKeyFileReplaceTheDefaults) {
    ASSERT_TRUE(WriteBytes(m_folder.File(L"chmkey.xml"),
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<shortkey><table name=\"main\">"
                           "<func key=\"[O]\" virt=\"true\" ctrl=\"true\">Save</func></table></shortkey>"));
    StartFrame();
    SetControl(true);
    EXPECT_TRUE(Press('O'));
    EXPECT_FALSE(Press('U')); // the file leaves UrlOpen unbound
    SetControl(false);
    EXPECT_FALSE(Press(VK_F11));
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_FILE_SAVE}));
}

TEST_F(FrameKeys, AReloadRequestReadsAKeyFileWrittenLater) {
    StartFrame();
    ASSERT_TRUE(WriteBytes(m_folder.File(L"chmkey.xml"),
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<shortkey><table name=\"main\">"
                           "<func key=\"[F2]\" virt=\"true\">Close</func></table></shortkey>"));
    ::SendMessageW(m_frame.m_hWnd, WM_APP_RELOAD, kReloadShortkeys, 0);
    EXPECT_TRUE(Press(VK_F2));
    EXPECT_FALSE(Press(VK_F11));
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_FILE_CLOSE}));
}

// The frame's document commands and their menu states, in this process.
class FrameDocuments : public FrameKeys {
protected:
    void SetUp() override {
        FrameKeys::SetUp();
        StartFrame();
        // Commands must reach the frame itself here.
        ::RemoveWindowSubclass(m_frame.m_hWnd, &RecordCommands, 1);
    }
    // Enabled states as the frame computes them when a menu opens.
    bool Enabled(UINT id) {
        const HMENU menu = ::CreatePopupMenu();
        ::SendMessageW(m_frame.m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        ::DestroyMenu(menu);
        return m_frame.UIIsEnabled(id);
    }
};

TEST_F(FrameDocuments, CloseAndSaveFollowTheShownDocument) {
    EXPECT_TRUE(Enabled(ID_FILE_OPEN));
    EXPECT_FALSE(Enabled(ID_FILE_CLOSE));
    EXPECT_FALSE(Enabled(ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(ID_OPEN_NEW_WINDOW));

    ASSERT_TRUE(m_frame.OpenFile(TestDocument(L"alpha"), {}));
    EXPECT_EQ(m_frame.GetText(), L"Alpha Document - Folivex");
    EXPECT_TRUE(Enabled(ID_FILE_CLOSE));
    EXPECT_TRUE(Enabled(ID_FILE_SAVE));
    EXPECT_TRUE(Enabled(ID_OPEN_NEW_WINDOW));

    ::SendMessageW(m_frame.m_hWnd, WM_COMMAND, ID_FILE_CLOSE, 0);
    EXPECT_EQ(m_frame.GetText(), L"Folivex");
    EXPECT_FALSE(Enabled(ID_FILE_CLOSE));
    EXPECT_FALSE(Enabled(ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(ID_OPEN_NEW_WINDOW));
}

TEST_F(FrameDocuments, AnOpenRequestOpensItsReferenceAtItsTopic) {
    auto ref = std::make_unique<DocRef>();
    ref->kind = DocRef::Kind::File;
    ref->path = TestDocument(L"beta");
    ref->topic = transfer::CTopicStr(L"/second.html", false);
    // The handler takes over the reference, as it does from a posted request.
    ::SendMessageW(m_frame.m_hWnd, WM_APP_OPEN_REQUEST, reinterpret_cast<WPARAM>(ref.release()), 0);
    EXPECT_EQ(m_frame.GetText(), L"Beta Document - Folivex");
    data::CDataSetting setting;
    data::CDataHistory history(setting);
    history.SetFolder(m_folder.Path());
    ASSERT_TRUE(history.Reload());
    const auto handles = history.List();
    ASSERT_EQ(handles.size(), 1u);
    data::CDataDoc doc;
    ASSERT_TRUE(history.GetDoc(handles[0], doc));
    EXPECT_EQ(doc.topic.path, L"/second.html");
    EXPECT_EQ(doc.file.path, TestDocument(L"beta"));
}

} // namespace
