#pragma once
// Memory inside another process, for the messages of common controls whose pointers the system does not carry
// across processes (toolbar texts here; tree-view and list-view items follow the same pattern): open the
// process behind the control, reserve a block there, send the message with the block's address, read the block.
// The driver and the program are built for the same target, so structures have the same layout on both sides.

#include "driver/Wait.h"
#include "win/Handles.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A block of read-write memory committed in another process, released when the object goes.
class CRemoteMemory {
public:
    CRemoteMemory() = default;
    CRemoteMemory(const CRemoteMemory&) = delete;
    CRemoteMemory& operator=(const CRemoteMemory&) = delete;
    ~CRemoteMemory();

    // Opens the process that owns `window` and commits `size` bytes there; false when either is refused.
    [[nodiscard]] bool AllocateFor(HWND window, size_t size);
    // Releases the block (a new one may be allocated afterwards); false when the platform refused.
    [[nodiscard]] bool Free();

    [[nodiscard]] bool IsValid() const noexcept { return m_address != nullptr; }
    [[nodiscard]] size_t Size() const noexcept { return m_size; }
    // The block's address in the other process, to pass in a message.
    [[nodiscard]] LPARAM Address(size_t offset = 0) const noexcept {
        return reinterpret_cast<LPARAM>(static_cast<BYTE*>(m_address) + offset);
    }

    [[nodiscard]] bool Write(const void* data, size_t size, size_t offset = 0) const;
    [[nodiscard]] bool Read(void* data, size_t size, size_t offset = 0) const;

    template <class T> [[nodiscard]] bool WriteValue(const T& value, size_t offset = 0) const {
        return Write(&value, sizeof(T), offset);
    }
    template <class T> [[nodiscard]] std::optional<T> ReadValue(size_t offset = 0) const {
        T value{};
        return Read(&value, sizeof(T), offset) ? std::optional<T>(value) : std::nullopt;
    }
    // `units` UTF-16 units from `offset`, cut at the first zero.
    [[nodiscard]] std::optional<std::wstring> ReadString(size_t units, size_t offset = 0) const;

private:
    win::CHandle m_process;
    void* m_address = nullptr;
    size_t m_size = 0;
};

// The texts of a toolbar's buttons in order, as TB_GETBUTTONTEXTW gives them (mnemonic ampersands included);
// nothing when the toolbar or its process could not be read.
std::optional<std::vector<std::wstring>> ToolbarButtonTexts(HWND toolbar, Timeout timeout = kDefaultTimeout);

} // namespace e2e
