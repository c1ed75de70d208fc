// The help viewer hosting: the request text, the registries, and the real help control opening the test
// documents inside a document view.

#include "common/RecorderWindow.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "viewer/HHView.h"
#include "viewer/HHWindows.h"
#include "viewer/HelpControl.h"
#include "viewer/ViewerRegistry.h"
#include "win/Subclass.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(HHFileTest, BuildsTheControlsFileArgument) {
    struct Case {
        const wchar_t* file;
        const wchar_t* topic;
        const wchar_t* window;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\a.chm", L"", L"", L"C:\\a.chm"},
        {L"C:\\a.chm", L"/b/c.htm", L"", L"C:\\a.chm::/b/c.htm"},
        {L"C:\\a.chm", L"", L"main", L"C:\\a.chm > main"},
        {L"C:\\a.chm", L"/b.htm", L"main", L"C:\\a.chm::/b.htm > main"},
        {L"", L"/b.htm", L"main", L""},
    };
    for (const Case& c : cases) {
        CHHFile request;
        request.SetFile(c.file);
        request.SetTopic(c.topic);
        request.SetWindow(c.window);
        EXPECT_EQ(request.BuildArgument(), c.expected) << c.file << L"|" << c.topic << L"|" << c.window;
    }
}

TEST(HHFileTest, RefusesCommandsAboveSearch) {
    CHHFile request;
    EXPECT_TRUE(request.SetCommand(CHHFile::kDisplaySearch));
    EXPECT_FALSE(request.SetCommand(4));
    EXPECT_EQ(request.GetCommand(), CHHFile::kDisplaySearch);
}

TEST(ViewerRegistryTest, SlotsTakeOneLiveWindowEach) {
    CRecorderWindow first;
    CRecorderWindow second;
    EXPECT_FALSE(RegisterViewerWindow(Slot::TopicBrowser, reinterpret_cast<HWND>(0x1234)));
    ASSERT_TRUE(RegisterViewerWindow(Slot::TopicBrowser, first.Get()));
    EXPECT_FALSE(RegisterViewerWindow(Slot::TopicBrowser, second.Get()));
    // Only the window that holds the slot empties it.
    UnregisterViewerWindow(Slot::TopicBrowser, second.Get());
    EXPECT_EQ(FindViewerWindow(Slot::TopicBrowser), first.Get());
    SendToViewerWindow(Slot::TopicBrowser, WM_APP + 5, 7, 8);
    ASSERT_EQ(first.GetReceived().size(), 1u);
    EXPECT_EQ(first.GetReceived()[0].wParam, 7u);
    first.Destroy();
    EXPECT_EQ(SendToViewerWindow(Slot::TopicBrowser, WM_APP + 5, 0, 0), 0);
    EXPECT_EQ(PostToViewerWindow(Slot::TopicBrowser, WM_APP + 5, 0, 0), 0);
    UnregisterViewerWindow(Slot::TopicBrowser);
    EXPECT_EQ(FindViewerWindow(Slot::TopicBrowser), nullptr);
}

TEST(ViewerWrapperTest, AWindowTakesOneWrapper) {
    // Creation notices can reach a window's grandparents too; a second wrapper must not take the window over.
    const HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    EXPECT_TRUE(AttachWrapper<CHHGeneral>(window));
    EXPECT_FALSE(AttachWrapper<CHHGeneral>(window));
    ::DestroyWindow(window);
}

TEST(ViewerRegistryTest, TranslatesTheViewersCommands) {
    EXPECT_EQ(TranslateCommand(ID_NAVI_SHOW), 0xD001u);
    EXPECT_EQ(TranslateCommand(ID_NAVI_TOC_NEXT), 0xD00Bu);
    EXPECT_EQ(TranslateCommand(ID_TOPIC_BACK), 204u);
    EXPECT_EQ(TranslateCommand(ID_TOPIC_PRINT), 207u);
    EXPECT_EQ(TranslateCommand(ID_DOC_FOCUS), 6023u);
    EXPECT_EQ(TranslateCommand(ID_FILE_OPEN), 0u);
}

// A top-level window with a document view filling it, as the main frame has.
class ViewerTest : public ::testing::Test {
protected:
    class CHost : public win::CWindowImpl {
    public:
        bool ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }

