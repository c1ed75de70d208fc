#pragma once
// Scoped changes to shared places a test cannot avoid (the registry value that marks an installation, the
// documents folder of the build's Wine prefix): each puts back exactly what was there when its scope ends,
// also when an assertion left the test early.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// Sets one registry value for the length of a scope. The previous value (type and bytes) comes back, or no
// value when there was none, and no key when the key was created here.
class CScopedRegistryValue {
public:
    CScopedRegistryValue(HKEY root, std::wstring subKey, std::wstring name);
    CScopedRegistryValue(const CScopedRegistryValue&) = delete;
    CScopedRegistryValue& operator=(const CScopedRegistryValue&) = delete;
    ~CScopedRegistryValue();

    [[nodiscard]] bool SetString(std::wstring_view text);
    // Puts back what was there before the first change; false when the registry refused.
    [[nodiscard]] bool Restore();

private:
    HKEY m_root;
    std::wstring m_subKey;
    std::wstring m_name;
    bool m_saved = false;
    bool m_createdKey = false;
    bool m_hadValue = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_data;
};

// Keeps one path of a shared folder free for a test and removes what the test (or the program it drove) put
// there. An empty folder found at the path is set aside and made again afterwards; anything else found there
// is left alone, and the guard then refuses.
class CScopedAbsentPath {
public:
    explicit CScopedAbsentPath(std::wstring path) : m_path(std::move(path)) {}
    CScopedAbsentPath(const CScopedAbsentPath&) = delete;
    CScopedAbsentPath& operator=(const CScopedAbsentPath&) = delete;
    ~CScopedAbsentPath();

    // True when the path is now free and will be restored; false when something worth keeping is there.
    [[nodiscard]] bool Clear();
    [[nodiscard]] bool Restore();
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_path; }

private:
    std::wstring m_path;
    bool m_armed = false;
    bool m_hadEmptyFolder = false;
};

// The user's documents folder when it is safe for tests to write in: running under Wine, and a real folder
// inside the prefix rather than a link to the home folder of the user who runs the build. Empty otherwise.
std::wstring PrefixDocumentsFolder();

bool PathExists(const std::wstring& path);
bool IsFolder(const std::wstring& path);

} // namespace e2e
