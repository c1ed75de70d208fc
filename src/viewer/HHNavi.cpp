#include "viewer/HHNavi.h"

#include "viewer/HelpControl.h"
#include "viewer/MenuItems.h"
#include "viewer/ViewerRegistry.h"
#include "win/Strings.h"
#include "win/Themes.h"

#include "resource.h"

#include <windowsx.h>

#include <cstring>
#include <string>
#include <vector>

namespace viewer {
namespace {

bool IsClass(HWND window, const wchar_t* name) {
    return win::EqualsNoCaseAscii(win::CWindow(window).GetClassName(), name);
}

bool IsKeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

// Gives the focus back to a window that had it, when it still exists and lost it meanwhile.
void RestoreFocus(HWND focus) {
    if (focus && ::IsWindow(focus) && ::GetFocus() != focus) {
        ::SetFocus(focus);
    }
}

// A tree hosted by the navigation pane gets the walking wrapper once: the first tree is the contents.
void AttachTreeOnce(HWND tree) {
    if (!FindViewerWindow(Slot::ContentsTree)) {
        AttachWrapper<CHHNaviTree>(tree);
    }
}

} // namespace

// ---- CHHNaviTab

bool CHHNaviTab::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        ChangeStyle(0, WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP);
        RegisterViewerWindow(Slot::NaviTab, hwnd);
        return true;
    case WM_WINDOWPOSCHANGING: {
        auto& pos = *reinterpret_cast<WINDOWPOS*>(lp);
        RECT parent{};
        if (::GetClientRect(::GetParent(hwnd), &parent)) {
            pos.x = 0;
            pos.y = 2;
            pos.cx = parent.right - parent.left;
            pos.cy = (parent.bottom - parent.top) - 2;
            pos.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
        }
        return false;
    }
    case WM_PARENTNOTIFY:
        OnParentNotify(hwnd, wp, lp);
        return false;
    case WM_HH_OP1: {
        const int tab = m_kinds.FirstTabOf(static_cast<NaviPageKind>(wp));
        if (tab >= 0 && Select(tab) && (lp & kTabNotify)) {
            NotifyViewer(tab);
        }
        result = 0;
        return true;
    }
    case WM_HH_OP2:
    case WM_HH_OP3: {
        const bool wrap = (wp & kTabWrap) != 0;
        const int tab =
            msg == WM_HH_OP2 ? PreviousNaviTab(Current(), Count(), wrap) : NextNaviTab(Current(), Count(), wrap);
        if (tab >= 0 && Select(tab) && (wp & kTabNotify)) {
            NotifyViewer(tab);
        }
        result = 0;
        return true;
    }
    case WM_HH_OP4:
        result = static_cast<LRESULT>(m_kinds.KindAt(Current()));
        return true;
    case WM_HH_PREPARE:
        Rebuild();
        result = 0;
        return true;
    case WM_PAINT:
        if (!wp) {
            ValidatePages();
        }
        return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    case WM_DESTROY:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        UnregisterViewerWindow(Slot::NaviTab, hwnd);
        return true;
    default:
        return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHNaviTab::ValidatePages() const {
    // The pages lie on top of the tabs' body: taken out of the update region, they are never painted over.
    const HWND parent = ::GetParent(m_hWnd);
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child == m_hWnd || !::IsWindowVisible(child)) {
            continue;
        }
        RECT area{};
        ::GetWindowRect(child, &area);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
        ::ValidateRect(m_hWnd, &area);
    }
}

void CHHNaviTab::OnParentNotify(HWND hwnd, WPARAM wp, LPARAM lp) {
    const auto child = reinterpret_cast<HWND>(lp);
    if (LOWORD(wp) != WM_CREATE || ::GetParent(child) != hwnd) {
        return;
    }
    if (IsClass(child, WC_TREEVIEWW)) {
        AttachTreeOnce(child);
    } else if (IsClass(child, L"#32770")) {
        AttachWrapper<CHHNaviDlg>(child);
    } else if (IsClass(child, UPDOWN_CLASSW)) {
        AttachWrapper<CHHNaviUpdn>(child);
    }
}

int CHHNaviTab::Count() const {
    return static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
}

int CHHNaviTab::Current() const {
    return static_cast<int>(::SendMessageW(m_hWnd, TCM_GETCURSEL, 0, 0));
}