    protected:
        win::WindowClassInfo GetWindowClassInfo() const override {
            win::WindowClassInfo info;
            info.name = L"FolivexViewerTestHost";
            return info;
        }
    };

    void SetUp() override {
        m_setting.SetFolder(m_folder.Path());
        m_shortkeys.SetFolder(m_folder.Path());
        ASSERT_TRUE(m_host.Create(nullptr, nullptr, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN));
        ASSERT_TRUE(m_view.CreateView(m_host));
        ::MoveWindow(m_view, 0, 0, 640, 480, TRUE);
        for (const DWORD bit : {CHHView::kEventOpened, CHHView::kEventClosed}) {
            m_view.AddView(bit, m_events.Get(), WM_APP + 9, bit);
        }
    }

    void TearDown() override {
        m_view.Close(false);
        m_host.Destroy();
    }

    bool OpenDocument(const std::wstring& name, const std::wstring& topic = {}) {
        auto document = std::make_unique<transfer::CFileChm>(TestDocument(name));
        if (!topic.empty()) {
            document->SetProperty(L"topic", topic);
        }
        const bool opened = m_view.Open(std::move(document));
        CRecorderWindow::PumpPending();
        return opened;
    }

    std::vector<WPARAM> EventBits() const {
        std::vector<WPARAM> bits;
        for (const auto& received : m_events.GetReceived()) {
            bits.push_back(received.wParam);
        }
        return bits;
    }

    CTempFolder m_folder;
    data::CDataSetting m_setting;
    data::CDataShortkey m_shortkeys;
    CHost m_host;
    CHHViewEx m_view{m_setting, m_shortkeys};
    CRecorderWindow m_events;
};

TEST_F(ViewerTest, OpensADocumentInsideTheView) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND frame = m_view.GetViewerFrame();
    ASSERT_TRUE(m_view.HasDocument());
    EXPECT_EQ(FindViewerWindow(Slot::Frame), frame);
    EXPECT_EQ(::GetParent(frame), m_view.m_hWnd);
    const LONG_PTR style = ::GetWindowLongPtrW(frame, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(::IsWindowVisible(frame));
    RECT frameRect{};
    ::GetClientRect(frame, &frameRect);
    const RECT viewRect = m_view.GetClientRect();
    EXPECT_EQ(frameRect.right, viewRect.right);
    EXPECT_EQ(frameRect.bottom, viewRect.bottom);
    EXPECT_EQ(m_view.GetTitle(), L"Alpha Document");
    EXPECT_EQ(m_host.GetText(), L"Alpha Document");
    EXPECT_NE(FindViewerWindow(Slot::NaviPane), nullptr);
    EXPECT_NE(FindViewerWindow(Slot::TopicPane), nullptr);
    EXPECT_NE(FindViewerWindow(Slot::Toolbar), nullptr);
    // Opening closes whatever was shown first, even nothing.
    EXPECT_EQ(EventBits(), (std::vector<WPARAM>{CHHView::kEventClosed, CHHView::kEventOpened}));
}

TEST_F(ViewerTest, TheControlCannotShowOrHideTheFrameItself) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND frame = m_view.GetViewerFrame();
    ::ShowWindow(frame, SW_HIDE);
    EXPECT_TRUE(::IsWindowVisible(frame));
    ::SendMessageW(frame, WM_HH_SHOWPANE, SW_HIDE, 0);
    EXPECT_FALSE(::IsWindowVisible(frame));
    ::ShowWindow(frame, SW_SHOWNA);
    EXPECT_FALSE(::IsWindowVisible(frame));
}

TEST_F(ViewerTest, ASecondDocumentReplacesTheFirst) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND first = m_view.GetViewerFrame();
    ASSERT_TRUE(OpenDocument(L"beta", L"/second.html"));
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(m_host.GetText(), L"Beta Document");
    EXPECT_EQ(FindViewerWindow(Slot::Frame), m_view.GetViewerFrame());
    EXPECT_EQ(EventBits(), (std::vector<WPARAM>{CHHView::kEventClosed, CHHView::kEventOpened, CHHView::kEventClosed,
                                                CHHView::kEventOpened}));
}

TEST_F(ViewerTest, AFileThatIsNoHelpDocumentKeepsTheShownOne) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const std::wstring other = m_folder.File(L"not-help.chm");
    ASSERT_TRUE(WriteBytes(other, "ITSX this is no help document"));
    EXPECT_FALSE(m_view.Open(std::make_unique<transfer::CFileChm>(other)));
    EXPECT_FALSE(m_view.Open(std::make_unique<transfer::CFileChm>(m_folder.File(L"missing.chm"))));
    EXPECT_TRUE(m_view.HasDocument());
    EXPECT_EQ(m_host.GetText(), L"Alpha Document");
}

