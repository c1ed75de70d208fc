#include "ToolsTestSupport.h"

#include "common/RecorderWindow.h"
#include "tools/DlgProgress.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using tools::CDlgProgress;

constexpr UINT kAbortMessage = WM_APP + 7;

void Click(HWND dialog, int id) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What the user sees: the text, the bar, and which buttons are there and can be pressed.
struct Controls {
    std::wstring text;
    bool bar, abortShown, abortUsable, yesShown, yesUsable, noShown;
    bool operator==(const Controls&) const = default;
};

void PrintTo(const Controls& c, std::ostream* out) {
    *out << win::WideToUtf8(c.text) << " bar " << c.bar << " abort " << c.abortShown << c.abortUsable << " yes "
         << c.yesShown << c.yesUsable << " no " << c.noShown;
}

Controls Read(HWND dialog) {
    const auto shown = [dialog](int id) { return HasVisibleStyle(::GetDlgItem(dialog, id)); };
    const auto usable = [&](int id) { return shown(id) && ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; };
    return {WindowText(::GetDlgItem(dialog, IDC_PROGRESS_TEXT)),
            shown(IDC_PROGRESS_BAR),
            shown(IDC_PROGRESS_ABORT),
            usable(IDC_PROGRESS_ABORT),
            shown(IDC_PROGRESS_YES),
            usable(IDC_PROGRESS_YES),
            shown(IDC_PROGRESS_NO)};
}

TEST(DlgProgress, ControlsFollowModeAndConfirmState) {
    const std::wstring text = L"ドキュメントを取得しています。";
    const std::wstring ask = win::LoadStr(IDS_PROGRESS_ASK_ABORT);
    const std::wstring standard = win::LoadStr(IDS_PROGRESS_DEFAULT);
    const struct {
        std::wstring text;
        UINT mode;
        bool confirm;
        Controls expected;
    } cases[] = {
        {text, 0, false, {text, false, true, false, false, false, false}},
        {L"", CDlgProgress::kModeBar, false, {standard, true, true, false, false, false, false}},
        {text, CDlgProgress::kModeCancel, false, {text, false, true, true, false, false, false}},
        {text, 3, false, {text, true, true, true, false, false, false}},
        {text, 0, true, {ask, false, false, false, true, false, true}},
        {text, CDlgProgress::kModeBar, true, {ask, true, false, false, true, false, true}},
        {text, CDlgProgress::kModeCancel, true, {ask, false, false, false, true, true, true}},
        {L"", 3, true, {ask, true, false, false, true, true, true}},
    };
    for (const auto& c : cases) {
        CDlgProgress progress;
        progress.SetText(c.text);
        // Asking is reached through the cancel button, which needs the cancel mode; the mode may change after.
        progress.SetMode(c.confirm ? CDlgProgress::kModeCancel : c.mode);
        const HWND dialog = progress.Create(nullptr);
        ASSERT_NE(dialog, nullptr);
        if (c.confirm) {
            Click(dialog, IDC_PROGRESS_ABORT);
            ASSERT_TRUE(progress.IsConfirming());
            progress.SetMode(c.mode);
            ASSERT_TRUE(progress.Refresh());
        }
        EXPECT_EQ(Read(dialog), c.expected) << "mode " << c.mode << (c.confirm ? " asking" : "");
        EXPECT_TRUE(progress.End());
        EXPECT_FALSE(progress.Refresh());
    }
}

TEST(DlgProgress, ModalRunAsksSendsTheAbortAndEndsOnlyThroughEnd) {
    COwnerWindow owner;
    CRecorderWindow target;
    CDlgProgress progress;
    progress.SetAbortTarget(target.Get(), kAbortMessage);
    progress.SetText(IDS_PROGRESS_DOWNLOADING);
    progress.SetMode(CDlgProgress::kModeBar | CDlgProgress::kModeCancel);

    bool survivedKeys = false, askedWithFocusOnNo = false, withdrawn = false;
    size_t abortsBeforeYes = 99;
    Controls afterYes{};
    LONG offCentre = -1;
    CModalScript script(
        [&] {
            const HWND dialog = progress;
            if (!progress.IsRunning() || !::IsWindowVisible(dialog)) {
                return false;
            }
            offCentre = CentreDistance(dialog, owner.hwnd);
            ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            survivedKeys = progress.IsRunning();
            Click(dialog, IDC_PROGRESS_ABORT);
            askedWithFocusOnNo = progress.IsConfirming() && ::GetFocus() == ::GetDlgItem(dialog, IDC_PROGRESS_NO);
            Click(dialog, IDC_PROGRESS_NO);
            withdrawn = !progress.IsConfirming() && HasVisibleStyle(::GetDlgItem(dialog, IDC_PROGRESS_ABORT));
            Click(dialog, IDC_PROGRESS_ABORT);
            abortsBeforeYes = target.GetReceived().size();
            Click(dialog, IDC_PROGRESS_YES);
            afterYes = Read(dialog);
            progress.End();
            return true;
        },
        [&] { progress.End(); });
    EXPECT_EQ(progress.Run(owner.hwnd), CDlgProgress::kEnded);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_TRUE(survivedKeys);
    EXPECT_TRUE(askedWithFocusOnNo);
    EXPECT_TRUE(withdrawn);
    EXPECT_EQ(abortsBeforeYes, 0u);
    ASSERT_EQ(target.GetReceived().size(), 1u);
    EXPECT_EQ(target.GetReceived()[0].message, kAbortMessage);
    EXPECT_EQ(afterYes, (Controls{win::LoadStr(IDS_PROGRESS_ABORTING), false, true, false, false, false, false}));
    EXPECT_LE(offCentre, 2);
    EXPECT_FALSE(progress.IsRunning());
    EXPECT_FALSE(progress.End());
}

} // namespace
