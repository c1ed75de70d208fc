#include "win/CommandBar.h"

#include "win/Module.h"

#include <string>
#include <utility>
#include <vector>

namespace win {

namespace {

thread_local CCommandBar* t_tracking = nullptr;
thread_local HHOOK t_menuHook = nullptr;

constexpr int kImageSize = 16;
constexpr COLORREF kMaskColor = RGB(255, 0, 255);

std::wstring MenuItemText(HMENU menu, int index) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info) || info.cch == 0) {
        return {};
    }
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch += 1;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info);
    text.resize(wcslen(text.c_str()));
    return text;
}

wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(c))));
}

} // namespace

CCommandBar::~CCommandBar() {
    if (m_images) {
        ::ImageList_Destroy(m_images);
    }
}

HWND CCommandBar::Create(HWND parent, HWND notify) {
    m_notify = notify;
    const HWND bar =
        ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |
                              CCS_NOPARENTALIGN | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT,
                          0, 0, 100, 22, parent, nullptr, CAppModule::Instance(), nullptr);
    if (!bar) {
        return nullptr;
    }
    ::SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    ::SendMessageW(bar, TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, DT_HIDEPREFIX);
    if (!Subclass(bar)) {
        ::DestroyWindow(bar);
        return nullptr;
    }
    return bar;
}

bool CCommandBar::AttachMenu(HMENU menu) {
    if (!m_hWnd || !menu) {
        return false;
    }
    while (Send(TB_BUTTONCOUNT) > 0) {
        Send(TB_DELETEBUTTON, 0);
    }
    m_menu.Reset(menu);
    const int count = ::GetMenuItemCount(menu);
    std::vector<std::wstring> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        texts.push_back(MenuItemText(menu, i));
    }
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = i + 1;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(texts[static_cast<size_t>(i)].c_str());
        if (!Send(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button))) {
            return false;
        }
    }
    Send(TB_AUTOSIZE);
    return true;
}

bool CCommandBar::LoadImages(UINT id) {
    const HINSTANCE module = CAppModule::ResourceInstance();
    const HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241)); // RT_TOOLBAR
    const HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
    const auto* data = loaded ? static_cast<const WORD*>(::LockResource(loaded)) : nullptr;
    const DWORD size = info ? ::SizeofResource(module, info) : 0;
    // version, width, height, count, then the command of each button (0 for a separator)
    if (!data || size < 8 || data[0] != 1 || size < 8u + 2u * data[3]) {
        return false;
    }
    CBitmap bitmap(
        static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        return false;
    }
    HIMAGELIST images = ::ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, data[3], 0);
    if (!images || ::ImageList_AddMasked(images, bitmap.Get(), kMaskColor) < 0) {
        if (images) {
            ::ImageList_Destroy(images);
        }
        return false;
    }
    if (m_images) {
        ::ImageList_Destroy(m_images);
    }
    m_images = images;
    m_imageOfCommand.clear();
    int image = 0;
    for (WORD i = 0; i < data[3]; ++i) {
        if (const WORD command = data[4 + i]) {
            m_imageOfCommand[command] = image++;
        }
    }
    return true;
}

int CCommandBar::GetImageIndex(UINT command) const {
    const auto it = m_imageOfCommand.find(command);
    return it == m_imageOfCommand.end() ? -1 : it->second;
}

bool CCommandBar::AddToRebar(HWND rebar) {
    const DWORD buttonSize = static_cast<DWORD>(Send(TB_GETBUTTONSIZE));
    SIZE ideal{};
    Send(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_IDEALSIZE | RBBIM_SIZE;
    band.fStyle = RBBS_NOGRIPPER | RBBS_TOPALIGN;
    band.hwndChild = m_hWnd;
    band.cxMinChild = 0;
    band.cyMinChild = HIWORD(buttonSize);
    band.cxIdeal = static_cast<UINT>(ideal.cx);
    band.cx = static_cast<UINT>(ideal.cx);
    return ::SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)) != 0;
}

int CCommandBar::ButtonCount() const {
    return static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
}

int CCommandBar::FindMnemonic(wchar_t key) const {
    if (!m_menu || !key) {
        return -1;
    }
    const wchar_t wanted = Upper(key);
    const int count = ::GetMenuItemCount(m_menu.Get());
    for (int i = 0; i < count; ++i) {
        const std::wstring text = MenuItemText(m_menu.Get(), i);
        for (size_t pos = 0; pos + 1 < text.size(); ++pos) {
            if (text[pos] != L'&') {
                continue;
            }
            if (text[pos + 1] == L'&') {
                ++pos; // an escaped ampersand
                continue;
            }
            if (Upper(text[pos + 1]) == wanted) {
                return i;
            }
            break;
        }
    }
    return -1;
}

void CCommandBar::SetHot(int index) {
    Send(TB_SETHOTITEM, static_cast<WPARAM>(index));
}

