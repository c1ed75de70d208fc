#pragma once
// Key names: the 86 keys a shortcut can use, their names as stored and shown ("[O]", "[F11]"), the modifiers
// each allows, and the display text of a binding.

#include <cstdint>
#include <string>
#include <string_view>

namespace data {

// Accelerator flags as the platform's accelerator entries carry them.
enum KeyFlags : uint8_t {
    kKeyVirtual = 0x01,
    kKeyShift = 0x04,
    kKeyControl = 0x08,
    kKeyAlt = 0x10,
};

// One key combination bound to one command.
struct KeyBinding {
    uint8_t flags = 0;
    uint16_t key = 0; // virtual-key code
    uint16_t command = 0;

    // Flags in the low 8 bits and the key above them: equal values are the same combination.
    [[nodiscard]] uint32_t Combination() const noexcept { return flags | (static_cast<uint32_t>(key) << 8); }
};

// The name of a virtual-key code, or empty when the key has none.
std::wstring_view KeyName(uint16_t key);
// The virtual-key code of a name; false for an unknown name (names compare exactly).
bool KeyFromName(std::wstring_view name, uint16_t& key);
// How many keys have names.
size_t KeyNameCount();

// "[SHIFT] + [CTRL] + [ALT] + " as present, then the key name; empty without the virtual-key flag or a name.
std::wstring KeyDisplayText(const KeyBinding& binding);
// Whether a combination may be offered for binding: virtual-key flag set, and the modifiers (or, for
// F1 to F24, none at all) allowed for the key.
bool IsAllowedCombination(const KeyBinding& binding);

} // namespace data
