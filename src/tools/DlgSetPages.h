#pragma once
// The pages of the settings dialog. Each is a child dialog that edits a copy of one section of the settings
// store: the controls are filled from the store, every change marks the page dirty (the dialog enables its
// apply and revert buttons), and only Apply validates and writes the section.

#include "data/DataSetting.h"
#include "win/Dialog.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tools {

// What the settings pages need from the main window.
class ISettingHost {
public:
    // The document shown now as a start-up document; false when none is shown.
    [[nodiscard]] virtual bool GetCurrentDocument(data::CDataSetDocView& start) = 0;
    // Opens a start-up document in a window of its own, as a trial; false when it could not be started.
    [[nodiscard]] virtual bool OpenTrial(const data::CDataSetDocView& start) = 0;

protected:
    ~ISettingHost() = default;
};

enum class RangedInput { Ok, NotNumber, OutOfRange };

// Reads a typed whole number (blanks around it allowed) and checks it against min..max.
[[nodiscard]] RangedInput ParseRanged(std::wstring_view text, uint32_t min, uint32_t max, uint32_t& value);

class CDlgSet : public win::CDialogImpl {
public:
    // Sent to the dialog: the page has unapplied changes (wParam), move the default button too (lParam).
    static constexpr UINT kDirty = WM_APP + 1;
    // Sent to the dialog: the guide text to show (wParam: const wchar_t*, empty clears it).
    static constexpr UINT kGuide = WM_APP + 2;
    // The settings store's notifications.
    static constexpr UINT kStoreChanged = WM_APP + 4;

    CDlgSet(UINT templateId, data::CDataSetting& setting) : win::CDialogImpl(templateId), m_setting(setting) {}
    ~CDlgSet() override;

    // Creates the page hidden as a child of `parent`, filled from the store.
    HWND CreatePage(HWND parent);
    // Validates the controls and writes the section (refusals and failures are shown); clean on success.
    [[nodiscard]] bool Apply();
    // Fills the controls from the store and marks the page clean.
    void Revert();
    [[nodiscard]] bool CanReset() const { return Section().has_value(); }
    // Writes the section's defaults through the store and shows them.
    [[nodiscard]] bool Reset();
    [[nodiscard]] bool IsDirty() const noexcept { return m_dirty; }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    [[nodiscard]] virtual std::optional<data::SettingSection> Section() const { return std::nullopt; }
    // Validates and writes; false after a refusal or failure shown to the user.
    virtual bool Write() { return true; }
    virtual bool OnInitPage() { return true; }
    // Fills the controls from the store.
    virtual void Fill() {}
    // Enables the controls that depend on others.
    virtual void UpdateEnabled() {}
    // A push button of the page.
    virtual void OnButton(UINT) {}
    // The guide a control shows while it has the focus; empty for none.
    [[nodiscard]] virtual std::wstring GuideOf(UINT) const { return {}; }

    // The page has changed: tells the dialog.
    void Changed();
    [[nodiscard]] bool IsChecked(UINT id) const;
    void SetChecked(UINT id, bool checked) const;
    [[nodiscard]] std::wstring ItemText(UINT id) const;
    void SetItemText(UINT id, const std::wstring& text) const;
    void EnableItem(UINT id, bool enable) const;
    // Shows a refusal (warning icon), puts the focus into `control`, and returns false.
    bool Refuse(UINT textId, UINT control) const;
    // Reads a ranged edit; a refusal is shown with its text and the focus goes into the edit.
    [[nodiscard]] bool ReadRanged(UINT edit, uint32_t min, uint32_t max, uint32_t& value) const;
    // The up-down control's range and value.
    void SetRanged(UINT spin, uint32_t min, uint32_t max, uint32_t value) const;
    [[nodiscard]] static std::wstring RangeGuide(uint32_t min, uint32_t max);
    // Reports a failed write of the store with its error; returns `written`.
    bool Written(bool written) const;

    data::CDataSetting& m_setting;

private:
    bool m_dirty = false;
    bool m_filling = false;
    bool m_registered = false;
    bool m_initFailed = false;
};

class CDlgSetDocView : public CDlgSet {
public:
    CDlgSetDocView(data::CDataSetting& setting, ISettingHost& host, std::wstring execDir);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::DocView; }
    bool Write() override;
    void Fill() override;
    void UpdateEnabled() override;
    void OnButton(UINT id) override;
    std::wstring GuideOf(UINT id) const override;

private:
    void Show(const data::CDataSetDocView& start);
    // The page's record; false (with the refusal shown) when a field is not valid.
    [[nodiscard]] bool Read(data::CDataSetDocView& start) const;
    [[nodiscard]] data::StartDoc Kind() const;

    ISettingHost& m_host;
    std::wstring m_execDir;
    // The stored user name and the address it belongs to.
    std::wstring m_user;
    std::wstring m_userAddress;
};

class CDlgSetToolBar : public CDlgSet {
public:
    explicit CDlgSetToolBar(data::CDataSetting& setting);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::ToolBar; }
    bool Write() override;
    void Fill() override;
};

// Pages without controls of their own: the headings of their groups.
class CDlgSetNavi : public CDlgSet {
public:
    explicit CDlgSetNavi(data::CDataSetting& setting);
};

class CDlgSetSubWin : public CDlgSet {
public:
    explicit CDlgSetSubWin(data::CDataSetting& setting);
};

class CDlgSetHtmlView1 : public CDlgSet {
public:
    explicit CDlgSetHtmlView1(data::CDataSetting& setting);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::HtmlView1; }
    bool Write() override;
    bool OnInitPage() override;
    void Fill() override;
    void UpdateEnabled() override;
};

// The history and library windows' page: one box, the section chosen by the template.
template <class Record> class CDlgSetToolWindow : public CDlgSet {
public:
    explicit CDlgSetToolWindow(data::CDataSetting& setting);

protected:
    std::optional<data::SettingSection> Section() const override;
    bool Write() override;
    void Fill() override;
};

using CDlgSetDocHist = CDlgSetToolWindow<data::CDataSetDocHist>;
using CDlgSetDocLib = CDlgSetToolWindow<data::CDataSetDocLib>;

class CDlgSetFileDlg : public CDlgSet {
public:
    CDlgSetFileDlg(data::CDataSetting& setting, std::wstring execDir);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::FileDlg; }
    bool Write() override;
    void Fill() override;
    void UpdateEnabled() override;
    void OnButton(UINT id) override;
    std::wstring GuideOf(UINT id) const override;

private:
    std::wstring m_execDir;
};

class CDlgSetComm : public CDlgSet {
public:
    explicit CDlgSetComm(data::CDataSetting& setting);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::Comm; }
    bool Write() override;
    void Fill() override;
    std::wstring GuideOf(UINT id) const override;
};

class CDlgSetHist : public CDlgSet {
public:
    explicit CDlgSetHist(data::CDataSetting& setting);

protected:
    std::optional<data::SettingSection> Section() const override { return data::SettingSection::Hist; }
    bool Write() override;
    void Fill() override;
    void UpdateEnabled() override;
    std::wstring GuideOf(UINT id) const override;
};

} // namespace tools
