#include "app/ExeInfo.h"
#include "common/TempFolder.h"
#include "win/Path.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\folivex";

TEST(ExeInfoSettle, InstalledOnlyWhenTheInstallationDirectoryIsTheExecutablesFolder) {
    struct Case {
        const wchar_t* exeDir;
        const wchar_t* installDir;
        const wchar_t* documents;
        ExeMode mode;
        const wchar_t* execDir;
    };
    const Case cases[] = {
        {L"C:\\Apps\\Folivex", L"", L"C:\\Users\\me\\Documents", ExeModeStandalone, L"C:\\Apps\\Folivex"},
        {L"C:\\Apps\\Folivex", L"D:\\Other", L"C:\\Users\\me\\Documents", ExeModeStandalone, L"C:\\Apps\\Folivex"},
        {L"C:\\Apps\\Folivex", L"c:\\apps\\FOLIVEX", L"C:\\Users\\me\\Documents", ExeModeInstalled,
         L"C:\\Users\\me\\Documents\\Folivex"},
        {L"C:\\Apps\\Folivex", L"C:\\Apps\\Folivex", L"C:\\Users\\me\\Documents\\", ExeModeInstalled,
         L"C:\\Users\\me\\Documents\\Folivex"},
        // Installed, but no documents folder to keep the data in: start-up must fail.
        {L"C:\\Apps\\Folivex", L"C:\\Apps\\Folivex", L"", ExeModeNone, L""},
        // Non-ASCII letters are compared exactly.
        {L"C:\\Äpps", L"C:\\äpps", L"C:\\Docs", ExeModeStandalone, L"C:\\Äpps"},
    };
    for (const Case& c : cases) {
        const ExeSettlement settled = ExeInfo::Settle(c.exeDir, c.installDir, c.documents);
        EXPECT_EQ(settled.mode, c.mode) << c.installDir;
        EXPECT_EQ(settled.execDir, c.execDir) << c.installDir;
    }
}

std::vector<BYTE> Bytes(const std::wstring& text, bool terminate = true) {
    const size_t units = text.size() + (terminate ? 1 : 0);
    std::vector<BYTE> data(units * sizeof(wchar_t));
    memcpy(data.data(), text.c_str(), data.size());
    return data;
}

// Sets InstDir in the local machine hive of the build's own prefix and puts back what was there.
class CInstallDirGuard {
public:
    CInstallDirGuard() {
        HKEY key = nullptr;
        m_keyExisted = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        DWORD size = 0;
        if (m_keyExisted && ::RegQueryValueExW(key, L"InstDir", nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
            m_old.resize(size);
            m_valueExisted =
                ::RegQueryValueExW(key, L"InstDir", nullptr, &m_type, m_old.data(), &size) == ERROR_SUCCESS;
        }
        if (key) {
            ::RegCloseKey(key);
        }
    }
    ~CInstallDirGuard() {
        if (!m_keyExisted) {
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
        } else if (m_valueExisted) {
            ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"InstDir", m_type, m_old.data(),
                              static_cast<DWORD>(m_old.size()));
        } else {
            Remove();
        }
    }
    bool Set(const std::wstring& value) {
        const auto data = Bytes(value);
        return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"InstDir", REG_SZ, data.data(),
                                 static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }
    void Remove() { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"InstDir"); }

private:
    bool m_keyExisted = false;
    bool m_valueExisted = false;
    DWORD m_type = REG_SZ;
    std::vector<BYTE> m_old;
};

TEST(ExeInfoRegistry, InitFollowsTheInstallationDirectoryInTheRegistry) {
    CInstallDirGuard guard;
    const std::wstring exePath = win::ModuleFileName();
    const std::wstring exeDir = win::ParentFolder(exePath);
    const std::wstring documents = ExeInfo::DocumentsFolder();
    ASSERT_FALSE(documents.empty());
    CTempFolder other;
    std::wstring upper = exeDir;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(towupper(c));
    }

    struct Case {
        std::wstring value;
        ExeMode mode;
    };
    const Case cases[] = {
        {exeDir, ExeModeInstalled},
        {upper, ExeModeInstalled},
        {L"  " + exeDir + L"\\  ", ExeModeInstalled},
        {other.Path(), ExeModeStandalone},                     // another existing folder
        {exeDir + L"\\missing-folder", ExeModeStandalone},     // not a folder
        {L"\\\\localhost\\share\\folivex", ExeModeStandalone}, // UNC
        {L"relative\\folder", ExeModeStandalone},              // relative
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(guard.Set(c.value));
        ExeInfo::Init();
        EXPECT_EQ(ExeInfo::GetMode(), c.mode) << c.value;
        EXPECT_EQ(ExeInfo::GetExecDir(), c.mode == ExeModeInstalled ? documents + L"\\Folivex" : exeDir) << c.value;
        EXPECT_EQ(ExeInfo::GetExePath(), exePath);
    }
    guard.Remove();
    ExeInfo::Init();
    EXPECT_EQ(ExeInfo::GetMode(), ExeModeStandalone);
    EXPECT_EQ(ExeInfo::GetExecDir(), exeDir);
    EXPECT_TRUE(ExeInfo::ReadInstallDir().empty());
}

} // namespace
