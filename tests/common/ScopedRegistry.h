#pragma once
// One registry value set for the length of a scope (the installation value a test cannot avoid): the value that
// was there comes back, or none when there was none (and no key when the key was made here), also when an
// assertion left the test early.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

class CScopedRegistryValue {
public:
    CScopedRegistryValue(HKEY root, std::wstring subKey, std::wstring name)
        : m_root(root), m_subKey(std::move(subKey)), m_name(std::move(name)) {
        HKEY key = nullptr;
        m_keyExisted = ::RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        DWORD size = 0;
        if (m_keyExisted &&
            ::RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
            m_data.resize(size);
            m_hadValue =
                ::RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, m_data.data(), &size) == ERROR_SUCCESS;
        }
        if (key) {
            ::RegCloseKey(key);
        }
    }
    CScopedRegistryValue(const CScopedRegistryValue&) = delete;
    CScopedRegistryValue& operator=(const CScopedRegistryValue&) = delete;
    ~CScopedRegistryValue() {
        if (!m_keyExisted) {
            ::RegDeleteTreeW(m_root, m_subKey.c_str());
        } else if (m_hadValue) {
            ::RegSetKeyValueW(m_root, m_subKey.c_str(), m_name.c_str(), m_type, m_data.data(),
                              static_cast<DWORD>(m_data.size()));
        } else {
            ::RegDeleteKeyValueW(m_root, m_subKey.c_str(), m_name.c_str());
        }
    }

    [[nodiscard]] bool SetString(std::wstring_view text) const {
        const std::wstring value(text);
        return ::RegSetKeyValueW(m_root, m_subKey.c_str(), m_name.c_str(), REG_SZ, value.c_str(),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    HKEY m_root;
    std::wstring m_subKey;
    std::wstring m_name;
    bool m_keyExisted = false;
    bool m_hadValue = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_data;
};
