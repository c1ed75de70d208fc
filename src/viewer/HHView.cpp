#include "viewer/HHView.h"

#include "transfer/ChmFile.h"
#include "viewer/FrameCommands.h"
#include "viewer/HHWindows.h"
#include "viewer/HelpControl.h"
#include "viewer/ViewerRegistry.h"
#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Paint.h"
#include "win/Strings.h"

#include "resource.h"

#include <windowsx.h>

namespace viewer {
namespace {

// Whatever can change the toolbar settings: another instance's write (reload), a reset, an import, an edit.
constexpr DWORD kSettingsMask = data::CDataSetting::kReloaded | data::CDataSetting::kReset |
                                data::CDataSetting::kImported | data::CDataSetting::kToolBarChanged;
constexpr COLORREF kPlaceholderColour = RGB(230, 230, 230);

} // namespace

// ---- CHHView

CHHView::~CHHView() {
    if (GetTopicHost() == this) {
        SetTopicHost(nullptr);
    }
}

win::WindowClassInfo CHHView::GetWindowClassInfo() const {
    win::WindowClassInfo info;
    info.name = kClassName;
    info.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return info;
}

HWND CHHView::CreateView(HWND parent) {
    return Create(parent, nullptr, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0);
}

bool CHHView::Open(std::unique_ptr<transfer::CFileHandle> document) {
    if (!document || document->GetPath().empty() || !transfer::IsChmFile(document->GetPath())) {
        return false;
    }
    Close(false);
    if (!LoadViewer()) {
        return false;
    }
    CHHFile request;
    request.SetFile(document->GetPath());
    request.SetTopic(document->GetProperty(L"topic"));
    const HWND frame = OpenInViewer(m_hWnd, request);
    if (!frame) {
        // Nothing is shown now: the control is not kept loaded for nothing.
        UnloadViewer();
        return false;
    }
    m_document = std::move(document);
    m_viewerFrame = frame;
    SetMainText(GetTitle());
    Send(WM_SIZE, 0, 0);
    ::SendMessageW(frame, WM_HH_PREPARE, 0, 0);
    ::PostMessageW(frame, WM_HH_SHOWPANE, SW_SHOWNA, 0);
    Post(kFocusAfterOpen);
    // The document is shown: a subscriber that has gone away does not make the open a failure.
    (void)Notify(kEventOpened, true);
    return true;
}

bool CHHView::Close(bool hide) {
    const bool wasVisible = IsVisible();
    if (hide && wasVisible) {
        Show(SW_HIDE);
    }
    CloseAllViewers();
    UnloadViewer();
    m_viewerFrame = nullptr;
    // A downloaded document's temporary file goes with its object.
    m_document.reset();
    m_docProps = {};
    SetDocumentFromUrl(false);
    m_fileProps = {};
    m_topicProps = {};
    SetMainText({});
    if (hide && wasVisible) {
        Show(SW_SHOWNA);
    }
    return Notify(kEventClosed, false);
}

bool CHHView::HasDocument() const {
    return m_document && m_viewerFrame && ::IsWindow(m_viewerFrame);
}

std::wstring CHHView::GetTitle() const {
    return m_viewerFrame && ::IsWindow(m_viewerFrame) ? win::CWindow(m_viewerFrame).GetText() : std::wstring();
}

bool CHHView::Relayout() {
    if (m_viewerFrame && ::IsWindow(m_viewerFrame)) {
        ::PostMessageW(m_viewerFrame, WM_HH_RELAYOUT, 0, 0);
    }
    return true;
}

bool CHHView::ShowNavigation(int mode) {
    return m_viewerFrame && ::IsWindow(m_viewerFrame) ? CHHParent::ShowNavigation(m_viewerFrame, mode) : true;
}

bool CHHView::IsCommandAvailable(UINT id) const {
    const UINT frameCommand = TranslateCommand(id);
    if (!frameCommand || !HasDocument()) {
        return false;
    }
    switch (frameCommand) {
    case kFramePrint:
    case kFrameFontSize:
    case kTopicZoomDialog:
    case kTopicZoomIn:
    case kTopicZoomOut:
    case kTopicFind:
        // Routed to the topic browser's wrapper, which exists only where a browser shows the topic.
        return FindViewerWindow(Slot::TopicBrowser) != nullptr;
    default:
        return true;
    }
}

void CHHView::SetDocProperties(transfer::CPropDoc props) {
    m_docProps = std::move(props);
    SetDocumentFromUrl(m_docProps.GetKind() == transfer::CPropDoc::Kind::Url);
}

void CHHView::SetTopic(const transfer::CPropTopic& topic) {
    m_topicProps = topic;
    (void)Notify(kEventTopic, true);
}

void CHHView::ShowTopicProperties() {
    (void)Notify(kEventTopicProperties, true);
}

bool CHHView::OpenLink(const transfer::CUrlConn& url, LPARAM flags) {
    return m_linkOpener && m_linkOpener(url, flags);
}

bool CHHView::TranslateDocViewKeys(MSG& msg) {
    return HasDocument() && m_shortkeys.Translate(data::Place::View, m_hWnd, msg);
}

bool CHHView::TranslateViewerKeys(MSG& msg) {
    return viewer::TranslateViewerKeys(msg);
}

void CHHView::SetMainText(const std::wstring& text) const {
    if (const HWND main = ::GetAncestor(m_hWnd, GA_ROOT)) {
        ::SetWindowTextW(main, text.c_str());
    }
}

bool CHHView::OnCreate() {
    m_setting.AddView(kSettingsMask, m_hWnd, kSettingsChanged);
    m_subscribed = true;
    SetTopicHost(this);
    return true;
}

void CHHView::OnSize() const {
    if (m_viewerFrame && ::IsWindow(m_viewerFrame)) {
        const RECT client = GetClientRect();
        ::SetWindowPos(m_viewerFrame, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

struct FocusSearch {
    HWND found = nullptr;
    bool deepest = false; // the last visible descendant rather than the first control of a kind
};

BOOL CALLBACK FindFocusTarget(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<FocusSearch*>(lp);
    if (!::IsWindowVisible(window) || !::IsWindowEnabled(window)) {
        return TRUE;
    }
    if (search->deepest) {
        search->found = window;
        return TRUE;
    }
    const std::wstring name = win::CWindow(window).GetClassName();
    for (const wchar_t* control : {L"SysTreeView32", L"SysListView32", L"Edit", L"ListBox"}) {
        if (win::EqualsNoCaseAscii(name, control)) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

void CHHView::FocusViewer() const {
    const HWND navigation = FindViewerWindow(Slot::NaviPane);
    if (navigation && ::IsWindowVisible(navigation)) {
        FocusSearch search;
        ::EnumChildWindows(navigation, &FindFocusTarget, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            ::SetFocus(search.found);
            return;
        }
    }
    const HWND topic = FindViewerWindow(Slot::TopicPane);
    if (topic && ::IsWindowVisible(topic)) {
        FocusSearch search{nullptr, true};
        ::EnumChildWindows(topic, &FindFocusTarget, reinterpret_cast<LPARAM>(&search));
        ::SetFocus(search.found ? search.found : topic);
    }
}

void CHHView::OnContextMenu(LPARAM lp) {
    POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (at.x == -1 && at.y == -1) {
        at = {0, 0};
        ::ClientToScreen(m_hWnd, &at);
    }
    const HWND main = ::GetAncestor(m_hWnd, GA_ROOT);
    win::CMenu menu(::LoadMenuW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_VIEW_EMPTY_MENU)));
    const HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    // The main window receives the command, and its update-UI states the items on WM_INITMENUPOPUP.
    const bool shown = popup && (m_menuBar ? m_menuBar->TrackPopup(popup, at.x, at.y)
                                           : ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                                                at.x, at.y, main, nullptr) != FALSE);
    if (!shown) {
        win::MessageBoxFor(main, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
    }
}

void CHHView::OnDestroy() {
    UnloadViewer();
    if (GetTopicHost() == this) {
        SetTopicHost(nullptr);
    }
    m_viewerFrame = nullptr;
    if (m_subscribed) {
        m_setting.RemoveView(m_hWnd);
        m_subscribed = false;
    }
}

bool CHHView::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        if (!OnCreate()) {
            win::MessageBoxFor(nullptr, win::LoadStr(IDS_ERR_STARTUP), MB_OK | MB_ICONERROR);
            result = -1;
            return true;
        }
        result = 0;
        return true;
    case WM_SIZE:
        OnSize();
        result = 0;
        return true;
    case WM_SETFOCUS:
        // The view itself takes no keys while a document is shown: the focus belongs in the viewer.
        if (!HasDocument()) {
            return false;
        }
        FocusViewer();
        result = 0;
        return true;
    case kFocusAfterOpen: {
        // Only a focus the open left behind on the view or its main window moves; one the user put elsewhere
        // (a tool window) stays.
        const HWND focus = ::GetFocus();
        const HWND main = ::GetAncestor(hwnd, GA_ROOT);
        if (HasDocument() && ::GetActiveWindow() == main && (focus == hwnd || focus == main)) {
            FocusViewer();
        }
        result = 0;
        return true;
    }
    case kSettingsChanged:
        if (!Relayout()) {
            win::MessageBoxFor(hwnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        }
        result = 0;
        return true;
    case WM_COMMAND: {
        const UINT frameCommand = TranslateCommand(LOWORD(wp));
        if (!frameCommand || !m_viewerFrame || !::IsWindow(m_viewerFrame)) {
            return false;
        }
        // As a click: the control acts on its frame commands only with that notification code (an accelerator
        // would bring 1 here).
        result = ::SendMessageW(m_viewerFrame, WM_COMMAND, MAKEWPARAM(frameCommand, BN_CLICKED), lp);
        return true;
    }
    case WM_CONTEXTMENU:
        if (HasDocument()) {
            return false;
        }
        OnContextMenu(lp);
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroy();
        result = 0;
        return true;
    default:
        return false;
    }
}

// ---- CHHViewEx

bool CHHViewEx::OnCreate() {
    m_placeholder = win::LoadStr(IDS_VIEW_PLACEHOLDER);
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(48, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    m_font.Reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial Black"));
    return CHHView::OnCreate();
}

bool CHHViewEx::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wp), GetClientRect());
        result = 0;
        return true;
    case WM_PAINT: {
        win::CPaintDC paint(hwnd);
        const RECT client = GetClientRect();
        win::CMemoryDC memory(paint, client);
        Paint(memory, client);
        result = 0;
        return true;
    }
    default:
        return CHHView::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

void CHHViewEx::Paint(HDC dc, const RECT& client) const {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    if (m_placeholder.empty()) {
        return;
    }
    const HGDIOBJ oldFont = m_font ? ::SelectObject(dc, m_font.Get()) : nullptr;
    ::SetTextColor(dc, kPlaceholderColour);
    ::SetBkMode(dc, TRANSPARENT);
    RECT area = client;
    ::DrawTextW(dc, m_placeholder.c_str(), static_cast<int>(m_placeholder.size()), &area,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
}

} // namespace viewer
