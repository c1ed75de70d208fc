#pragma once
// What the history and library windows share: a document tree above the selected document's properties with
// a splitter between them (its position kept in the layout record), the property list's own keys, commands
// and menu, the tree's menu at the pointer or under the selection, and a document opened by a double-click.

#include "tools/DlgTool.h"
#include "tools/ListProp.h"
#include "tools/TreeDoc.h"
#include "win/Split.h"

#include <string>

namespace tools {

class CDlgDocTree : public CDlgTool {
public:
    // The controls of the window's template: the tree, the list and the area the splitter divides.
    struct Controls {
        int tree;
        int list;
        int splitArea;
    };

    CDlgDocTree(UINT templateId, std::wstring layoutName, data::CDataLayout& layout, CTreeDoc& tree,
                const Controls& controls);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool AddAnchors() override;
    // Attaches the tree, the list and the splitter; the windows call it first from OnInitTool.
    [[nodiscard]] bool InitControls();
    void StoreExtra(data::CDataWindow& record) const override;
    void ApplyExtra(const data::CDataWindow& record) override;
    // The list's keys; the tree's are the window's own.
    bool TranslateListKeys(MSG& msg) { return m_list.TranslateKeys(m_hWnd, msg); }

    // The tree's menu at a screen point; the item under the pointer is selected first.
    virtual void ShowTreeMenu(POINT screen) = 0;
    // Where the tree's menu opens: the point itself, or under the selection for the keyboard's (-1, -1). The
    // item under a real point becomes the selection.
    [[nodiscard]] POINT TreeMenuPoint(POINT screen) const;
    // A double-click on a document posts its opening (Shift: in a new window); false for any other item.
    bool OpenOnDoubleClick();

    CListProp m_list;

private:
    [[nodiscard]] bool IsListCommand(WPARAM wp, LPARAM lp) const;

    CTreeDoc& m_docTree;
    Controls m_controls;
    win::CSplitT<true> m_split;
};

} // namespace tools