bool CCommandBar::OnKeyMenu(wchar_t key) {
    if (!m_hWnd || !m_menu) {
        return false;
    }
    if (key == 0) {
        if (m_keyMode) {
            ExitKeyboardMode(true);
        } else {
            EnterKeyboardMode();
        }
        return true;
    }
    const int index = FindMnemonic(key);
    if (index < 0) {
        return false;
    }
    if (m_keyMode) {
        ExitKeyboardMode(true);
    }
    TrackMenu(index, true);
    return true;
}

void CCommandBar::EnterKeyboardMode() {
    if (ButtonCount() == 0) {
        return;
    }
    m_keyMode = true;
    m_focusBefore = ::SetFocus(m_hWnd);
    Send(TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, 0);
    SetHot(0);
    Invalidate();
}

void CCommandBar::ExitKeyboardMode(bool restoreFocus) {
    if (!m_keyMode) {
        return;
    }
    m_keyMode = false;
    SetHot(-1);
    Send(TB_SETDRAWTEXTFLAGS, DT_HIDEPREFIX, DT_HIDEPREFIX);
    Invalidate();
    const HWND previous = std::exchange(m_focusBefore, nullptr);
    if (restoreFocus && ::GetFocus() == m_hWnd) {
        ::SetFocus(previous && ::IsWindow(previous) ? previous : m_notify);
    }
}

void CCommandBar::AddMenuImages(HMENU popup) {
    if (!m_images) {
        return;
    }
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
        if (!::GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info) || info.hSubMenu || info.hbmpItem) {
            continue;
        }
        if (GetImageIndex(info.wID) < 0) {
            continue;
        }
        // The menu asks us to measure and draw the image; the system still draws text, checks and states.
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
        ::SetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info);
    }
}