bool CHHNaviTab::Select(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    const HWND focus = ::GetFocus();
    // Selecting by message tells nobody: the pane shows a page only when it hears the change as a click brings
    // it, so it is told here the same way.
    const HWND parent = ::GetParent(m_hWnd);
    NMHDR header{m_hWnd, static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd)), static_cast<UINT>(TCN_SELCHANGING)};
    const auto id = static_cast<WPARAM>(header.idFrom);
    if (::SendMessageW(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header)) != 0) {
        RestoreFocus(focus);
        return false; // the page refuses to be left
    }
    ::SendMessageW(m_hWnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    ::SendMessageW(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
    RestoreFocus(focus);
    return Current() == index;
}

bool CHHNaviTab::NotifyViewer(int index) const {
    const UINT command = NaviPageCommand(m_kinds.KindAt(index));
    if (!command) {
        return false;
    }
    SendToViewerWindow(Slot::Frame, WM_COMMAND, MAKEWPARAM(command, 1), 0);
    return true;
}

void CHHNaviTab::Rebuild() {
    const HWND focus = ::GetFocus();
    const int selected = Current();
    const int count = Count();
    // Selecting every tab once has the control create every page, so each gets its wrappers now.
    for (int tab = 0; tab < count; ++tab) {
        Select(tab);
    }
    if (selected >= 0) {
        Select(selected);
    }
    std::vector<std::wstring> labels;
    for (int tab = 0; tab < count; ++tab) {
        wchar_t text[261] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        if (!::SendMessageW(m_hWnd, TCM_GETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item))) {
            text[0] = L'\0';
        }
        labels.emplace_back(text);
    }
    m_kinds.Rebuild(labels);
    RestoreFocus(focus);
}

// ---- CHHNaviTree

bool CHHNaviTree::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        ChangeStyle(WS_BORDER, WS_TABSTOP | TVS_TRACKSELECT | TVS_DISABLEDRAGDROP);
        RegisterViewerWindow(Slot::ContentsTree, hwnd);
        return true;
    case WM_HH_OP1:
    case WM_HH_OP2:
    case WM_HH_OP3:
    case WM_HH_OP4:
        OnWalk(static_cast<Walk>(msg - WM_HH_OP1), wp);
        result = 0;
        return true;
    case WM_HH_OP5:
        OnNavigation(wp != 0);
        result = 0;
        return true;
    case TVM_HITTEST:
        if (!m_clickItem || !lp) {
            return false;
        }
        // The simulated click lands on the label of its item, wherever the control thinks the point is.
        reinterpret_cast<TVHITTESTINFO*>(lp)->hItem = m_clickItem;
        reinterpret_cast<TVHITTESTINFO*>(lp)->flags = TVHT_ONITEMLABEL;
        result = reinterpret_cast<LRESULT>(m_clickItem);
        return true;
    case WM_RBUTTONDOWN:
        OnRightButton(lp);
        return false;
    case WM_SYSKEYDOWN:
        if (wp == VK_F10 && IsKeyDown(VK_SHIFT)) {
            // Shift+F10 asks for the context menu, as the menu key does.
            result = ::DefWindowProcW(hwnd, msg, wp, lp);
            return true;
        }
        return false;
    case WM_CONTEXTMENU:
        OnContextMenu(lp);
        result = 0;
        return true;
    case WM_DESTROY:
        CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        UnregisterViewerWindow(Slot::ContentsTree, hwnd);
        return true;
    default:
        return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHNaviTree::OnWalk(Walk walk, WPARAM action) {
    // Selecting and clicking pump messages: a walk asked for meanwhile would start from a half-moved caret.
    if (m_walking) {
        return;
    }
    m_walking = true;
    m_lastItem = nullptr;
    m_afterLoad = AfterLoad::Nothing;
    SendToViewerWindow(Slot::NaviTab, WM_HH_OP1, static_cast<WPARAM>(NaviPageKind::Contents), 0);
    if (const HTREEITEM target = FindTarget(walk); target && OpenItem(target)) {
        m_lastItem = target;
        m_afterLoad = action <= 2 ? static_cast<AfterLoad>(action) : AfterLoad::Nothing;
        if (walk == Walk::Previous && IsSingleExpand()) {
            Collapse(target);
        }
    }
    m_walking = false;
}

