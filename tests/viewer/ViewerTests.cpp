// The help viewer hosting: the request text, the registries, and the real help control opening the test
// documents inside a document view.

#include "common/RecorderWindow.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "viewer/DlgHHZoom.h"
#include "viewer/FrameCommands.h"
#include "viewer/HHHtmlView.h"
#include "viewer/HHNavi.h"
#include "viewer/HHView.h"
#include "viewer/HHWindows.h"
#include "viewer/HelpControl.h"
#include "viewer/TopicMenu.h"
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

    bool OpenDocument(const std::wstring& name) {
        const bool opened = m_view.Open(std::make_unique<transfer::CFileChm>(TestDocument(name)));
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
        {data::CDataSetting::kReset, 1},          {data::CDataSetting::kImported, 1},
        {data::CDataSetting::kToolBarChanged, 1}, {data::CDataSetting::kChanged, 0},
    };
    for (const auto& c : cases) {
        listener.heard = 0;
        (void)m_setting.Notify(c.code);
        EXPECT_EQ(listener.heard, c.heard) << c.code;
    }
    EXPECT_TRUE(listener.Unsubclass());
}

TEST(NaviMenuTest, OffersExpandAndCollapseAllExceptForASingleExpandTree) {
    const struct {
        int kind;
        std::vector<std::pair<UINT, std::wstring>> items;
    } cases[] = {
        {1, {{kNaviExpandAll, L"すべて開く(&O)"}, {kNaviCollapseAll, L"すべて閉じる(&C)"}}},
        {2, {}}, // its lone separator is tidied away: no menu at all
    };
    for (const auto& c : cases) {
        const CHHNaviMenu menu(c.kind);
        ASSERT_NE(menu.Get(), nullptr) << c.kind;
        std::vector<std::pair<UINT, std::wstring>> items;
        for (int i = 0; i < ::GetMenuItemCount(menu.Get()); ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(menu.Get(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.emplace_back(::GetMenuItemID(menu.Get(), i), text);
        }
        EXPECT_EQ(items, c.items) << c.kind;
    }
}

// A search page as the help control builds it: the notice control, the field that would take the focus, and a
// button, inside a dialog window.
TEST(NaviPageTest, TheSearchPageOfADocumentFromAnAddressSaysItCannotBeUsed) {
    for (const bool fromUrl : {false, true}) {
        const HWND page = ::CreateWindowExW(0, L"#32770", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                            nullptr, nullptr);
        ASSERT_NE(page, nullptr);
        const HWND notice =
            ::CreateWindowExW(0, L"Static", L"Type in the keyword", WS_CHILD | WS_VISIBLE, 10, 20, 50, 16, page,
                              reinterpret_cast<HMENU>(kNaviSearchPageControl), nullptr, nullptr);
        const HWND field = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10, 40, 100, 20, page,
                                             reinterpret_cast<HMENU>(kNaviSearchFocusControl), nullptr, nullptr);
        ASSERT_TRUE(notice && field);
        EXPECT_EQ(CHHNaviDlg::ClassifyPage(page), 2);
        ASSERT_TRUE(AttachWrapper<CHHNaviDlg>(page));
        SetDocumentFromUrl(fromUrl);
        ::SendMessageW(page, WM_HH_OP1, 2, 0);
        RECT client{};
        RECT area{};
        ::GetClientRect(page, &client);
        ::GetClientRect(notice, &area);
        EXPECT_EQ((::GetWindowLongPtrW(field, GWL_STYLE) & WS_VISIBLE) == 0, fromUrl); // the page itself is hidden
        EXPECT_EQ(win::CWindow(notice).GetText() == L"この機能は使用できません。", fromUrl);
        EXPECT_EQ(area.right == client.right, fromUrl);
        SetDocumentFromUrl(false);
        ::DestroyWindow(page);
    }
}

TEST(TopicViewTest, AWindowWithoutABrowserStaysSubclassedAndLeavesTheBrowserCommandsUndone) {
    const HWND window =
        ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(AttachWrapper<CHHHtmlView>(window));
    EXPECT_EQ(FindViewerWindow(Slot::TopicBrowser), window);
    EXPECT_EQ(::SendMessageW(window, WM_HH_OP3, 0, 0), -1); // no zoom to tell
    EXPECT_EQ(::SendMessageW(window, WM_HH_OP4, 120, 0), 0);
    EXPECT_EQ(::SendMessageW(window, WM_HH_OP1, 0, 0), 0);
    for (const UINT command :
         {kBrowserPrint, kBrowserFontSizeCycle, kBrowserZoomIn, kBrowserZoomOut, kTopicLinkOpen, kTopicProperties}) {
        ::SendMessageW(window, WM_COMMAND, command, 0);
    }
    MSG key{window, WM_KEYDOWN, VK_NEXT, 0, 0, {}};
    EXPECT_FALSE(TranslateViewerKeys(key)); // no page-over without a contents tree and a page
    ::DestroyWindow(window);
    EXPECT_EQ(FindViewerWindow(Slot::TopicBrowser), nullptr);
}

// A topic view as the zoom dialog sees it: a zoom value moved the way the browser's view moves it.
class CFakeZoomView : public win::CSubclassWindow {
public:
    long zoom = 105;
    ZoomRange range{10, 1000};
    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        if (msg == WM_HH_OP3) {
            result = zoom;
        } else if (msg == WM_HH_OP4) {
            zoom = SnapZoom(static_cast<long>(wp), range);
            result = 1;
        } else if (msg == WM_COMMAND && (LOWORD(wp) == kBrowserZoomIn || LOWORD(wp) == kBrowserZoomOut)) {
            zoom = SnapZoom(LOWORD(wp) == kBrowserZoomIn ? zoom + 10 : zoom - 1, range);
            result = 0;
        } else {
            return false;
        }
        return true;
    }
};

TEST(ZoomDialogTest, StepsAsTheZoomCommandsAndTakesTheTypedValueSnapped) {
    const HWND window =
        ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CFakeZoomView view;
    ASSERT_TRUE(view.Subclass(window));
    CDlgHHZoom dialog(window, view.range);
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    const auto field = [&] { return ::GetDlgItemInt(dialog, IDC_ZOOM_VALUE, nullptr, FALSE); };
    EXPECT_EQ(field(), 105u);
    const struct {
        int delta;
        UINT shown;
    } arrows[] = {{-1, 100}, {-1, 90}, {1, 100}};
    for (const auto& arrow : arrows) {
        NMUPDOWN change{};
        change.hdr = {::GetDlgItem(dialog, IDC_ZOOM_SPIN), IDC_ZOOM_SPIN, static_cast<UINT>(UDN_DELTAPOS)};
        change.iDelta = arrow.delta;
        EXPECT_EQ(::SendMessageW(dialog, WM_NOTIFY, IDC_ZOOM_SPIN, reinterpret_cast<LPARAM>(&change)), TRUE);
        EXPECT_EQ(field(), arrow.shown) << arrow.delta;
    }
    view.zoom = 250;
    ::SendMessageW(dialog, WM_COMMAND, IDC_ZOOM_ACTUAL, 0);
    EXPECT_EQ(field(), 100u);
    ::SetDlgItemInt(dialog, IDC_ZOOM_VALUE, 1234, FALSE);
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(view.zoom, 1000);
    EXPECT_TRUE(view.Unsubclass());
    ::DestroyWindow(window);
}

} // namespace
} // namespace viewer
