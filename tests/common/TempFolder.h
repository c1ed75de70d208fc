#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the object goes.
// Every test that writes files works in one of these, never in a user's folder.

#include <string>

class CTempFolder {
public:
    CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    ~CTempFolder();

    [[nodiscard]] const std::wstring& Path() const noexcept { return m_path; }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

    static bool RemoveTree(const std::wstring& path);

private:
    std::wstring m_path;
};

// A name no other test or process uses, for named kernel objects of a test.
std::wstring UniqueName(const std::wstring& prefix);