HTREEITEM CHHNaviTree::FindTarget(Walk walk) {
    const HTREEITEM root = Next(nullptr, TVGN_ROOT);
    if (!root) {
        return nullptr;
    }
    switch (walk) {
    case Walk::First:
        return root;
    case Walk::Last: {
        HTREEITEM item = root;
        for (HTREEITEM sibling = root; sibling; sibling = Next(sibling, TVGN_NEXT)) {
            item = sibling;
        }
        item = ExpandToDeepestLast(item);
        for (HTREEITEM next = Next(item, TVGN_NEXTVISIBLE); next; next = Next(next, TVGN_NEXTVISIBLE)) {
            item = next;
        }
        return item;
    }
    case Walk::Next: {
        const HTREEITEM selected = Next(nullptr, TVGN_CARET);
        if (!selected) {
            return nullptr;
        }
        Expand(selected);
        return Next(selected, TVGN_NEXTVISIBLE);
    }
    case Walk::Previous: {
        const HTREEITEM selected = Next(nullptr, TVGN_CARET);
        const HTREEITEM previous = selected ? Next(selected, TVGN_PREVIOUSVISIBLE) : nullptr;
        if (!previous) {
            return nullptr;
        }
        if (previous != Next(selected, TVGN_PARENT)) {
            ExpandToDeepestLast(previous);
        }
        return Next(selected, TVGN_PREVIOUSVISIBLE);
    }
    }
    return nullptr;
}

HTREEITEM CHHNaviTree::ExpandToDeepestLast(HTREEITEM item) {
    while (item && HasChildren(item)) {
        Expand(item);
        HTREEITEM child = Next(item, TVGN_CHILD);
        if (!child) {
            break;
        }
        for (HTREEITEM sibling = child; sibling; sibling = Next(sibling, TVGN_NEXT)) {
            child = sibling;
        }
        item = child;
    }
    return item;
}

bool CHHNaviTree::OpenItem(HTREEITEM item) {
    const HWND focus = ::GetFocus();
    SelectCaret(item);
    if (Next(nullptr, TVGN_CARET) != item) {
        RestoreFocus(focus);
        return false;
    }
    // The message takes the item in the rectangle it fills.
    RECT label{};
    static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
    std::memcpy(&label, &item, sizeof(item));
    if (::SendMessageW(m_hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label))) {
        const LPARAM at = MAKELPARAM(label.left, label.top);
        m_clickItem = item;
        // The control waits after a button press for the button to come up (a drag would start otherwise): the
        // release is queued first so that the wait ends at once.
        ::PostMessageW(m_hWnd, WM_LBUTTONUP, 0, at);
        ::SendMessageW(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        m_clickItem = nullptr;
    }
    RestoreFocus(focus);
    return true;
}

void CHHNaviTree::OnNavigation(bool began) {
    if (began) {
        m_savedFocus = ::GetFocus();
        return;
    }
    if (m_lastItem && Next(nullptr, TVGN_CARET) == m_lastItem) {
        if (m_afterLoad == AfterLoad::ScrollToTop) {
            PostToViewerWindow(Slot::TopicBrowser, WM_HH_OP1, 0, 0);
        } else if (m_afterLoad == AfterLoad::ScrollToBottom) {
            PostToViewerWindow(Slot::TopicBrowser, WM_HH_OP2, 0, 0);
        }
    }
    // The load may have moved the focus into the page; only a focus still inside the tree goes back.
    const HWND focus = ::GetFocus();
    if (m_savedFocus && ::IsWindow(m_savedFocus) && (focus == m_hWnd || ::IsChild(m_hWnd, focus))) {
        RestoreFocus(m_savedFocus);
    }
    m_savedFocus = nullptr;
    m_lastItem = nullptr;
    m_afterLoad = AfterLoad::Nothing;
}

