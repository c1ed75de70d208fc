#include "driver/Windows.h"

#include "win/Handles.h"

#include <commctrl.h>

#include <algorithm>

namespace e2e {

namespace {

struct EnumState {
    DWORD pid = 0;
    std::wstring_view className;
    std::vector<HWND> found;
};

bool ClassMatches(HWND window, std::wstring_view className) {
    return className.empty() || WindowClass(window) == className;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == state.pid && ::IsWindowVisible(window) && ClassMatches(window, state.className)) {
        state.found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<EnumState*>(param);
    if (ClassMatches(window, state.className)) {
        state.found.push_back(window);
    }
    return TRUE;
}

// A block of read-write memory committed in the process that owns a window, released when the object goes.
class CRemoteBlock {
public:
    CRemoteBlock(HWND window, size_t size) : m_size(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (m_process) {
            m_address = ::VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;
    ~CRemoteBlock() {
        if (m_address) {
            ::VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE);
        }
    }

    [[nodiscard]] bool IsValid() const noexcept { return m_address != nullptr; }
    [[nodiscard]] LPARAM Address() const noexcept { return reinterpret_cast<LPARAM>(m_address); }
    [[nodiscard]] bool Read(void* data) const {
        SIZE_T read = 0;
        return ::ReadProcessMemory(m_process.Get(), m_address, data, m_size, &read) && read == m_size;
    }
    [[nodiscard]] bool Write(const void* data, size_t size) const {
        SIZE_T written = 0;
        return size <= m_size && ::WriteProcessMemory(m_process.Get(), m_address, data, size, &written) &&
               written == size;
    }

private:
    win::CHandle m_process;
    void* m_address = nullptr;
    size_t m_size;
};

} // namespace

bool SendWithTimeout(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, Timeout timeout) {
    DWORD_PTR answer = 0;
    const UINT ms = static_cast<UINT>(timeout.count());
    if (!::SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, ms, &answer)) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring WindowText(HWND window) {
    LRESULT length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length) || length <= 0) {
        return {};
    }
    // The length may grow between the two messages; what does not fit is cut, and the copy says how much came.
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
        return {};
    }
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(copied, length))));
    return text;
}

std::wstring WindowClass(HWND window) {
    // Class names are at most 256 characters.
    wchar_t name[257] = {};
    const int length = ::GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<size_t>(std::max(0, length)));
}

std::vector<HWND> TopLevelWindows(DWORD pid, std::wstring_view className) {
    EnumState state{pid, className, {}};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className) {
    EnumState state{0, className, {}};
    ::EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

int ToolbarButtonCount(HWND toolbar) {
    LRESULT count = 0;
    return SendWithTimeout(toolbar, TB_BUTTONCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

std::optional<std::vector<std::wstring>> ToolbarButtonTexts(HWND toolbar, Timeout timeout) {
    const int count = ToolbarButtonCount(toolbar);
    const CRemoteBlock button(toolbar, sizeof(TBBUTTON));
    if (count < 0 || !button.IsValid()) {
        return std::nullopt;
    }
    std::vector<std::wstring> texts;
    for (int index = 0; index < count; ++index) {
        // Texts are asked by command id, so the id comes first, from the button at this index.
        LRESULT ok = 0;
        TBBUTTON info{};
        if (!SendWithTimeout(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), button.Address(), ok, timeout) || !ok ||
            !button.Read(&info)) {
            return std::nullopt;
        }
        const auto id = static_cast<WPARAM>(info.idCommand);
        LRESULT length = 0;
        if (!SendWithTimeout(toolbar, TB_GETBUTTONTEXTW, id, 0, length, timeout)) {
            return std::nullopt;
        }
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const CRemoteBlock block(toolbar, text.size() * sizeof(wchar_t));
        if (length > 0 &&
            (!block.IsValid() || !SendWithTimeout(toolbar, TB_GETBUTTONTEXTW, id, block.Address(), length, timeout) ||
             !block.Read(text.data()))) {
            return std::nullopt;
        }
        text.resize(wcsnlen(text.c_str(), text.size()));
        texts.push_back(std::move(text));
    }
    return texts;
}

std::optional<std::vector<std::wstring>> ListViewTexts(HWND list, int column, Timeout timeout) {
    LRESULT count = 0;
    if (!SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0, count, timeout) || count < 0) {
        return std::nullopt;
    }
    // One block: the item structure, then the text buffer it points to.
    constexpr size_t kChars = 1024;
    const CRemoteBlock block(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    if (!block.IsValid()) {
        return std::nullopt;
    }
    std::vector<std::wstring> texts;
    for (LRESULT index = 0; index < count; ++index) {
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = static_cast<int>(kChars);
        item.pszText = reinterpret_cast<wchar_t*>(block.Address() + static_cast<LPARAM>(sizeof(LVITEMW)));
        LRESULT length = 0;
        std::vector<BYTE> data(sizeof(LVITEMW) + kChars * sizeof(wchar_t));
        if (!block.Write(&item, sizeof(item)) ||
            !SendWithTimeout(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), block.Address(), length, timeout) ||
            !block.Read(data.data())) {
            return std::nullopt;
        }
        const auto* text = reinterpret_cast<const wchar_t*>(data.data() + sizeof(LVITEMW));
        texts.emplace_back(text, wcsnlen(text, kChars));
    }
    return texts;
}

bool SelectListViewRow(HWND list, int row) {
    const CRemoteBlock block(list, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    LRESULT ok = 0;
    return block.IsValid() && block.Write(&item, sizeof(item)) &&
           SendWithTimeout(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.Address(), ok) && ok;
}

std::optional<std::vector<TreeItemText>> TreeViewChildren(HWND tree, HTREEITEM parent, Timeout timeout) {
    constexpr size_t kChars = 1024;
    const CRemoteBlock block(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    if (!block.IsValid()) {
        return std::nullopt;
    }
    std::vector<TreeItemText> children;
    LRESULT next = 0;
    if (!SendWithTimeout(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent), next,
                         timeout)) {
        return std::nullopt;
    }
    while (next != 0) {
        const auto item = reinterpret_cast<HTREEITEM>(next);
        TVITEMW info{};
        info.mask = TVIF_TEXT | TVIF_HANDLE;
        info.hItem = item;
        info.cchTextMax = static_cast<int>(kChars);
        info.pszText = reinterpret_cast<wchar_t*>(block.Address() + static_cast<LPARAM>(sizeof(TVITEMW)));
        LRESULT ok = 0;
        std::vector<BYTE> data(sizeof(TVITEMW) + kChars * sizeof(wchar_t));
        if (!block.Write(&info, sizeof(info)) ||
            !SendWithTimeout(tree, TVM_GETITEMW, 0, block.Address(), ok, timeout) || !ok || !block.Read(data.data())) {
            return std::nullopt;
        }
        const auto* text = reinterpret_cast<const wchar_t*>(data.data() + sizeof(TVITEMW));
        children.push_back({item, std::wstring(text, wcsnlen(text, kChars))});
        if (!SendWithTimeout(tree, TVM_GETNEXTITEM, TVGN_NEXT, next, next, timeout)) {
            return std::nullopt;
        }
    }
    return children;
}

} // namespace e2e
