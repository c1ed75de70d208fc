#include "data/KeyNames.h"

#include <array>

namespace data {

namespace {

enum Allow : uint8_t {
    kAllowNone = 0x01,
    kAllowShift = 0x02,
    kAllowControl = 0x04,
    kAllowAlt = 0x08,
};
constexpr uint8_t kModifiers = kAllowShift | kAllowControl | kAllowAlt;

struct KeyRow {
    uint16_t key;
    std::wstring_view name;
    uint8_t allowed;
};

constexpr KeyRow kKeys[] = {
    {0x08, L"[BACK]", kModifiers},     {0x09, L"[TAB]", kAllowControl | kAllowAlt},
    {0x0C, L"[CLEAR]", kModifiers},    {0x0D, L"[ENTER]", kModifiers},
    {0x13, L"[PAUSE]", kModifiers},    {0x1B, L"[ESC]", kModifiers},
    {0x1C, L"[CONV]", kModifiers},     {0x1D, L"[NONCONV]", kModifiers},
    {0x20, L"[SPACE]", kModifiers},    {0x21, L"[PAGEUP]", kModifiers},
    {0x22, L"[PAGEDN]", kModifiers},   {0x23, L"[END]", kModifiers},
    {0x24, L"[HOME]", kModifiers},     {0x25, L"[LEFT]", kModifiers},
    {0x26, L"[UP]", kModifiers},       {0x27, L"[RIGHT]", kModifiers},
    {0x28, L"[DOWN]", kModifiers},     {0x29, L"[SELECT]", kModifiers},
    {0x2A, L"[PRINT]", kModifiers},    {0x2B, L"[EXECUTE]", kModifiers},
    {0x2D, L"[INSERT]", kModifiers},   {0x2E, L"[DELETE]", kModifiers},
    {0x2F, L"[HELP]", kModifiers},     {0x30, L"[0]", kModifiers},
    {0x31, L"[1]", kModifiers},        {0x32, L"[2]", kModifiers},
    {0x33, L"[3]", kModifiers},        {0x34, L"[4]", kModifiers},
    {0x35, L"[5]", kModifiers},        {0x36, L"[6]", kModifiers},
    {0x37, L"[7]", kModifiers},        {0x38, L"[8]", kModifiers},
    {0x39, L"[9]", kModifiers},        {0x41, L"[A]", kModifiers},
    {0x42, L"[B]", kModifiers},        {0x43, L"[C]", kModifiers},
    {0x44, L"[D]", kModifiers},        {0x45, L"[E]", kModifiers},
    {0x46, L"[F]", kModifiers},        {0x47, L"[G]", kModifiers},
    {0x48, L"[H]", kModifiers},        {0x49, L"[I]", kModifiers},
    {0x4A, L"[J]", kModifiers},        {0x4B, L"[K]", kModifiers},
    {0x4C, L"[L]", kModifiers},        {0x4D, L"[M]", kModifiers},
    {0x4E, L"[N]", kModifiers},        {0x4F, L"[O]", kModifiers},
    {0x50, L"[P]", kModifiers},        {0x51, L"[Q]", kModifiers},
    {0x52, L"[R]", kModifiers},        {0x53, L"[S]", kModifiers},
    {0x54, L"[T]", kModifiers},        {0x55, L"[U]", kModifiers},
    {0x56, L"[V]", kModifiers},        {0x57, L"[W]", kModifiers},
    {0x58, L"[X]", kModifiers},        {0x59, L"[Y]", kModifiers},
    {0x5A, L"[Z]", kModifiers},        {0x5B, L"[LWIN]", kModifiers},
    {0x5C, L"[RWIN]", kModifiers},     {0x5D, L"[APPS]", kModifiers},
    {0x70, L"[F1]", kAllowNone | kModifiers},  {0x71, L"[F2]", kAllowNone | kModifiers},
    {0x72, L"[F3]", kAllowNone | kModifiers},  {0x73, L"[F4]", kAllowNone | kModifiers},
    {0x74, L"[F5]", kAllowNone | kModifiers},  {0x75, L"[F6]", kAllowNone | kModifiers},
    {0x76, L"[F7]", kAllowNone | kModifiers},  {0x77, L"[F8]", kAllowNone | kModifiers},
    {0x78, L"[F9]", kAllowNone | kModifiers},  {0x79, L"[F10]", kAllowNone | kModifiers},
    {0x7A, L"[F11]", kAllowNone | kModifiers}, {0x7B, L"[F12]", kAllowNone | kModifiers},
    {0x7C, L"[F13]", kAllowNone | kModifiers}, {0x7D, L"[F14]", kAllowNone | kModifiers},
    {0x7E, L"[F15]", kAllowNone | kModifiers}, {0x7F, L"[F16]", kAllowNone | kModifiers},
    {0x80, L"[F17]", kAllowNone | kModifiers}, {0x81, L"[F18]", kAllowNone | kModifiers},
    {0x82, L"[F19]", kAllowNone | kModifiers}, {0x83, L"[F20]", kAllowNone | kModifiers},
    {0x84, L"[F21]", kAllowNone | kModifiers}, {0x85, L"[F22]", kAllowNone | kModifiers},
    {0x86, L"[F23]", kAllowNone | kModifiers}, {0x87, L"[F24]", kAllowNone | kModifiers},
};
static_assert(std::size(kKeys) == 86);

const KeyRow* FindKey(uint16_t key) {
    for (const KeyRow& row : kKeys) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

std::wstring_view KeyName(uint16_t key) {
    const KeyRow* row = FindKey(key);
    return row ? row->name : std::wstring_view();
}

bool KeyFromName(std::wstring_view name, uint16_t& key) {
    for (const KeyRow& row : kKeys) {
        if (row.name == name) {
            key = row.key;
            return true;
        }
    }
    return false;
}

size_t KeyNameCount() { return std::size(kKeys); }

std::wstring KeyDisplayText(const KeyBinding& binding) {
    const std::wstring_view name = KeyName(binding.key);
    if (!(binding.flags & kKeyVirtual) || name.empty()) {
        return {};
    }
    std::wstring text;
    if (binding.flags & kKeyShift) {
        text += L"[SHIFT] + ";
    }
    if (binding.flags & kKeyControl) {
        text += L"[CTRL] + ";
    }
    if (binding.flags & kKeyAlt) {
        text += L"[ALT] + ";
    }
    text += name;
    return text;
}

bool IsAllowedCombination(const KeyBinding& binding) {
    const KeyRow* row = FindKey(binding.key);
    if (!(binding.flags & kKeyVirtual) || !row) {
        return false;
    }
    const bool shift = binding.flags & kKeyShift;
    const bool control = binding.flags & kKeyControl;
    const bool alt = binding.flags & kKeyAlt;
    if (!shift && !control && !alt) {
        return row->allowed & kAllowNone;
    }
    return (!shift || (row->allowed & kAllowShift)) && (!control || (row->allowed & kAllowControl)) &&
           (!alt || (row->allowed & kAllowAlt));
}

} // namespace data
