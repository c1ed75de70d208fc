// The shortcut-key window of a real folivex.exe: a key bound there works in the frame at once and is in the
// file; resetting every place brings the defaults back.

#include "common/TestFiles.h"
#include "data/DataShortkey.h"
#include "driver/Dialogs.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

// Whether `upper` stands above `lower` in the z-order.
bool IsAbove(HWND upper, HWND lower) {
    for (HWND window = ::GetWindow(lower, GW_HWNDPREV); window; window = ::GetWindow(window, GW_HWNDPREV)) {
        if (window == upper) {
            return true;
        }
    }
    return false;
}

TEST(ShortKeyWindow, ABindingWorksAtOnceAndResetAllRestoresTheDefaults) {
    CFolivexProcess app;
    ASSERT_TRUE(app.StartShowing(TestDocument(L"alpha"), L"Alpha Document - Folivex"));
    // A second instance on the same data folder, running before the change, to follow it after its reload.
    // (Started before the key window shows: under this platform another process's window activated while a
    // tool window is shown can leave the tool window below its frame.)
    CFolivexProcess other;
    ASSERT_TRUE(other.StartBeside(app, {TestDocument(L"beta")}));
    ASSERT_NE(other.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(other.WaitForCaption(L"Beta Document - Folivex"));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_SHORTKEY));
    const HWND dialog = WaitForDialog(app, L"ショートカットキー");
    ASSERT_NE(dialog, nullptr);
    const HWND list = ::GetDlgItem(dialog, IDC_SK_LIST);

    // The main window's place is shown first, with Save on its default key.
    const auto names = ListViewTexts(list, 0);
    const auto defaults = ListViewTexts(list, 1);
    ASSERT_TRUE(names && defaults);
    const auto found = std::find(names->begin(), names->end(), win::LoadStr(ID_FILE_SAVE));
    ASSERT_NE(found, names->end());
    const int row = static_cast<int>(found - names->begin());
    EXPECT_EQ((*defaults)[static_cast<size_t>(row)], L"[CTRL] + [S]");

    // F7 pressed in the key field, then Set: a function has one key, so F7 replaces Ctrl+S.
    ASSERT_TRUE(SelectListViewRow(list, row));
    ASSERT_TRUE(::PostMessageW(::GetDlgItem(dialog, IDC_SK_KEY), WM_KEYDOWN, VK_F7, 0));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, IDC_SK_KEY) == L"[F7]"; }));
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SK_SET, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_SK_SET))));
    EXPECT_TRUE(WaitUntil([&] {
        const auto keys = ListViewTexts(list, 1);
        return keys && (*keys)[static_cast<size_t>(row)] == L"[F7]";
    }));
    data::CDataShortkey stored;
    stored.SetFolder(app.DataFolder());
    ASSERT_TRUE(stored.Reload());
    data::KeyBinding binding;
    ASSERT_TRUE(stored.FindByCommand(data::Place::Main, ID_FILE_SAVE, binding));
    EXPECT_EQ(binding.key, VK_F7);

    // F7 in the frame now saves a copy: its dialog opens.
    ASSERT_TRUE(::PostMessageW(app.MainWindow(), WM_KEYDOWN, VK_F7, 0));
    const HWND save = WaitForDialog(app, win::LoadStr(IDS_DOC_SAVE_TITLE));
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(PressButton(save, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(save); }));
    // The frame active again, its tool window still stands above it.
    EXPECT_TRUE(WaitUntil([&] { return IsAbove(dialog, app.MainWindow()); }));
    // The second instance has reloaded the keys: F7 saves there too.
    ASSERT_TRUE(::PostMessageW(other.MainWindow(), WM_KEYDOWN, VK_F7, 0));
    const HWND otherSave = WaitForDialog(other, win::LoadStr(IDS_DOC_SAVE_TITLE));
    ASSERT_NE(otherSave, nullptr);
    ASSERT_TRUE(PressButton(otherSave, IDCANCEL));
    ASSERT_TRUE(other.Close());
    EXPECT_EQ(other.WaitForExit(), 0u);

    // Resetting every place asks first, then shows the defaults again.
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ID_RESET_ALL, 0), 0));
    const auto box = WaitForMessageBoxOf(app);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_SHORTKEY_RESET_ALL));
    ASSERT_TRUE(PressButton(*box, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return ListViewTexts(list, 1) == defaults; }));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

} // namespace
