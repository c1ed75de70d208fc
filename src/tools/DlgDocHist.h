#pragma once
// The history window: the documents opened before, newest first, under one group item, with the selected
// entry's properties below. It shows the history store and calls its operations; the main window opens what
// the user picks.

#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "tools/DlgDocTree.h"
#include "tools/TreeDoc.h"

#include "resource.h"

#include <set>

namespace tools {

// Where the history window sends the documents to open. The request is queued, not run: the window holds no
// tree item while the main window opens it.
class IDocOpener {
public:
    [[nodiscard]] virtual bool RequestOpen(const data::CDataDoc& doc, bool newWindow, bool confirm) = 0;

protected:
    ~IDocOpener() = default;
};

// The properties of a history entry as the property list shows a document.
[[nodiscard]] transfer::CPropDoc PropDocOf(const data::CDataDoc& doc);

class CDlgDocHist : public CDlgDocTree {
public:
    static constexpr wchar_t kLayoutName[] = L"dochist";
    // The history store's notifications; the posted rebuild; the posted report of entries the tree skipped.
    static constexpr UINT kHistoryEvent = WM_APP + 3;
    static constexpr UINT kRebuild = WM_APP + 4;
    static constexpr UINT kReportSkipped = WM_APP + 5;

    CDlgDocHist(data::CDataLayout& layout, data::CDataHistory& history, const data::CDataSetting& setting,
                IDocOpener& opener);

    [[nodiscard]] CTreeDocHist& Tree() noexcept { return m_tree; }
    // Whether a tree command applies to the current selection.
    [[nodiscard]] bool IsCommandEnabled(UINT id) const;
    // Runs a tree command on the current selection; false when it failed (reported already).
    bool RunTreeCommand(UINT id);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool OnInitTool() override;
    void OnDestroyTool() override;
    bool TranslateToolKeys(MSG& msg) override;
    void ShowTreeMenu(POINT screen) override;

private:
    void MarkStale();
    void RebuildNow();
    void ShowSelected();
    bool OpenSelected(bool newWindow, bool confirm);
    bool CopySelected();
    // Drags the entry as the library's exchange text; copy only.
    void DragEntry(HTREEITEM item);
    bool DeleteSelected();
    [[nodiscard]] bool OnNotify(const NMHDR& header, LRESULT& result);

    data::CDataHistory& m_history;
    const data::CDataSetting& m_setting;
    IDocOpener& m_opener;
    CTreeDocHist m_tree;
    bool m_subscribed = false;
    bool m_rebuildPosted = false;
    // Entries already reported as not showable, so each is reported once.
    std::set<data::NodeHandle> m_reported;
};

} // namespace tools
