#include "common/TestFiles.h"

#include "win/Strings.h"

#include "xml/XmlFile.h"
#include "xml/XmlStore.h"

#include <windows.h>

#include <algorithm>

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return ::CloseHandle(file) && ok;
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return bytes;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitUntilFileTimeAfter(const std::wstring& folder, uint64_t time) {
    const std::wstring probe = folder + L"\\clock.probe";
    // Each round writes a file; a file system clock that never moves is a broken environment, not a wait.
    for (int round = 0; round < 1000000; ++round) {
        if (!WriteBytes(probe, "tick")) {
            return false;
        }
        if (xml::GetLastWriteTime(probe) > time) {
            return ::DeleteFileW(probe.c_str()) != FALSE;
        }
        ::SwitchToThread();
    }
    return false;
}

bool ReloadFromText(xml::CXmlStore& store, const std::wstring& folder, const std::string& body) {
    if (!WriteBytes(folder + L"\\" + store.GetFileName(), kXmlHeader + body)) {
        return false;
    }
    store.SetFolder(folder);
    return store.Reload();
}

std::wstring HostPath(std::string_view path) {
    // The build gives paths as its host sees them; a Unix path is reached through Wine's Z: drive.
    std::wstring converted = win::Utf8ToWide(path);
    if (!converted.empty() && converted.front() == L'/') {
        converted.insert(0, L"Z:");
    }
    std::replace(converted.begin(), converted.end(), L'/', L'\\');
    return converted;
}

std::wstring TestDocument(const std::wstring& name) {
    return HostPath(FOLIVEX_TEST_CHM_DIR) + L"\\" + name + L".chm";
}
