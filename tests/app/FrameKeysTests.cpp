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

// The default shortcuts reach the frame, but none while a modal window disables it.
TEST_F(FrameKeys, DefaultShortcutsReachTheFrameOnlyWhileItIsEnabled) {
    StartFrame();
    ::EnableWindow(m_frame.m_hWnd, FALSE);
    SetControl(true);
    EXPECT_FALSE(Press('O'));
    ::EnableWindow(m_frame.m_hWnd, TRUE);
    EXPECT_TRUE(Press('O'));
    SetControl(false);
    EXPECT_TRUE(Press(VK_F11));
    EXPECT_FALSE(Press('O')); // plain O is no shortcut
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_FILE_OPEN, ID_SHOW_FULL}));
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

// The key file's bindings replace the defaults at start, and again when a reload request finds it rewritten.
TEST_F(FrameKeys, BindingsFromTheKeyFileReplaceTheDefaultsAtStartAndOnReload) {
    ASSERT_TRUE(WriteBytes(m_folder.File(L"chmkey.xml"), kXmlHeader +
                                                             "<shortkey><table name=\"main\">"
                                                             "<func key=\"[O]\" virt=\"true\" ctrl=\"true\">Save</func>"
                                                             "</table></shortkey>"));
    StartFrame();
    SetControl(true);
    EXPECT_TRUE(Press('O'));
    EXPECT_FALSE(Press('U')); // the file leaves UrlOpen unbound
    SetControl(false);
    EXPECT_FALSE(Press(VK_F11));
    ASSERT_TRUE(WriteBytes(m_folder.File(L"chmkey.xml"), kXmlHeader + "<shortkey><table name=\"main\">"
                                                                      "<func key=\"[F2]\" virt=\"true\">Close</func>"
                                                                      "</table></shortkey>"));
    ::SendMessageW(m_frame.m_hWnd, WM_APP_RELOAD, kReloadShortkeys, 0);
    EXPECT_TRUE(Press(VK_F2));
    EXPECT_EQ(m_commands, (std::vector<UINT>{ID_FILE_SAVE, ID_FILE_CLOSE}));
}

} // namespace
