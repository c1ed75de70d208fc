#include "TestIds.h"

#include "win/Dialog.h"
#include "win/MessageLoop.h"
#include "win/Module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

class CTestDialog : public win::CDialogImpl {
public:
    CTestDialog() : CDialogImpl(IDD_TEST_DIALOG) {}
    int finals = 0;
    std::wstring editTextAtInit;
    win::CResizeAnchors anchors;

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        switch (msg) {
        case WM_INITDIALOG:
            ::SetDlgItemTextW(m_hWnd, IDC_TEST_EDIT, L"初期値");
            anchors.Init(m_hWnd);
            anchors.Add(IDOK, win::CResizeAnchors::kMoveX | win::CResizeAnchors::kMoveY);
            anchors.Add(IDC_TEST_EDIT, win::CResizeAnchors::kSizeX);
            anchors.Add(IDC_TEST_CORNER, win::CResizeAnchors::kMoveY);
            result = TRUE;
            return true;
        case WM_SIZE:
            anchors.Apply();
            result = 0;
            return true;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                EndDialog(LOWORD(wp));
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
        }
    }

protected:
    void OnFinalMessage(HWND) override { ++finals; }
};

RECT ChildRect(HWND dialog, int id) {
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST(Dialog, ModelessDialogTakesItsKeysThroughTheLoopUntilDestroyed) {
    win::CMessageLoop loop;
    ASSERT_TRUE(win::CAppModule::AddMessageLoop(&loop));
    {
        CTestDialog dialog;
        const HWND hwnd = dialog.Create(nullptr);
        ASSERT_NE(hwnd, nullptr);
        wchar_t text[32] = {};
        ::GetDlgItemTextW(hwnd, IDC_TEST_EDIT, text, 32);
        EXPECT_STREQ(text, L"初期値");

        // A key for the dialog is taken by the dialog's own filter.
        MSG msg{hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(loop.PreTranslateMessage(msg));

        EXPECT_TRUE(dialog.EndDialog(IDOK));
        EXPECT_EQ(dialog.finals, 1);
        EXPECT_FALSE(::IsWindow(hwnd));
        // After destruction the filter is gone: nothing handles the message any more.
        EXPECT_FALSE(loop.PreTranslateMessage(msg));
    }
    EXPECT_TRUE(win::CAppModule::RemoveMessageLoop());
}

// Ends itself as soon as it starts and frees its own storage in the final-message hook, poisoning it.
class CSelfEndingDialog : public win::CDialogImpl {
public:
    static constexpr unsigned char kPoison = 0xA5;
    CSelfEndingDialog() : CDialogImpl(IDD_TEST_DIALOG) {}

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == WM_INITDIALOG) {
            EndDialog(IDOK);
            result = TRUE;
            return true;
        }
        return false;
    }

protected:
    void OnFinalMessage(HWND) override {
        void* storage = this;
        this->~CSelfEndingDialog();
        std::memset(storage, kPoison, sizeof(CSelfEndingDialog));
    }
};

TEST(Dialog, ModalRunDoesNotTouchADialogItsFinalMessageFreed) {
    alignas(CSelfEndingDialog) unsigned char storage[sizeof(CSelfEndingDialog)];
    auto* dialog = new (storage) CSelfEndingDialog;
    EXPECT_EQ(dialog->DoModal(nullptr), IDOK);
    EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage),
                            [](unsigned char byte) { return byte == CSelfEndingDialog::kPoison; }));
}

TEST(Dialog, AnchorsMoveAndStretchControlsWithTheWindow) {
    CTestDialog dialog;
    const HWND hwnd = dialog.Create(nullptr);
    ASSERT_NE(hwnd, nullptr);
    const RECT okBefore = ChildRect(hwnd, IDOK);
    const RECT editBefore = ChildRect(hwnd, IDC_TEST_EDIT);
    const RECT cornerBefore = ChildRect(hwnd, IDC_TEST_CORNER);
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    ::SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + 60, window.bottom - window.top + 40,
                   SWP_NOMOVE | SWP_NOZORDER);
    const RECT okAfter = ChildRect(hwnd, IDOK);
    const RECT editAfter = ChildRect(hwnd, IDC_TEST_EDIT);
    const RECT cornerAfter = ChildRect(hwnd, IDC_TEST_CORNER);
    EXPECT_EQ(okAfter.left - okBefore.left, 60);
    EXPECT_EQ(okAfter.top - okBefore.top, 40);
    EXPECT_EQ(editAfter.left, editBefore.left);
    EXPECT_EQ(editAfter.right - editBefore.right, 60);
    EXPECT_EQ(cornerAfter.left, cornerBefore.left);
    EXPECT_EQ(cornerAfter.top - cornerBefore.top, 40);

    // Smaller than the template: controls stay where the template put them.
    ::SetWindowPos(hwnd, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ChildRect(hwnd, IDOK).left, okBefore.left);
    dialog.EndDialog(IDCANCEL);
}

} // namespace
