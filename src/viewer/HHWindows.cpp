#include "viewer/HHWindows.h"

#include "viewer/FrameCommands.h"
#include "viewer/HHHtmlView.h"
#include "viewer/HHNavi.h"
#include "viewer/HelpControl.h"
#include "viewer/ViewerRegistry.h"
#include "win/Handles.h"
#include "win/Paint.h"
#include "win/Strings.h"

#include "resource.h"

#include <algorithm>
#include <commctrl.h>

namespace viewer {
namespace {

constexpr int kTopicHide = 0;
constexpr int kTopicShow = SW_SHOWNA;
constexpr UINT kFramePosFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

// Creation notices also reach the grandparents on some platforms: each wrapper handles its own children only.
bool IsChildOf(HWND child, HWND parent) {
    return ::GetParent(child) == parent;
}

bool IsClass(HWND window, const wchar_t* name) {
    return win::EqualsNoCaseAscii(win::CWindow(window).GetClassName(), name);
}

void FillWithClassOr(HWND window, HDC dc, const RECT& area, int colour) {
    const auto classBrush = reinterpret_cast<HBRUSH>(::GetClassLongPtrW(window, GCLP_HBRBACKGROUND));
    ::FillRect(dc, &area, classBrush ? classBrush : ::GetSysColorBrush(colour));
}

void DrawEtchedTop(HDC dc, RECT area) {
    ::DrawEdge(dc, &area, EDGE_ETCHED, BF_TOP);
}

} // namespace

// ---- CHHWnd

bool CHHWnd::Attach(HWND window) {
    if (!window || !::IsWindow(window) || IsSubclassed() || !Subclass(window)) {
        return false;
    }
    Send(WM_HH_ATTACHED);
    ::InvalidateRect(window, nullptr, TRUE);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, kFramePosFlags);
    return true;
}

bool CHHWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DESTROY) {
        result = PassOn(msg, wp, lp);
        UnregisterViewerFilter(hwnd);
        return true;
    }
    return false;
}

void CHHWnd::PaintBackground(HDC dc, const RECT& client) const {
    FillWithClassOr(m_hWnd, dc, client, m_backgroundColour);
}

void CHHWnd::PaintWindow() {
    win::CPaintDC paint(m_hWnd);
    const RECT client = GetClientRect();
    win::CMemoryDC memory(paint, client);
    PaintBuffered(memory, client);
}

void CHHWnd::ChangeStyle(LONG_PTR remove, LONG_PTR add) const {
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (GetStyle() & ~remove) | add);
}