void CHHNaviTree::OnRightButton(LPARAM lp) {
    ::SetFocus(m_hWnd);
    TVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    const auto item =
        reinterpret_cast<HTREEITEM>(::SendMessageW(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item && (hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) {
        SelectCaret(item);
    }
}

void CHHNaviTree::OnContextMenu(LPARAM lp) {
    POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (at.x == -1 && at.y == -1) {
        at = {0, 0};
        ::ClientToScreen(m_hWnd, &at);
    }
    const HWND pane = FindViewerWindow(Slot::NaviPane);
    if (!pane) {
        return;
    }
    const CHHNaviMenu menu(IsSingleExpand() ? 2 : 1);
    if (!menu.Get() || ::GetMenuItemCount(menu.Get()) <= 0) {
        return;
    }
    const auto command = static_cast<UINT>(::TrackPopupMenuEx(
        menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, pane, nullptr));
    if (command) {
        ::PostMessageW(pane, WM_COMMAND, command, 0);
    }
}

void CHHNaviTree::ExpandAll(HWND tree, bool expand) {
    // Depth first, parents before children, so that a control that loads children on expanding has them.
    std::vector<HTREEITEM> pending;
    for (auto item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
        pending.push_back(item);
    }
    while (!pending.empty()) {
        const HTREEITEM item = pending.back();
        pending.pop_back();
        const HTREEITEM child = TreeView_GetChild(tree, item);
        if (!child) {
            continue;
        }
        TreeView_Expand(tree, item, expand ? TVE_EXPAND : TVE_COLLAPSE);
        for (HTREEITEM sibling = child; sibling; sibling = TreeView_GetNextSibling(tree, sibling)) {
            pending.push_back(sibling);
        }
    }
}

HTREEITEM CHHNaviTree::Next(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(m_hWnd, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool CHHNaviTree::HasChildren(HTREEITEM item) const {
    TVITEMW info{};
    info.mask = TVIF_HANDLE | TVIF_CHILDREN;
    info.hItem = item;
    if (::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info)) && info.cChildren != 0) {
        return true;
    }
    return Next(item, TVGN_CHILD) != nullptr;
}

bool CHHNaviTree::IsExpanded(HTREEITEM item) const {
    return (::SendMessageW(m_hWnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) !=
           0;
}

void CHHNaviTree::SelectCaret(HTREEITEM item) {
    // A single-expand tree would open the item on selection: the walk decides itself what opens.
    const WPARAM flags = TVGN_CARET | (IsSingleExpand() ? TVSI_NOSINGLEEXPAND : 0);
    ::SendMessageW(m_hWnd, TVM_SELECTITEM, flags, reinterpret_cast<LPARAM>(item));
}

void CHHNaviTree::Expand(HTREEITEM item) {
    // As the arrow key: the control loads an entry's children only when the reader opens it.
    if (HasChildren(item) && !IsExpanded(item)) {
        SelectCaret(item);
        ::SendMessageW(m_hWnd, WM_KEYDOWN, VK_RIGHT, 0);
    }
}

void CHHNaviTree::Collapse(HTREEITEM item) {
    if (HasChildren(item) && IsExpanded(item)) {
        SelectCaret(item);
        ::SendMessageW(m_hWnd, WM_KEYDOWN, VK_LEFT, 0);
    }
}

// ---- CHHNaviDlg

int CHHNaviDlg::ClassifyPage(HWND page) {
    if (::GetDlgItem(page, kNaviKeywordPageControl)) {
        return 1;
    }
    return ::GetDlgItem(page, kNaviSearchPageControl) ? 2 : 0;
}

bool CHHNaviDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(0, WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        result = 0;
        return true;
    case WM_INITDIALOG:
        result = PassOn(msg, wp, lp);
        OnInitDialog(hwnd);
        return true;
    case WM_HH_OP1:
        if (wp == 2 && IsDocumentFromUrl()) {
            DisableSearchPage(hwnd);
        }
        result = 0;
        return true;
    case WM_COMMAND:
        if (m_disabled && LOWORD(wp) == kNaviSearchFocusControl && HIWORD(wp) == EN_SETFOCUS) {
            result = PassOn(msg, wp, lp);
            ::SetFocus(::GetParent(hwnd));
            return true;
        }
        return false;
    case WM_SETFOCUS:
        if (m_disabled) {
            ::SetFocus(::GetParent(hwnd));
            result = 0;
            return true;
        }
        return false;
    case WM_SIZE:
        result = PassOn(msg, wp, lp);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHNaviDlg::OnInitDialog(HWND hwnd) {
    m_disabled = false;
    if (win::ThemesActive() && IsClass(::GetParent(hwnd), WC_TABCONTROLW)) {
        using EnableTexture = HRESULT(WINAPI*)(HWND, DWORD);
        if (const HMODULE theme = ::GetModuleHandleW(L"uxtheme.dll")) {
            if (const auto enable = reinterpret_cast<EnableTexture>(
                    reinterpret_cast<void*>(::GetProcAddress(theme, "EnableThemeDialogTexture")))) {
                enable(hwnd, 0x00000006 /* ETDT_ENABLETAB */);
            }
        }
    }
    // The page's controls do not tell their parent when they are created: take them now.
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsClass(child, WC_LISTVIEWW)) {
            AttachWrapper<CHHNaviList>(child);
        } else if (IsClass(child, WC_EDITW)) {
            AttachWrapper<CHHNaviEdit>(child);
        }
    }
    ::PostMessageW(hwnd, WM_HH_OP1, static_cast<WPARAM>(ClassifyPage(hwnd)), 0);
}

void CHHNaviDlg::DisableSearchPage(HWND hwnd) {
    const HWND notice = ::GetDlgItem(hwnd, kNaviSearchPageControl);
    if (!notice) {
        return;
    }
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child != notice) {
            ::ShowWindow(child, SW_HIDE);
        }
    }
    RECT client{};
    RECT area{};
    ::GetClientRect(hwnd, &client);
    ::GetWindowRect(notice, &area);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
    ::SetWindowPos(notice, nullptr, 0, area.top, client.right - client.left, area.bottom - area.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowTextW(notice, win::LoadStr(IDS_NAVI_UNAVAILABLE).c_str());
    m_disabled = true;
}

// ---- the page controls

bool CHHNaviKList::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_BORDER, WS_TABSTOP);
        ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetExStyle() | WS_EX_CLIENTEDGE);
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

