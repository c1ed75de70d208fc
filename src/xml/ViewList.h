#pragma once
// The observer list through which a data store tells the windows that show its data about changes.

#include <windows.h>

#include <vector>

namespace xml {

// Registered windows, each with the change bits it cares for and the message it wants for them.
class CViewList {
public:
    struct Entry {
        DWORD mask = 0;
        HWND window = nullptr;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    // Appends an entry; a window may register several times.
    void AddView(DWORD mask, HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Removes every entry of the window; false when it had none.
    bool RemoveView(HWND window);
    // Sends (or posts) each matching entry its own message; windows that no longer exist are skipped and
    // make the result false, as does a post the platform refuses.
    [[nodiscard]] bool Notify(DWORD bits, bool post = false) const;

    [[nodiscard]] size_t GetViewCount() const noexcept { return m_entries.size(); }

private:
    std::vector<Entry> m_entries;
};

} // namespace xml
