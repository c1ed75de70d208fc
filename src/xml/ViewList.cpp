#include "xml/ViewList.h"

#include <algorithm>

namespace xml {

void CViewList::AddView(DWORD mask, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_entries.push_back({mask, window, message, wParam, lParam});
}

bool CViewList::RemoveView(HWND window) {
    return std::erase_if(m_entries, [window](const Entry& entry) { return entry.window == window; }) != 0;
}

bool CViewList::Notify(DWORD bits, bool post) const {
    // A view may register or unregister while it handles the message; walk a copy so that is safe.
    const std::vector<Entry> entries = m_entries;
    bool allReached = true;
    for (const Entry& entry : entries) {
        if ((entry.mask & bits) == 0) {
            continue;
        }
        if (!::IsWindow(entry.window)) {
            allReached = false;
            continue;
        }
        if (post) {
            allReached = ::PostMessageW(entry.window, entry.message, entry.wParam, entry.lParam) && allReached;
        } else {
            ::SendMessageW(entry.window, entry.message, entry.wParam, entry.lParam);
        }
    }
    return allReached;
}

} // namespace xml
