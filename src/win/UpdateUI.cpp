#include "win/UpdateUI.h"

#include <commctrl.h>

namespace win {

void CUpdateUI::UIEnable(UINT id, bool enable) { m_states[id].enabled = enable; }
void CUpdateUI::UISetCheck(UINT id, bool check) { m_states[id].checked = check; }

bool CUpdateUI::UIIsEnabled(UINT id) const {
    const auto it = m_states.find(id);
    return it == m_states.end() || it->second.enabled;
}

bool CUpdateUI::UIIsChecked(UINT id) const {
    const auto it = m_states.find(id);
    return it != m_states.end() && it->second.checked;
}

void CUpdateUI::UIUpdateMenu(HMENU menu) const {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || info.hSubMenu ||
            (info.fType & MFT_SEPARATOR)) {
            continue;
        }
        const auto it = m_states.find(info.wID);
        if (it == m_states.end()) {
            continue;
        }
        const UINT pos = static_cast<UINT>(i);
        ::EnableMenuItem(menu, pos, MF_BYPOSITION | (it->second.enabled ? MF_ENABLED : MF_GRAYED));
        ::CheckMenuItem(menu, pos, MF_BYPOSITION | (it->second.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CUpdateUI::UIUpdateToolBar(HWND toolbar) const {
    for (const auto& [id, state] : m_states) {
        const LRESULT current = ::SendMessageW(toolbar, TB_GETSTATE, id, 0);
        if (current == -1) {
            continue;
        }
        LRESULT wanted = current & ~(TBSTATE_ENABLED | TBSTATE_CHECKED);
        if (state.enabled) {
            wanted |= TBSTATE_ENABLED;
        }
        if (state.checked) {
            wanted |= TBSTATE_CHECKED;
        }
        if (wanted != current) {
            ::SendMessageW(toolbar, TB_SETSTATE, id, MAKELPARAM(static_cast<WORD>(wanted), 0));
        }
    }
}

} // namespace win