void CHHWnd::RedrawNow() const {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---- CHHGeneral

bool CHHGeneral::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_BORDER, ::GetWindow(hwnd, GW_CHILD) ? WS_CLIPCHILDREN | WS_CLIPSIBLINGS : 0);
        ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetExStyle() & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        if (wp) {
            return false; // a caller's DC: the control draws into it itself
        }
        PaintWindow();
        result = 0;
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHGeneral::PaintBuffered(HDC dc, const RECT& client) {
    PaintBackground(dc, client);
    // The control draws itself into the bitmap through its own procedure.
    PassOn(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

// ---- CHHToolBar

bool CHHToolBar::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        ChangeStyle(WS_TABSTOP, 0);
        RegisterViewerWindow(Slot::Toolbar, hwnd);
        return true;
    case WM_HH_PREPARE: {
        const struct {
            int command;
            UINT text;
        } buttons[] = {{kFrameFontSize, IDS_TOOLBAR_FONT_SIZE}, {kFrameOptions, IDS_TOOLBAR_OPTIONS}};
        for (const auto& button : buttons) {
            std::wstring text = win::LoadStr(button.text);
            TBBUTTONINFOW info{};
            info.cbSize = sizeof(info);
            info.dwMask = TBIF_TEXT;
            info.pszText = text.data();
            // A button the toolbar does not have is skipped: the message just fails for it.
            ::SendMessageW(hwnd, TB_SETBUTTONINFOW, static_cast<WPARAM>(button.command),
                           reinterpret_cast<LPARAM>(&info));
        }
        result = 0;
        return true;
    }
    case WM_WINDOWPOSCHANGING:
        result = PassOn(msg, wp, lp);
        if (IsToolbarCollapsed()) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            pos->cy = 0;
        }
        return true;
    case WM_DESTROY:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        UnregisterViewerWindow(Slot::Toolbar, hwnd);
        return true;
    default:
        return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

// ---- CHHSizeBar

bool CHHSizeBar::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_TABSTOP, 0);
        ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        result = 0;
        return true;
    case WM_MOUSEACTIVATE:
        result = PassOn(msg, wp, lp);
        m_moved = false;
        return true;
    case WM_CHILDACTIVATE:
        result = PassOn(msg, wp, lp);
        m_moved = true;
        RedrawNow();
        return true;
    case WM_LBUTTONUP:
        if (m_moved) {
            // The control re-lays the panes out on release: the topic would flicker through every step.
            SendToViewerWindow(Slot::TopicPane, WM_HH_SHOWPANE, kTopicHide, 0);
            result = PassOn(msg, wp, lp);
            SendToViewerWindow(Slot::TopicPane, WM_HH_SHOWPANE, kTopicShow, 0);
        } else {
            result = PassOn(msg, wp, lp);
        }
        RedrawNow();
        m_moved = false;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        PaintWindow();
        result = 0;
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHSizeBar::PaintBuffered(HDC dc, const RECT& client) {
    if (::GetCapture() == m_hWnd) {
        static const WORD pattern[] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
        const win::CBitmap bitmap(::CreateBitmap(8, 8, 1, 1, pattern));
        const win::CBrush halftone(bitmap ? ::CreatePatternBrush(bitmap.Get()) : nullptr);
        ::FillRect(dc, &client, halftone ? halftone.Get() : ::GetSysColorBrush(COLOR_BTNSHADOW));
        return;
    }
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    DrawEtchedTop(dc, client);
}

// ---- CHHHtml

bool CHHHtml::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_TABSTOP, WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        result = 0;
        return true;
    case WM_PARENTNOTIFY:
        if (LOWORD(wp) == WM_CREATE) {
            const auto child = reinterpret_cast<HWND>(lp);
            if (IsChildOf(child, hwnd) && IsClass(child, L"Shell DocObject View")) {
                AttachWrapper<CHHHtml>(child);
            } else if (IsChildOf(child, hwnd) && IsClass(child, L"Internet Explorer_Server")) {
                AttachWrapper<CHHHtmlView>(child);
            }
        }
        return false;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

// ---- CHHChild

bool CHHChild::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_TABSTOP, WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        result = 0;
        return true;
    case WM_PARENTNOTIFY:
        if (LOWORD(wp) == WM_CREATE && IsChildOf(reinterpret_cast<HWND>(lp), hwnd)) {
            OnChildCreated(reinterpret_cast<HWND>(lp));
        } else if (LOWORD(wp) == WM_DESTROY) {
            OnChildDestroyed(reinterpret_cast<HWND>(lp));
        }
        return false;
    case WM_SIZE:
        result = PassOn(msg, wp, lp);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        PaintWindow();
        result = 0;
        return true;
    case WM_HH_SHOWPANE:
        ::ShowWindow(hwnd, wp ? SW_SHOWNA : SW_HIDE);
        result = 0;
        return true;
    case WM_HH_PREPARE:
        WrapTree();
        result = 0;
        return true;
    case WM_COMMAND:
        if ((LOWORD(wp) == kNaviExpandAll || LOWORD(wp) == kNaviCollapseAll) && m_tree && ::IsWindow(m_tree)) {
            // Done here rather than left to the control: not every control implements the two commands.
            CHHNaviTree::ExpandAll(m_tree, LOWORD(wp) == kNaviExpandAll);
            result = 0;
            return true;
        }
        return false;
    case WM_DESTROY:
        CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        Unregister();
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHChild::PaintBuffered(HDC dc, const RECT& client) {
    RECT area = client;
    if (m_tab && ::IsWindow(m_tab)) {
        RECT tab{};
        ::GetWindowRect(m_tab, &tab);
        area.top += tab.bottom - tab.top;
        // Above the tab control's bottom edge the tabs draw themselves.
        RECT above = client;
        above.bottom = area.top;
        FillWithClassOr(m_hWnd, dc, above, COLOR_BTNFACE);
    }
    FillWithClassOr(m_hWnd, dc, area, COLOR_BTNFACE);
    DrawEtchedTop(dc, area);
}

