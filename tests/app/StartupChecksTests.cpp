#include "app/StartupChecks.h"
#include "common/TempFolder.h"
#include "win/Path.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckExecution, RefusesWhatCannotHoldTheDataFiles) {
    const std::wstring place = L"この場所では実行できません。\n";
    EXPECT_EQ(CheckExecution(ExeModeNone, L"C:\\"), L"実行情報の初期化処理でエラーが発生しました。");
    EXPECT_EQ(CheckExecution(ExeModeStandalone, L"\\\\server\\share\\Folivex"), place + L"\\\\server\\share\\Folivex");
    EXPECT_EQ(CheckExecution(ExeModeInstalled, L"relative\\Folivex"), place + L"relative\\Folivex");
    EXPECT_EQ(CheckExecution(ExeModeStandalone, L""), L"この場所では実行できません。");
}

TEST(CheckExecution, CreatesOneMissingLevelOnly) {
    CTempFolder temp;
    const std::wstring oneLevel = temp.File(L"Folivex");
    EXPECT_EQ(CheckExecution(ExeModeInstalled, oneLevel), L"");
    EXPECT_TRUE(win::DirectoryExists(oneLevel));
    EXPECT_EQ(CheckExecution(ExeModeInstalled, oneLevel), L""); // existing: fine

    const std::wstring twoLevels = temp.File(L"missing\\Folivex");
    EXPECT_EQ(CheckExecution(ExeModeInstalled, twoLevels), L"実行ディレクトリの初期化処理でエラーが発生しました。");
    EXPECT_FALSE(win::DirectoryExists(twoLevels));
}

} // namespace
