#pragma once
// The command bar: a flat toolbar in a rebar band that shows a menu's top-level items and drops their
// popups, with mouse hot-tracking between them, Alt/F10 keyboard mode and mnemonics. Menu items whose
// command has a toolbar image show it beside their text.

#include "win/Handles.h"
#include "win/Subclass.h"

#include <commctrl.h>

#include <map>

namespace win {

class CCommandBar : public CSubclassWindow {
public:
    CCommandBar() = default;
    ~CCommandBar() override;

    // Creates the bar as a child of `parent` (a rebar); commands and menu notifications go to `notify`.
    HWND Create(HWND parent, HWND notify);
    // Shows the items of `menu`, which the bar now owns.
    [[nodiscard]] bool AttachMenu(HMENU menu);
    // The TOOLBAR resource `id` names the commands of the images in bitmap `id` (16x16, magenta background).
    [[nodiscard]] bool LoadImages(UINT id);
    // Adds the bar as a band of the rebar it was created in.
    [[nodiscard]] bool AddToRebar(HWND rebar);

    [[nodiscard]] HMENU GetMenu() const noexcept { return m_menu.Get(); }
    [[nodiscard]] int GetImageIndex(UINT command) const;
    [[nodiscard]] bool IsTracking() const noexcept { return m_trackIndex >= 0; }
    [[nodiscard]] bool IsKeyboardMode() const noexcept { return m_keyMode; }

    // For the frame's WM_SYSCOMMAND with SC_KEYMENU: Alt or F10 alone (key 0) enters keyboard mode,
    // Alt+letter opens the menu of that mnemonic. False when the key is not ours (the system menu's space).
    bool OnKeyMenu(wchar_t key);
    // Opens the popup of top-level item `index`; selectFirst highlights its first item (keyboard opening).
    void TrackMenu(int index, bool selectFirst);
    // The top-level item whose mnemonic is `key`, or -1.
    [[nodiscard]] int FindMnemonic(wchar_t key) const;
    // Shows `popup` as a context menu at screen point (x, y) with the bar's images and the notify window's
    // item states; the chosen command goes to the notify window. False when the menu could not be shown.
    bool TrackPopup(HMENU popup, int x, int y);
    // The same for another window: `owner` states the items (WM_INITMENUPOPUP) and the chosen command, 0 for
    // none, is returned rather than sent. False when the menu could not be shown.
    bool TrackPopupFor(HWND owner, HMENU popup, POINT at, UINT& command);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK MenuFilterProc(int code, WPARAM wp, LPARAM lp);
    bool OnMenuFilter(const MSG& msg);
    void EnterKeyboardMode();
    void ExitKeyboardMode(bool restoreFocus);
    void SetHot(int index);
    void AddMenuImages(HMENU popup);
    [[nodiscard]] int ButtonCount() const;

    HWND m_notify = nullptr;
    CMenu m_menu;
    HIMAGELIST m_images = nullptr;
    std::map<UINT, int> m_imageOfCommand;

    int m_trackIndex = -1;
    int m_nextIndex = -1;
    bool m_nextByKey = false;
    HMENU m_selectedMenu = nullptr;
    UINT m_selectedFlags = 0;
    bool m_keyMode = false;
    HWND m_focusBefore = nullptr;
};

} // namespace win