TEST_F(ViewerTest, CloseEmptiesTheViewAndUnloadsTheControl) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND frame = m_view.GetViewerFrame();
    EXPECT_TRUE(m_view.Close(true));
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_FALSE(m_view.HasDocument());
    EXPECT_FALSE(IsViewerLoaded());
    EXPECT_TRUE(m_view.IsVisible());
    EXPECT_EQ(FindViewerWindow(Slot::Frame), nullptr);
    EXPECT_EQ(FindViewerWindow(Slot::NaviPane), nullptr);
    EXPECT_EQ(m_host.GetText(), L"");
    EXPECT_EQ(m_view.GetDocument(), nullptr);
}

TEST_F(ViewerTest, NavigationPaneFollowsTheViewCommands) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND pane = FindViewerWindow(Slot::NaviPane);
    ASSERT_TRUE(pane);
    const bool initially = ::IsWindowVisible(pane) != FALSE;
    // The program's toggle command reaches the frame through the view's translation table.
    m_view.Send(WM_COMMAND, ID_NAVI_SHOW);
    EXPECT_NE(::IsWindowVisible(pane) != FALSE, initially);
    EXPECT_TRUE(m_view.ShowNavigation(1));
    EXPECT_TRUE(::IsWindowVisible(pane));
    EXPECT_TRUE(m_view.ShowNavigation(1));
    EXPECT_TRUE(::IsWindowVisible(pane));
    EXPECT_TRUE(m_view.ShowNavigation(0));
    EXPECT_FALSE(::IsWindowVisible(pane));
    // The topic pane is shown again after every change of the layout.
    EXPECT_TRUE(::IsWindowVisible(FindViewerWindow(Slot::TopicPane)));
}

RECT RectIn(HWND window, HWND parent) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(ViewerTest, PanesAreLaidOutAgainAfterTheNavigationPaneComesOrGoes) {
    ASSERT_TRUE(OpenDocument(L"alpha"));
    const HWND frame = m_view.GetViewerFrame();
    const HWND navigation = FindViewerWindow(Slot::NaviPane);
    const HWND topic = FindViewerWindow(Slot::TopicPane);
    ASSERT_TRUE(navigation && topic);
    ASSERT_TRUE(m_view.ShowNavigation(1));
    CRecorderWindow::PumpPending();
    const LONG shownLeft = RectIn(topic, frame).left;

    // Hidden: the topic takes the strip the pane had.
    ASSERT_TRUE(m_view.ShowNavigation(0));
    CRecorderWindow::PumpPending();
    EXPECT_LT(RectIn(topic, frame).left, shownLeft);

    // Shown again after a resize: the panes sit side by side.
    ::MoveWindow(m_view, 0, 0, 800, 560, TRUE);
    CRecorderWindow::PumpPending();
    ASSERT_TRUE(m_view.ShowNavigation(1));
    CRecorderWindow::PumpPending();
    EXPECT_LE(RectIn(navigation, frame).right, RectIn(topic, frame).left);
}

class CSettingsListener : public win::CSubclassWindow {
public:
    int heard = 0;
    bool ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == CHHView::kSettingsChanged) {
            ++heard;
        }
        return false;
    }
};

TEST_F(ViewerTest, HearsEverySettingsChangeThatCanMoveTheToolbar) {
    CSettingsListener listener;
    ASSERT_TRUE(listener.Subclass(m_view));
    const struct {
        DWORD code;
        int heard;
    } cases[] = {
        {data::CDataSetting::kReloaded, 1}, // another instance wrote the file
        {data::CDataSetting::kReset, 1},
        {data::CDataSetting::kImported, 1},
        {data::CDataSetting::kToolBarChanged, 1},
        {data::CDataSetting::kChanged, 0},
    };
    for (const auto& c : cases) {
        listener.heard = 0;
        (void)m_setting.Notify(c.code);
        EXPECT_EQ(listener.heard, c.heard) << c.code;
    }
    EXPECT_TRUE(listener.Unsubclass());
}

TEST_F(ViewerTest, ViewCommandsAreNotHandledWithoutADocument) {
    EXPECT_FALSE(m_view.HasDocument());
    LRESULT result = 0;
    EXPECT_FALSE(m_view.ProcessWindowMessage(m_view, WM_COMMAND, ID_NAVI_SHOW, 0, result));
}

} // namespace
} // namespace viewer
