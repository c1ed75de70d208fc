#pragma once
// The two information boxes of the "other" menu: where and how this instance runs, and what the program is.

#include "win/Dialog.h"
#include "win/Handles.h"

#include <string>

namespace tools {

// The run mode's display name, the execution directory and the executable's path, in read-only edits so the
// user can copy them.
class CDlgExecInfo : public win::CDialogImpl {
public:
    CDlgExecInfo(std::wstring modeName, std::wstring execDir, std::wstring exePath);

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::wstring m_modeName;
    std::wstring m_execDir;
    std::wstring m_exePath;
};

// The product's name, version and a line on what it does.
class CDlgAbout : public win::CDialogImpl {
public:
    CDlgAbout();
    // The window goes before the font its name label uses.
    ~CDlgAbout() override;

    // "major.minor.patch" of this build.
    static std::wstring VersionText();

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnInitDialog();

    // The product name's larger, bold face; lives as long as the dialog window.
    win::CFont m_titleFont;
};

} // namespace tools
