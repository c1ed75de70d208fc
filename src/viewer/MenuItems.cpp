#include "viewer/MenuItems.h"

namespace viewer {

bool TidySeparators(IMenuItems& menu) {
    bool previousSeparator = true; // a separator at the start has nothing before it to separate
    int position = 0;
    while (position < menu.Count()) {
        const bool separator = menu.IsSeparator(position);
        if (separator && previousSeparator) {
            const int before = menu.Count();
            if (!menu.Remove(position) || menu.Count() >= before) {
                return false;
            }
            continue;
        }
        previousSeparator = separator;
        ++position;
    }
    const int count = menu.Count();
    if (count > 0 && menu.IsSeparator(count - 1)) {
        return menu.Remove(count - 1);
    }
    return true;
}

int CMenuItems::Count() const {
    return ::GetMenuItemCount(m_menu);
}

bool CMenuItems::IsSeparator(int position) const {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return ::GetMenuItemInfoW(m_menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

bool CMenuItems::Remove(int position) {
    return ::DeleteMenu(m_menu, static_cast<UINT>(position), MF_BYPOSITION) != FALSE;
}

} // namespace viewer
