#include "app/ExeInfo.h"
#include "common/ScopedRegistry.h"
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

TEST(ExeInfoRegistry, InitFollowsTheInstallationDirectoryInTheRegistry) {
    CScopedRegistryValue guard(HKEY_LOCAL_MACHINE, kKey, L"InstDir");
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
        {L"", ExeModeStandalone},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(guard.SetString(c.value));
        ExeInfo::Init();
        EXPECT_EQ(ExeInfo::GetMode(), c.mode) << c.value;
        EXPECT_EQ(ExeInfo::GetExecDir(), c.mode == ExeModeInstalled ? documents + L"\\Folivex" : exeDir) << c.value;
        EXPECT_EQ(ExeInfo::GetExePath(), exePath);
    }
}

} // namespace