void CHHChild::OnChildCreated(HWND child) {
    const std::wstring name = win::CWindow(child).GetClassName();
    m_children.push_back(child);
    const bool topic = win::EqualsNoCaseAscii(name, L"Shell Embedding");
    if (win::EqualsNoCaseAscii(name, L"SysTabControl32")) {
        if (AttachWrapper<CHHNaviTab>(child)) {
            m_tab = child;
        }
    } else if (topic) {
        AttachWrapper<CHHHtml>(child);
    } else if (win::EqualsNoCaseAscii(name, L"#32770")) {
        AttachWrapper<CHHNaviDlg>(child);
    } else if (win::EqualsNoCaseAscii(name, L"SysTreeView32")) {
        // The first tree is the contents; a later one (the favourites) keeps the control's own behaviour.
        if (!m_tree && !FindViewerWindow(Slot::ContentsTree)) {
            m_tree = child;
            // While an open fills it the tree stays as the control made it: every message to a subclassed
            // window costs two round trips to the window server under this platform, and a large document
            // inserts thousands of items. It is wrapped once the open has returned.
            if (!IsOpeningViewer()) {
                WrapTree();
            }
        }
    } else if (win::EqualsNoCaseAscii(name, L"hh_kwd_vlist")) {
        AttachWrapper<CHHNaviKList>(child);
    } else if (win::EqualsNoCaseAscii(name, L"SysListView32")) {
        AttachWrapper<CHHNaviList>(child);
    } else if (win::EqualsNoCaseAscii(name, L"Edit")) {
        AttachWrapper<CHHNaviEdit>(child);
    } else if (win::EqualsNoCaseAscii(name, L"Static")) {
        AttachWrapper<CHHNaviStatic>(child);
    }
    if (m_kind != Kind::Undecided) {
        return;
    }
    if (topic) {
        m_kind = Kind::Topic;
        RegisterViewerWindow(Slot::TopicPane, m_hWnd);
        return;
    }
    m_kind = Kind::Navigation;
    if (m_tab) {
        ChangeStyle(WS_CLIPCHILDREN, 0);
    }
    RegisterViewerWindow(Slot::NaviPane, m_hWnd);
    RegisterViewerFilter(m_hWnd, this);
}

void CHHChild::WrapTree() {
    if (m_tree && !m_treeWrapped && ::IsWindow(m_tree)) {
        m_treeWrapped = AttachWrapper<CHHNaviTree>(m_tree);
    }
}

void CHHChild::OnChildDestroyed(HWND child) {
    if (child == m_tab) {
        m_tab = nullptr;
    }
    if (child == m_tree) {
        m_tree = nullptr; // its wrapper goes with the window
        m_treeWrapped = false;
    }
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
}

void CHHChild::Unregister() {
    if (m_kind == Kind::Navigation) {
        UnregisterViewerWindow(Slot::NaviPane, m_hWnd);
    } else if (m_kind == Kind::Topic) {
        UnregisterViewerWindow(Slot::TopicPane, m_hWnd);
    }
}

bool CHHChild::PreTranslateMessage(MSG& msg) {
    if (m_kind != Kind::Navigation || msg.message != WM_SYSKEYDOWN || !IsVisible()) {
        return false;
    }
    // The pane's buttons have mnemonics the control handles in its frame; the frame is a child window now and
    // no longer sees the thread's Alt keys.
    switch (msg.wParam) {
    case 'A':
    case 'D':
    case 'L':
    case 'M':
    case 'P':
    case 'R':
    case 'T':
    case 'U':
    case 'W':
        PostToViewerWindow(Slot::Frame, kFrameMnemonicMessage, msg.wParam, 0);
        return true;
    default:
        return false;
    }
}

