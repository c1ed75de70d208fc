#pragma once
// The library window: the user's folders and documents under one root, with the selected document's
// properties below. Every change goes through the library store; the tree follows the store's notifications
// by a posted rebuild, so it never changes under the tree control's own callbacks.

#include "data/DataLibrary.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "tools/DlgDocHist.h"
#include "tools/DlgDocTree.h"
#include "tools/TreeDocLib.h"

#include "resource.h"

#include <functional>
#include <string>

namespace tools {

// The document the main window shows, as the library registers it.
struct CurrentDoc {
    // The document's record, its own topic included.
    data::CDataDoc doc;
    // The topic shown now; empty when the view knows none.
    std::wstring topicPath;
    std::wstring topicTitle;
};

class ICurrentDocSource {
public:
    // False when no document is shown.
    [[nodiscard]] virtual bool GetCurrentDoc(CurrentDoc& current) = 0;

protected:
    ~ICurrentDocSource() = default;
};

// The record "現在のトピックを登録" adds: the document without its time, at the topic, titled "D - T" (cut to
// the title limit) when the topic has a title.
[[nodiscard]] data::CDataDoc TopicRecordOf(const CurrentDoc& current);

class CDlgDocLib : public CDlgDocTree, private ILibDropSink {
public:
    static constexpr wchar_t kLayoutName[] = L"doclib";
    // The library store's notifications (wParam 1 for a reload or an import); the posted rebuild; the posted
    // end of a label edit.
    static constexpr UINT kLibraryEvent = WM_APP + 3;
    static constexpr UINT kRebuild = WM_APP + 4;
    static constexpr UINT kRename = WM_APP + 5;
    // Titles longer than this are cut when the program makes them.
    static constexpr size_t kTitleLimit = 260;

    CDlgDocLib(data::CDataLayout& layout, data::CDataLibrary& library, const data::CDataSetting& setting,
               const data::CDataShortkey& shortkey, IDocOpener& opener, ICurrentDocSource& current,
               std::wstring execDir);

    [[nodiscard]] CTreeDocLib& Tree() noexcept { return m_tree; }
    [[nodiscard]] bool IsCommandEnabled(UINT id);
    // Runs a command on the current selection; false when it failed (reported already).
    bool RunCommand(UINT id);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool OnInitTool() override;
    void OnDestroyTool() override;
    bool TranslateToolKeys(MSG& msg) override;
    void ShowTreeMenu(POINT screen) override;

private:
    void OnLibraryEvent(bool reloaded);
    void MarkStale(data::NodeHandle select = data::kNoNode);
    void RebuildNow();
    void ShowSelected();
    [[nodiscard]] TreeItemKind SelectedKind() const { return m_tree.GetKind(m_tree.GetSelection()); }

    bool OpenSelected(bool newWindow, bool confirm);
    // Adds what `insert` makes at the place for new entries and selects it; reports a failure.
    bool AddEntry(const std::function<data::NodeHandle(const LibTarget&)>& insert);
    bool AddFolder();
    bool AddCurrent(bool topic);
    bool StartLabelEdit();
    void OnEndLabelEdit(const NMTVDISPINFOW& info);
    void RenamePending();
    bool CopySelected(bool cut);
    bool Paste();
    bool DeleteSelected();
    bool SaveDataFile();
    bool LoadDataFile();
    bool Export();
    bool Import();
    bool Refresh();
    bool ConvertPath();
    void DragNode(HTREEITEM item);
    DWORD DropText(const std::string& utf8, data::NodeHandle node, DropPlace place, bool move) override;
    [[nodiscard]] bool OnNotify(const NMHDR& header, LRESULT& result);
    void ShowError(UINT id, const std::wstring& detail = {});

    data::CDataLibrary& m_library;
    const data::CDataSetting& m_setting;
    const data::CDataShortkey& m_shortkey;
    IDocOpener& m_opener;
    ICurrentDocSource& m_current;
    std::wstring m_execDir;
    CTreeDocLib m_tree{m_library, *this};
    bool m_subscribed = false;
    bool m_rebuildPosted = false;
    data::NodeHandle m_selectAfterRebuild = data::kNoNode;
    // The waiting rebuild follows a reload, which may have changed much.
    bool m_bulkRebuild = false;
    // A finished label edit waiting for its posted rename.
    data::NodeHandle m_renameNode = data::kNoNode;
    std::wstring m_renameText;
};

} // namespace tools
