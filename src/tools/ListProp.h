#pragma once
// The two-column list of item and content that the property, history and library windows show a record in,
// with its copy commands. It wraps a report-style list view of a dialog; the dialog owns the control.

#include "tools/PropRows.h"
#include "win/CommandBar.h"
#include "win/Window.h"

namespace tools {

class CListProp : public win::CWindow {
public:
    // Takes the dialog's list control and gives it its two columns.
    bool Init(HWND list);
    // Replaces the content with the rows and selects the first; an empty list stays disabled.
    bool Show(const PropRows& rows);
    void Clear();

    [[nodiscard]] int GetCount() const;
    // The rows as shown, selected ones only when asked.
    [[nodiscard]] PropRows GetRows(bool selectedOnly) const;
    bool SelectAll() const;
    // Puts the selected rows on the clipboard as Unicode text; nothing is put there when the text is empty.
    bool Copy(HWND owner, bool contentOnly) const;
    // A WM_CONTEXTMENU of `target`: when it is the list's, menu 150 at its point (under the focused row when
    // asked for from the keyboard) with the bar's images, its commands going to `target`; false when it is not.
    bool OnContextMenu(HWND target, WPARAM wp, LPARAM lp, win::CCommandBar* bar) const;
    // The list's own keys (copy, select all) while it has the focus; true when one became a command of `target`.
    bool TranslateKeys(HWND target, MSG& msg) const;
    [[nodiscard]] static bool IsOwnCommand(UINT id) noexcept;
    // Runs one of the list's commands; false when it failed.
    bool RunCommand(HWND owner, UINT id) const;

private:
    [[nodiscard]] std::wstring ItemText(int index, int column) const;
};

} // namespace tools