// ---- CHHParent

bool CHHParent::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        OnAttached();
        result = 0;
        return true;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lp));
        return false;
    case WM_HH_SHOWPANE:
        m_inShowPane = true;
        ::ShowWindow(hwnd, static_cast<int>(wp));
        m_inShowPane = false;
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT: {
        win::CPaintDC paint(hwnd);
        const RECT client = GetClientRect();
        ::FillRect(paint, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        result = 0;
        return true;
    }
    case WM_SIZE:
        result = PassOn(msg, wp, lp);
        if (m_sizeBar && ::IsWindow(m_sizeBar)) {
            ::RedrawWindow(m_sizeBar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return true;
    case WM_PARENTNOTIFY:
        OnParentNotify(wp, lp);
        return false;
    case WM_HH_PREPARE:
        if (!FindViewerWindow(Slot::NaviPane)) {
            // Has the control build its navigation pane, so the navigation commands always have one to show.
            Send(WM_COMMAND, kFrameShowNavigation);
            Send(WM_COMMAND, kFrameHideNavigation);
        }
        SendToViewerWindow(Slot::NaviPane, WM_HH_PREPARE, 0, 0);
        SendToViewerWindow(Slot::Toolbar, WM_HH_PREPARE, 0, 0);
        SendToViewerWindow(Slot::NaviTab, WM_HH_PREPARE, 0, 0);
        result = 0;
        return true;
    case WM_HH_RELAYOUT: {
        // The control's own layout only reads the tool bar's height: size the bar first (to nothing while
        // it is collapsed), then lay out the panes below it.
        SendToViewerWindow(Slot::Toolbar, TB_AUTOSIZE, 0, 0);
        const RECT client = GetClientRect();
        Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
        result = 0;
        return true;
    }
    case WM_CONTEXTMENU:
        result = 0;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header && header->idFrom == kFrameNaviControlId && header->code == static_cast<UINT>(NM_RCLICK)) {
            result = 1;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        return OnCommand(LOWORD(wp), wp, lp, result);
    case WM_DESTROY:
        CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        UnregisterViewerWindow(Slot::Frame, hwnd);
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHParent::OnAttached() {
    ClearViewerFilters();
    ChangeStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    // A style change alone leaves the frame a top-level window on some platforms (it then covers the
    // screen); making the view its parent explicitly is right everywhere.
    if (m_view && ::GetParent(m_hWnd) != m_view) {
        ::SetParent(m_hWnd, m_view);
    }
    RegisterViewerWindow(Slot::Frame, m_hWnd);
}

void CHHParent::OnWindowPosChanging(WINDOWPOS& pos) const {
    // Only the program shows or hides the frame (through WM_HH_SHOWPANE), and it always fills its parent.
    if (!m_inShowPane) {
        pos.flags &= ~static_cast<UINT>(SWP_SHOWWINDOW | SWP_HIDEWINDOW);
    }
    const HWND parent = ::GetParent(m_hWnd);
    if (parent && (GetStyle() & WS_CHILD)) {
        RECT client{};
        ::GetClientRect(parent, &client);
        pos.x = client.left;
        pos.y = client.top;
        pos.cx = client.right - client.left;
        pos.cy = client.bottom - client.top;
        pos.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
    }
}

void CHHParent::OnParentNotify(WPARAM wp, LPARAM lp) {
    const auto child = reinterpret_cast<HWND>(lp);
    if (LOWORD(wp) == WM_CREATE && IsChildOf(child, m_hWnd)) {
        const std::wstring name = win::CWindow(child).GetClassName();
        if (win::EqualsNoCaseAscii(name, L"ToolbarWindow32")) {
            AttachWrapper<CHHToolBar>(child);
        } else if (win::EqualsNoCaseAscii(name, L"HH SizeBar")) {
            if (AttachWrapper<CHHSizeBar>(child)) {
                m_sizeBar = child;
            }
        } else if (win::EqualsNoCaseAscii(name, L"HH Child")) {
            AttachWrapper<CHHChild>(child);
        } else if (win::EqualsNoCaseAscii(name, L"Shell Embedding")) {
            AttachWrapper<CHHHtml>(child);
        }
    } else if (LOWORD(wp) == WM_DESTROY && child == m_sizeBar) {
        m_sizeBar = nullptr;
    }
}

void CHHParent::ToggleWithTopicHidden(UINT, WPARAM wp, LPARAM lp, LRESULT& result) {
    SendToViewerWindow(Slot::TopicPane, WM_HH_SHOWPANE, kTopicHide, 0);
    result = PassOn(WM_COMMAND, wp, lp);
    SendToViewerWindow(Slot::TopicPane, WM_HH_SHOWPANE, kTopicShow, 0);
}

bool CHHParent::OnCommand(UINT id, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (id) {
    case kFrameShowNavigation:
    case kFrameHideNavigation:
        ToggleWithTopicHidden(id, wp, lp, result);
        // The control leaves the panes where they were: a hidden pane's strip stays blank, and a pane shown
        // after a resize is covered by the topic.
        Post(WM_HH_RELAYOUT);
        return true;
    case kFrameSyncContents:
    case kFrameSwitchPaneFocus:
    case kFrameContentsPage:
    case kFrameIndexPage:
    case kFrameSearchPage:
    case kFrameFavoritesPage:
        result = PassOn(WM_COMMAND, wp, lp);
        Post(WM_HH_RELAYOUT);
        return true;
    case kFramePrint:
    case kFramePrintTopic:
        PostToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserPrint, 0);
        return true;
    case kFrameFontSize:
        PostToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserFontSizeCycle, 0);
        return true;
    case kFrameNextTopic:
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP4, 0, 1);
        return true;
    case kFramePreviousTopic:
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP3, 0, 1);
        return true;
    case kFrameInternal252:
    case kFrameInternalEFFE:
    case kFrameInternalEFFF:
        return true;
    case kNaviToggle:
        ShowNavigation(m_hWnd, 2);
        return true;
    case kNaviTabPrevious:
        SendToViewerWindow(Slot::NaviTab, WM_HH_OP2, 3, 0);
        return true;
    case kNaviTabNext:
        SendToViewerWindow(Slot::NaviTab, WM_HH_OP3, 3, 0);
        return true;
    case kNaviContentsTab:
    case kNaviContentsTab + 1:
    case kNaviContentsTab + 2:
    case kNaviFavoritesTab:
        SendToViewerWindow(Slot::NaviTab, WM_HH_OP1, id - kNaviContentsTab + 1, 1);
        return true;
    case kNaviTreeFirst:
    case kNaviTreeFirst + 1:
    case kNaviTreeFirst + 2:
    case kNaviTreeNext:
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP1 + (id - kNaviTreeFirst), 0, 1);
        return true;
    case kTopicZoomDialog:
        PostToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserZoomDialog, 0);
        return true;
    case kTopicZoomIn:
        SendToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserZoomIn, 0);
        return true;
    case kTopicZoomOut:
        SendToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserZoomOut, 0);
        return true;
    case kTopicFind:
        PostToViewerWindow(Slot::TopicBrowser, WM_COMMAND, kBrowserFind, 0);
        return true;
    default:
        return false;
    }
}

bool CHHParent::ShowNavigation(HWND frame, int mode) {
    const HWND pane = FindViewerWindow(Slot::NaviPane);
    if (!pane || !::IsWindow(pane)) {
        return true;
    }
    const bool visible = ::IsWindowVisible(pane) != FALSE;
    UINT command = 0;
    if (mode == 0) {
        command = visible ? kFrameHideNavigation : 0;
    } else if (mode == 1) {
        command = visible ? 0 : kFrameShowNavigation;
    } else {
        command = visible ? kFrameHideNavigation : kFrameShowNavigation;
    }
    if (command) {
        ::SendMessageW(frame, WM_COMMAND, command, 0);
    }
    return true;
}

} // namespace viewer
