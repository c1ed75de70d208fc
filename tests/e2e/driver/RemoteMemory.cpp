#include "driver/RemoteMemory.h"

#include "driver/Windows.h"

#include <commctrl.h>

namespace e2e {

CRemoteMemory::~CRemoteMemory() {
    (void)Free();
}

bool CRemoteMemory::AllocateFor(HWND window, size_t size) {
    if (!Free() || size == 0) {
        return false;
    }
    const DWORD pid = WindowProcessId(window);
    if (pid == 0) {
        return false;
    }
    m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!m_process) {
        return false;
    }
    m_address = ::VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    m_size = m_address ? size : 0;
    return m_address != nullptr;
}

bool CRemoteMemory::Free() {
    bool ok = true;
    if (m_address) {
        ok = ::VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE) != FALSE;
    }
    m_address = nullptr;
    m_size = 0;
    return m_process.Close() && ok;
}

bool CRemoteMemory::Write(const void* data, size_t size, size_t offset) const {
    if (!m_address || offset > m_size || size > m_size - offset) {
        return false;
    }
    SIZE_T written = 0;
    return ::WriteProcessMemory(m_process.Get(), static_cast<BYTE*>(m_address) + offset, data, size, &written) &&
           written == size;
}

bool CRemoteMemory::Read(void* data, size_t size, size_t offset) const {
    if (!m_address || offset > m_size || size > m_size - offset) {
        return false;
    }
    SIZE_T read = 0;
    return ::ReadProcessMemory(m_process.Get(), static_cast<const BYTE*>(m_address) + offset, data, size, &read) &&
           read == size;
}

std::optional<std::wstring> CRemoteMemory::ReadString(size_t units, size_t offset) const {
    std::wstring text(units, L'\0');
    if (!Read(text.data(), units * sizeof(wchar_t), offset)) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), units));
    return text;
}

std::optional<std::vector<std::wstring>> ToolbarButtonTexts(HWND toolbar, Timeout timeout) {
    const int count = ToolbarButtonCount(toolbar);
    if (count < 0) {
        return std::nullopt;
    }
    CRemoteMemory button;
    if (!button.AllocateFor(toolbar, sizeof(TBBUTTON))) {
        return std::nullopt;
    }
    std::vector<std::wstring> texts;
    for (int index = 0; index < count; ++index) {
        // Texts are asked by command id, so the id comes first, from the button at this index.
        LRESULT ok = 0;
        if (!SendWithTimeout(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), button.Address(), ok, timeout) || !ok) {
            return std::nullopt;
        }
        const auto info = button.ReadValue<TBBUTTON>();
        if (!info) {
            return std::nullopt;
        }
        const auto id = static_cast<WPARAM>(info->idCommand);
        LRESULT length = 0;
        if (!SendWithTimeout(toolbar, TB_GETBUTTONTEXTW, id, 0, length, timeout)) {
            return std::nullopt;
        }
        if (length <= 0) {
            texts.emplace_back(); // a button without text
            continue;
        }
        const size_t units = static_cast<size_t>(length) + 1;
        CRemoteMemory text;
        if (!text.AllocateFor(toolbar, units * sizeof(wchar_t)) ||
            !SendWithTimeout(toolbar, TB_GETBUTTONTEXTW, id, text.Address(), length, timeout)) {
            return std::nullopt;
        }
        auto value = text.ReadString(units);
        if (!value) {
            return std::nullopt;
        }
        texts.push_back(std::move(*value));
    }
    return texts;
}

} // namespace e2e