bool CCommandBar::TrackPopup(HMENU popup, int x, int y) {
    if (!popup || !m_hWnd) {
        return false;
    }
    // The bar owns the menu so that it measures and draws the images; the notify window gets the command.
    ::SetLastError(0);
    const auto command = static_cast<UINT>(::TrackPopupMenuEx(
        popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, m_hWnd, nullptr));
    if (command && m_notify) {
        ::SendMessageW(m_notify, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    return command != 0 || ::GetLastError() == 0;
}

bool CCommandBar::TrackPopupFor(HWND owner, HMENU popup, POINT at, UINT& command) {
    command = 0;
    if (!popup || !m_hWnd || !owner) {
        return false;
    }
    // The menu messages the bar passes on go to the menu's own window while it is shown.
    const HWND notify = std::exchange(m_notify, owner);
    ::SetLastError(0);
    command = static_cast<UINT>(::TrackPopupMenuEx(
        popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, m_hWnd, nullptr));
    m_notify = notify;
    return command != 0 || ::GetLastError() == 0;
}

void CCommandBar::TrackMenu(int index, bool selectFirst) {
    const int count = ButtonCount();
    if (!m_menu || index < 0 || index >= count || m_trackIndex >= 0) {
        return;
    }
    m_trackIndex = index;
    bool byKey = selectFirst;
    UINT command = 0;
    while (m_trackIndex >= 0) {
        const int current = m_trackIndex;
        const HMENU popup = ::GetSubMenu(m_menu.Get(), current);
        RECT rc{};
        if (!popup || !Send(TB_GETITEMRECT, static_cast<WPARAM>(current), reinterpret_cast<LPARAM>(&rc))) {
            break;
        }
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        Send(TB_PRESSBUTTON, static_cast<WPARAM>(current + 1), TRUE);
        SetHot(current);
        m_nextIndex = -1;
        m_nextByKey = false;
        m_selectedMenu = nullptr;
        m_selectedFlags = 0;
        if (byKey) {
            // The menu loop takes this key from the queue and selects the first item.
            ::PostMessageW(m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
        }
        t_tracking = this;
        t_menuHook = ::SetWindowsHookExW(WH_MSGFILTER, &MenuFilterProc, nullptr, ::GetCurrentThreadId());
        TPMPARAMS params{};
        params.cbSize = sizeof(params);
        params.rcExclude = rc;
        command = static_cast<UINT>(
            ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON | TPM_RETURNCMD,
                               rc.left, rc.bottom, m_hWnd, &params));
        if (t_menuHook) {
            ::UnhookWindowsHookEx(t_menuHook);
        }
        t_menuHook = nullptr;
        t_tracking = nullptr;
        Send(TB_PRESSBUTTON, static_cast<WPARAM>(current + 1), FALSE);
        if (command) {
            break;
        }
        m_trackIndex = m_nextIndex;
        byKey = m_nextByKey;
    }
    m_trackIndex = -1;
    SetHot(-1);
    if (command && m_notify) {
        ::SendMessageW(m_notify, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

LRESULT CALLBACK CCommandBar::MenuFilterProc(int code, WPARAM wp, LPARAM lp) {
    if (code == MSGF_MENU && t_tracking && lp) {
        if (t_tracking->OnMenuFilter(*reinterpret_cast<const MSG*>(lp))) {
            return TRUE;
        }
    }
    return ::CallNextHookEx(t_menuHook, code, wp, lp);
}

bool CCommandBar::OnMenuFilter(const MSG& msg) {
    const int count = ButtonCount();
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
        POINT pt = msg.pt;
        ::ScreenToClient(m_hWnd, &pt);
        RECT client = GetClientRect();
        if (!::PtInRect(&client, pt)) {
            return false;
        }
        const int hit = static_cast<int>(Send(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
        if (hit < 0 || hit >= count) {
            return false;
        }
        if (msg.message == WM_LBUTTONDOWN && hit == m_trackIndex) {
            m_nextIndex = -1; // a click on the open item closes it
            ::EndMenu();
            return true;
        }
        if (hit != m_trackIndex) {
            m_nextIndex = hit;
            m_nextByKey = false;
            ::EndMenu();
            return true;
        }
        return false;
    }
    case WM_KEYDOWN:
        if (msg.wParam == VK_LEFT && m_selectedMenu == ::GetSubMenu(m_menu.Get(), m_trackIndex)) {
            m_nextIndex = (m_trackIndex + count - 1) % count;
            m_nextByKey = true;
            ::EndMenu();
            return true;
        }
        if (msg.wParam == VK_RIGHT && !(m_selectedFlags & MF_POPUP)) {
            m_nextIndex = (m_trackIndex + 1) % count;
            m_nextByKey = true;
            ::EndMenu();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool CCommandBar::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        const int hit = static_cast<int>(Send(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
        if (hit >= 0 && hit < ButtonCount()) {
            ExitKeyboardMode(false);
            TrackMenu(hit, false);
            result = 0;
            return true;
        }
        return false;
    }
    case WM_KEYDOWN:
        if (!m_keyMode) {
            return false;
        }
        switch (wp) {
        case VK_LEFT:
        case VK_RIGHT: {
            const int count = ButtonCount();
            const int hot = static_cast<int>(Send(TB_GETHOTITEM));
            SetHot(wp == VK_LEFT ? (hot + count - 1) % count : (hot + 1) % count);
            break;
        }
        case VK_DOWN:
        case VK_UP:
        case VK_RETURN: {
            const int hot = static_cast<int>(Send(TB_GETHOTITEM));
            ExitKeyboardMode(true);
            TrackMenu(hot, true);
            break;
        }
        case VK_ESCAPE:
            ExitKeyboardMode(true);
            break;
        default:
            break;
        }
        result = 0;
        return true;
    case WM_CHAR:
        if (!m_keyMode) {
            return false;
        }
        if (const int index = FindMnemonic(static_cast<wchar_t>(wp)); index >= 0) {
            ExitKeyboardMode(true);
            TrackMenu(index, true);
        }
        result = 0;
        return true;
    case WM_KILLFOCUS:
        ExitKeyboardMode(false);
        return false;
    case WM_INITMENUPOPUP:
        result = m_notify ? ::SendMessageW(m_notify, msg, wp, lp) : 0;
        AddMenuImages(reinterpret_cast<HMENU>(wp));
        return true;
    case WM_MENUSELECT:
        m_selectedMenu = reinterpret_cast<HMENU>(lp);
        m_selectedFlags = HIWORD(wp);
        result = m_notify ? ::SendMessageW(m_notify, msg, wp, lp) : 0;
        return true;
    case WM_UNINITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        result = m_notify ? ::SendMessageW(m_notify, msg, wp, lp) : 0;
        return true;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (measure->CtlType != ODT_MENU) {
            return false;
        }
        measure->itemWidth = kImageSize;
        measure->itemHeight = kImageSize;
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (draw->CtlType != ODT_MENU || !m_images) {
            return false;
        }
        const int image = GetImageIndex(draw->itemID);
        if (image >= 0) {
            const int x = draw->rcItem.left + ((draw->rcItem.right - draw->rcItem.left) - kImageSize) / 2;
            const int y = draw->rcItem.top + ((draw->rcItem.bottom - draw->rcItem.top) - kImageSize) / 2;
            IMAGELISTDRAWPARAMS params{};
            params.cbSize = sizeof(params);
            params.himl = m_images;
            params.i = image;
            params.hdcDst = draw->hDC;
            params.x = x;
            params.y = y;
            params.rgbBk = CLR_NONE;
            params.rgbFg = CLR_DEFAULT;
            params.fStyle = ILD_TRANSPARENT;
            if (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) {
                params.fState = ILS_SATURATE;
                params.Frame = 160;
                params.fStyle |= ILD_BLEND50;
            }
            // The menu goes on drawing the item's text with this DC: leave it as it was.
            const int saved = ::SaveDC(draw->hDC);
            ::ImageList_DrawIndirect(&params);
            ::RestoreDC(draw->hDC, saved);
        }
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

} // namespace win
