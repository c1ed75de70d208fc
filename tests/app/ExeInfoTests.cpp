#include "app/ExeInfo.h"
#include "common/TempFolder.h"
#include "win/Path.h"

#include <gtest/gtest.h>

#include <optional>
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

TEST(ExeInfoRegistry, AcceptsOnlyTerminatedStringValuesOfBoundedSize) {
    const auto ok = Bytes(L"C:\\Apps");
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_SZ, ok.data(), static_cast<DWORD>(ok.size())), L"C:\\Apps");
    const auto expandable = Bytes(L"%ProgramFiles%\\Folivex");
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_EXPAND_SZ, expandable.data(), static_cast<DWORD>(expandable.size())),
              L"%ProgramFiles%\\Folivex"); // not expanded
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_DWORD, ok.data(), 4), std::nullopt);
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_MULTI_SZ, ok.data(), static_cast<DWORD>(ok.size())), std::nullopt);
    const auto unterminated = Bytes(L"C:\\Apps", false);
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_SZ, unterminated.data(), static_cast<DWORD>(unterminated.size())),
              std::nullopt);
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_SZ, ok.data(), static_cast<DWORD>(ok.size() - 1)), std::nullopt);
    const auto longest = Bytes(std::wstring(263, L'a'));
    EXPECT_TRUE(ExeInfo::ParseInstallDirValue(REG_SZ, longest.data(), static_cast<DWORD>(longest.size())));
    const auto tooLong = Bytes(std::wstring(264, L'a'));
    EXPECT_EQ(ExeInfo::ParseInstallDirValue(REG_SZ, tooLong.data(), static_cast<DWORD>(tooLong.size())),
              std::nullopt);
}

// Sets InstDir in the local machine hive of the build's own prefix and puts back what was there.
class CInstallDirGuard {
public:
    CInstallDirGuard() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            m_keyExisted = true;
            DWORD size = 0;
            if (::RegQueryValueExW(key, L"InstDir", nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
                m_old.resize(size);
                ::RegQueryValueExW(key, L"InstDir", nullptr, &m_type, m_old.data(), &size);
                m_valueExisted = true;
            }
            ::RegCloseKey(key);
        }
    }
    ~CInstallDirGuard() {
        if (!m_keyExisted) {
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        if (m_valueExisted) {
            ::RegSetValueExW(key, L"InstDir", 0, m_type, m_old.data(), static_cast<DWORD>(m_old.size()));
        } else {
            ::RegDeleteValueW(key, L"InstDir");
        }
        ::RegCloseKey(key);
    }
    bool Set(const std::wstring& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        const auto data = Bytes(value);
        const bool ok = ::RegSetValueExW(key, L"InstDir", 0, type, data.data(), static_cast<DWORD>(data.size())) ==
                        ERROR_SUCCESS;
        ::RegCloseKey(key);
        return ok;
    }
    bool Remove() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return true;
        }
        ::RegDeleteValueW(key, L"InstDir");
        ::RegCloseKey(key);
        return true;
    }

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
        {other.Path(), ExeModeStandalone},                          // another existing folder
        {exeDir + L"\\missing-folder", ExeModeStandalone},          // not a folder
        {L"\\\\localhost\\share\\folivex", ExeModeStandalone},      // UNC
        {L"relative\\folder", ExeModeStandalone},                   // relative
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(guard.Set(c.value));
        ExeInfo::Init();
        EXPECT_EQ(ExeInfo::GetMode(), c.mode) << c.value;
        EXPECT_EQ(ExeInfo::GetExecDir(), c.mode == ExeModeInstalled ? documents + L"\\Folivex" : exeDir) << c.value;
        EXPECT_EQ(ExeInfo::GetExePath(), exePath);
    }
    ASSERT_TRUE(guard.Remove());
    ExeInfo::Init();
    EXPECT_EQ(ExeInfo::GetMode(), ExeModeStandalone);
    EXPECT_EQ(ExeInfo::GetExecDir(), exeDir);
    EXPECT_TRUE(ExeInfo::ReadInstallDir().empty());
}

TEST(ExeInfoDisplay, ModeNames) {
    EXPECT_EQ(ExeInfo::ModeDisplayName(ExeModeStandalone), L"スタンドアロン");
    EXPECT_EQ(ExeInfo::ModeDisplayName(ExeModeInstalled), L"インストール");
    EXPECT_EQ(ExeInfo::ModeDisplayName(ExeModeNone), L"?????");
    EXPECT_EQ(ExeInfo::ModeDisplayName(static_cast<ExeMode>(7)), L"?????");
}

} // namespace