bool CHHNaviList::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_KEYUP && wp == VK_APPS && ::GetDlgCtrlID(hwnd) == kNaviSearchResultList && !IsKeyDown(VK_SHIFT) &&
        !IsKeyDown(VK_F10)) {
        // The list opens its menu only for Shift+F10.
        INPUT keys[4] = {};
        const WORD codes[4] = {VK_SHIFT, VK_F10, VK_F10, VK_SHIFT};
        const DWORD flags[4] = {0, 0, KEYEVENTF_KEYUP, KEYEVENTF_KEYUP};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = codes[i];
            keys[i].ki.dwFlags = flags[i];
        }
        ::SendInput(4, keys, sizeof(INPUT));
        result = 0;
        return true;
    }
    return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

bool CHHNaviEdit::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        ChangeStyle(WS_BORDER, WS_TABSTOP);
        result = 0;
        return true;
    case WM_CHAR:
        if (wp == 1 && IsKeyDown(VK_CONTROL)) {
            ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
            result = 0;
            return true;
        }
        return false;
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

bool CHHNaviStatic::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_HH_ATTACHED) {
        result = 0; // a label keeps its styles
        return true;
    }
    return CHHGeneral::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

bool CHHNaviUpdn::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_HH_ATTACHED) {
        ChangeStyle(WS_TABSTOP, 0);
        result = 0;
        return true;
    }
    return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

// ---- CHHMenu

CHHMenu::~CHHMenu() {
    if (m_menu) {
        ::DestroyMenu(m_menu);
    }
}

bool CHHMenu::Build(const HHMenuRow* rows, size_t count, const BrowserTexts& browserTexts) {
    if (m_menu) {
        ::DestroyMenu(m_menu);
    }
    m_menu = BuildPopup(rows, count, browserTexts);
    return m_menu != nullptr;
}

HMENU CHHMenu::BuildPopup(const HHMenuRow* rows, size_t count, const BrowserTexts& browserTexts) {
    const HMENU menu = ::CreatePopupMenu();
    if (!menu) {
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i) {
        const HHMenuRow& row = rows[i];
        bool added = false;
        if (row.sub) {
            const HMENU sub = BuildPopup(row.sub, row.subCount, browserTexts);
            added = sub && ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                                         win::LoadStr(row.text).c_str());
            if (sub && !added) {
                ::DestroyMenu(sub);
            }
        } else if (row.command == 0) {
            added = ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
        } else if (row.reserved == kBrowserTextRow) {
            const std::optional<std::wstring> text = browserTexts ? browserTexts(row.command) : std::nullopt;
            // A browser row the browser does not have is left out.
            added = !text || ::AppendMenuW(menu, MF_STRING, row.command, text->c_str()) != FALSE;
        } else {
            added = ::AppendMenuW(menu, MF_STRING, row.command, win::LoadStr(row.text).c_str()) != FALSE;
        }
        if (!added) {
            ::DestroyMenu(menu);
            return nullptr;
        }
    }
    CMenuItems items(menu);
    if (!TidySeparators(items)) {
        ::DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

namespace {

constexpr HHMenuRow kTreeMenu[] = {
    {kNaviExpandAll, IDS_NAVI_EXPAND_ALL, 0, nullptr, 0},
    {kNaviCollapseAll, IDS_NAVI_COLLAPSE_ALL, 0, nullptr, 0},
};
// A single-expand tree keeps one branch open at a time: expanding all makes no sense there.
constexpr HHMenuRow kSingleExpandTreeMenu[] = {
    {0, 0, 0, nullptr, 0},
};

} // namespace

CHHNaviMenu::CHHNaviMenu(int kind) : m_kind(kind) {
    if (kind == 2) {
        (void)Build(kSingleExpandTreeMenu, std::size(kSingleExpandTreeMenu));
    } else {
        (void)Build(kTreeMenu, std::size(kTreeMenu));
    }
}

} // namespace viewer
