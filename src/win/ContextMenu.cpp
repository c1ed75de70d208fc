#include "win/ContextMenu.h"

#include "win/Module.h"

namespace win {

bool CContextMenu::SetMenu(UINT resourceId, int index) {
    m_popup = nullptr;
    m_menu.Reset(::LoadMenuW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(resourceId)));
    m_popup = m_menu ? ::GetSubMenu(m_menu.Get(), index) : nullptr;
    return m_popup != nullptr;
}

POINT CContextMenu::Placement(POINT point, HWND owner) noexcept {
    if (point.x != -1 || point.y != -1) {
        return point;
    }
    RECT rc{};
    if (!owner || !::GetWindowRect(owner, &rc)) {
        return {0, 0};
    }
    return {rc.left, rc.top};
}

UINT CContextMenu::Track(POINT point) {
    if (!m_popup || !m_owner || !::IsWindow(m_owner)) {
        return 0;
    }
    const POINT at = Placement(point, m_owner);
    UINT command = 0;
    if (m_bar && m_bar->m_hWnd && m_bar->TrackPopupFor(m_owner, m_popup, at, command)) {
        return command;
    }
    return static_cast<UINT>(::TrackPopupMenuEx(m_popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                at.x, at.y, m_owner, nullptr));
}

bool CContextMenu::TrackAndPost(POINT point) {
    const UINT command = Track(point);
    return command != 0 && ::PostMessageW(m_owner, WM_COMMAND, MAKEWPARAM(command, 0), 0) != FALSE;
}

} // namespace win
