#pragma once
// The base of the main window's tool windows (properties, history, library, shortcut keys): a modeless,
// resizable dialog owned by the main window, closed by hiding it, placed relative to the main window's
// restored rectangle and kept between runs in the layout store, moving along with the main window, and
// translating its own keys before the main window's tables see them.

#include "data/DataLayout.h"
#include "win/CommandBar.h"
#include "win/Dialog.h"
#include "win/MessageLoop.h"

#include <string>

namespace tools {

class CDlgTool : public win::CDialogImpl {
public:
    // The layout store's requests: apply the saved placement (code 1), write it back (code 2).
    static constexpr UINT kApplyLayout = WM_APP + 1;
    static constexpr UINT kStoreLayout = WM_APP + 2;
    // Sent to the owner when this window is disabled or enabled (wParam: the WM_ENABLE flag, lParam: this
    // window), so the owner can keep every top-level window of the program disabled under a modal dialog.
    static constexpr UINT kOwnerEnableNotify = WM_APP + 11;

    CDlgTool(UINT templateId, std::wstring layoutName, data::CDataLayout& layout);
    ~CDlgTool() override;

    // Creates the window hidden, centred on `owner`, and joins the layout store; nullptr when it failed.
    HWND CreateTool(HWND owner);
    // A tool window is made when first needed: made here (with its saved place) unless it exists.
    bool EnsureTool(HWND owner);
    // Whether the saved layout shows this window, which is then made at start-up.
    [[nodiscard]] bool IsSavedShown() const;
    // The saved record of a window never made, which keeps its place in a new layout; false if none.
    [[nodiscard]] bool KeptRecord(data::CDataWindow& record) const;
    bool ShowTool(bool show);
    bool Toggle();
    [[nodiscard]] bool IsShown() const { return m_hWnd && IsVisible(); }
    // Moves by an offset, keeping size, z-order and activation.
    bool MoveBy(int dx, int dy) const;
    // Back to the initial placement: hidden, the template's size, centred on the owner (for a window not made
    // yet: its saved record is forgotten).
    bool ResetPlacement();

    // The record of this window relative to the owner's restored rectangle, and applying one.
    [[nodiscard]] data::CDataWindow BuildRecord() const;
    bool ApplyRecord(const data::CDataWindow& record);
    [[nodiscard]] const std::wstring& LayoutName() const noexcept { return m_layoutName; }
    // The main window's command bar, whose images the context menus show; may stay null.
    void SetMenuBar(win::CCommandBar* bar) noexcept { m_menuBar = bar; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    // Called from WM_INITDIALOG once the base is set up; false fails the creation.
    virtual bool OnInitTool() { return true; }
    virtual bool AddAnchors() { return true; }
    virtual void OnDestroyTool() {}
    // A window's own state in its record (a splitter, a selection).
    virtual void StoreExtra(data::CDataWindow&) const {}
    virtual void ApplyExtra(const data::CDataWindow&) {}
    // Keys of messages addressed to this window or its controls, before the dialog manager sees them.
    virtual bool TranslateToolKeys(MSG&) { return false; }

    win::CResizeAnchors m_anchors;
    win::CCommandBar* m_menuBar = nullptr;

private:
    // A second filter, added after the dialog's own, so it is asked first.
    class CKeyFilter : public win::CMessageFilter {
    public:
        explicit CKeyFilter(CDlgTool& tool) noexcept : m_tool(tool) {}
        bool PreTranslateMessage(MSG& msg) override;

    private:
        CDlgTool& m_tool;
    };

    [[nodiscard]] RECT OwnerNormalRect() const;
    void ReduceSystemMenu() const;
    void OnLayoutRequest(UINT msg);
    void Unregister();

    std::wstring m_layoutName;
    data::CDataLayout& m_layout;
    CKeyFilter m_keyFilter{*this};
    bool m_filterAdded = false;
    bool m_registered = false;
    bool m_initFailed = false;
};

// Anchors of one control of a tool window, declared by the window as a table.
struct ToolAnchor {
    int id;
    unsigned anchors;
};

// A tool window whose controls follow its size as its table `T::kAnchors` says.
template <class T> class CDlgToolT : public CDlgTool {
public:
    using CDlgTool::CDlgTool;

protected:
    bool AddAnchors() override {
        for (const ToolAnchor& anchor : T::kAnchors) {
            if (!m_anchors.Add(anchor.id, anchor.anchors)) {
                return false;
            }
        }
        return true;
    }
};

} // namespace tools
