#include "driver/Windows.h"

#include "win/Handles.h"

#include <commctrl.h>

#include <cstring>

#include <algorithm>
#include <memory>

namespace e2e {

namespace {

// What an enumeration collects: windows of the class (any when empty) and, for top-level ones (pid not 0), of
// the process and visible.
struct EnumState {
    DWORD pid = 0;
    std::wstring_view className;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if ((state.pid == 0 || (pid == state.pid && ::IsWindowVisible(window))) &&
        (state.className.empty() || WindowClass(window) == state.className)) {
        state.found.push_back(window);
    }
    return TRUE;
}

// Sends `msg` with `item` copied into a block of the window's process, whose text pointer names the rest of the
// block; the text, or nothing when the message failed (a zero answer counts as failure when `zeroFails`).
template <class Item>
std::optional<std::wstring> RemoteItemText(HWND window, UINT msg, WPARAM wp, Item item, bool zeroFails,
                                           Timeout timeout) {
    constexpr size_t kChars = 1024;
    constexpr size_t kSize = sizeof(Item) + kChars * sizeof(wchar_t);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const win::CHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    const auto release = [&process](void* block) { ::VirtualFreeEx(process.Get(), block, 0, MEM_RELEASE); };
    const std::unique_ptr<void, decltype(release)> block(
        process ? ::VirtualAllocEx(process.Get(), nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr,
        release);
    item.cchTextMax = static_cast<int>(kChars);
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(block.get()) + sizeof(Item));
    std::vector<BYTE> data(kSize);
    SIZE_T moved = 0;
    LRESULT result = 0;
    if (!block || !::WriteProcessMemory(process.Get(), block.get(), &item, sizeof(item), &moved) ||
        !SendWithTimeout(window, msg, wp, reinterpret_cast<LPARAM>(block.get()), result, timeout) ||
        (zeroFails && !result) || !::ReadProcessMemory(process.Get(), block.get(), data.data(), kSize, &moved) ||
        moved != kSize) {
        return std::nullopt;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(data.data() + sizeof(Item));
    return std::wstring(text, wcsnlen(text, kChars));
}

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
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className) {
    EnumState state{0, className, {}};
    ::EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::optional<std::vector<std::wstring>> ListViewTexts(HWND list, int column, Timeout timeout) {
    LRESULT count = 0;
    if (!SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0, count, timeout) || count < 0) {
        return std::nullopt;
    }
    std::vector<std::wstring> texts;
    for (LRESULT index = 0; index < count; ++index) {
        LVITEMW item{};
        item.iSubItem = column;
        auto text = RemoteItemText(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), item, false, timeout);
        if (!text) {
            return std::nullopt;
        }
        texts.push_back(std::move(*text));
    }
    return texts;
}


bool SelectListViewRow(HWND list, int row) {
    // The state message reads only the state fields; the text part of the block goes unused.
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return RemoteItemText(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), item, true, kDefaultTimeout).has_value();
}

std::optional<std::vector<TreeItemText>> TreeViewChildren(HWND tree, HTREEITEM parent, Timeout timeout) {
    std::vector<TreeItemText> children;
    LRESULT next = 0;
    if (!SendWithTimeout(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent), next,
                         timeout)) {
        return std::nullopt;
    }
    while (next != 0) {
        TVITEMW info{};
        info.mask = TVIF_TEXT | TVIF_HANDLE;
        info.hItem = reinterpret_cast<HTREEITEM>(next);
        auto text = RemoteItemText(tree, TVM_GETITEMW, 0, info, true, timeout);
        if (!text) {
            return std::nullopt;
        }
        children.push_back({info.hItem, std::move(*text)});
        if (!SendWithTimeout(tree, TVM_GETNEXTITEM, TVGN_NEXT, next, next, timeout)) {
            return std::nullopt;
        }
    }
    return children;
}

std::optional<RECT> TreeItemScreenRect(HWND tree, HTREEITEM item, bool labelOnly) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tree, &pid);
    const win::CHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    const auto release = [&process](void* block) { ::VirtualFreeEx(process.Get(), block, 0, MEM_RELEASE); };
    const std::unique_ptr<void, decltype(release)> block(
        process ? ::VirtualAllocEx(process.Get(), nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                : nullptr,
        release);
    // The message takes the item in the rectangle it fills.
    RECT rect{};
    static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
    std::memcpy(&rect, &item, sizeof(item));
    SIZE_T moved = 0;
    LRESULT result = 0;
    if (!block || !::WriteProcessMemory(process.Get(), block.get(), &rect, sizeof(rect), &moved) ||
        !SendWithTimeout(tree, TVM_GETITEMRECT, labelOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(block.get()),
                         result) ||
        !result || !::ReadProcessMemory(process.Get(), block.get(), &rect, sizeof(rect), &moved) ||
        moved != sizeof(rect)) {
        return std::nullopt;
    }
    ::MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace e2e
