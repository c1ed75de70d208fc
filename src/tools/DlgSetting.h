#pragma once
// The settings dialog: a tree of pages on the left, the selected page on the right. A page edits a copy of
// its section of the settings; nothing reaches the store until the page is applied.

#include "data/DataSetting.h"
#include "tools/DlgSetPages.h"
#include "win/CommandBar.h"
#include "win/Dialog.h"

#include <memory>
#include <string>

namespace tools {

// The page tree: each item carries its page index.
class CTreeSet {
public:
    void Attach(HWND tree) noexcept { m_tree = tree; }
    [[nodiscard]] HWND Handle() const noexcept { return m_tree; }
    // Inserts every page under its parent; false when an item could not be made.
    [[nodiscard]] bool Build();
    void ExpandAll(UINT code) const;
    // The item of a page index; the first top-level item when no item has it.
    [[nodiscard]] HTREEITEM FindPage(int index) const;
    [[nodiscard]] int PageIndex(HTREEITEM item) const;
    [[nodiscard]] std::wstring Title(HTREEITEM item) const;

private:
    HWND m_tree = nullptr;
};

class CDlgSetting : public win::CDialogImpl {
public:
    // Page indexes of the tree; the caller may open the dialog at one of them.
    static constexpr int kPageTopicView = 4;
    // What a page sends the dialog (see CDlgSet).
    static constexpr UINT kPageDirty = CDlgSet::kDirty;
    static constexpr UINT kPageGuide = CDlgSet::kGuide;
    // Asks the leave-page question after the tree refused a selection change, then selects (lParam: item).
    static constexpr UINT kSelectLater = WM_APP + 3;

    CDlgSetting(data::CDataSetting& setting, std::wstring execDir, ISettingHost& host, win::CCommandBar* bar,
                int initialPage);

    [[nodiscard]] CDlgSet* CurrentPage() const noexcept { return m_page.get(); }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnInitDialog();
    bool SelectPage(HTREEITEM item);
    // Asks about unapplied changes; true when the caller may go on (applied, dropped or clean).
    bool LeavePage();
    void SetDirty(bool changed, bool moveDefault);
    [[nodiscard]] bool IsDirty() const;
    void OnApply();
    void OnRevert();
    void OnMenuButton();
    void OnTreeMenu(POINT point);
    // Shows a menu resource's popup at the point, the page reset enabled as the page allows; runs the choice.
    void RunMenu(UINT resource, POINT point);
    void OnResetPage();
    void OnResetAll();
    void OnExport();
    void OnImport();
    // Shows 40015 and keeps the dialog open.
    void ReportFailure();
    LRESULT OnTreeNotify(const NMHDR& header);

    data::CDataSetting& m_setting;
    std::wstring m_execDir;
    ISettingHost& m_host;
    win::CCommandBar* m_bar;
    int m_initialPage;
    CTreeSet m_tree;
    std::unique_ptr<CDlgSet> m_page;
    HTREEITEM m_pageItem = nullptr;
    // Set while the dialog itself changes the selection: no question then.
    bool m_selecting = false;
};

} // namespace tools
