#pragma once
// Dialogs from templates, modal or modeless, with their messages going to ProcessWindowMessage,
// and anchors that keep controls in place when a resizable dialog changes size.

#include "win/MessageLoop.h"
#include "win/Window.h"

#include <vector>

namespace win {

class CDialogImpl : public CWindow, public CMessageMap, private CMessageFilter {
public:
    explicit CDialogImpl(UINT templateId) noexcept : m_templateId(templateId) {}
    CDialogImpl(const CDialogImpl&) = delete;
    CDialogImpl& operator=(const CDialogImpl&) = delete;
    virtual ~CDialogImpl();

    // Runs the dialog modally over `owner`; -1 when it could not be created.
    INT_PTR DoModal(HWND owner);
    // Creates the dialog modeless; while it lives it takes its dialog keys through the thread's loop.
    HWND Create(HWND owner);
    bool EndDialog(INT_PTR result);
    [[nodiscard]] bool IsModal() const noexcept { return m_modal; }

protected:
    virtual void OnFinalMessage(HWND) {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool PreTranslateMessage(MSG& msg) override;

    UINT m_templateId;
    bool m_modal = false;
    bool m_filtering = false;
    int m_dispatchDepth = 0;
    bool m_destroyed = false;
};

// Anchors of the controls of a resizable window: each edge of a control either keeps its distance to the
// window's left/top edge or moves with the right/bottom edge.
class CResizeAnchors {
public:
    enum Anchor : unsigned {
        kMoveX = 0x1,
        kMoveY = 0x2,
        kSizeX = 0x4,
        kSizeY = 0x8,
    };

    // Records the current layout of `parent` as the reference for later sizes.
    void Init(HWND parent);
    bool Add(int controlId, unsigned anchors);
    // Lays the controls out for the parent's current client size.
    bool Apply() const;
    [[nodiscard]] SIZE MinimumTrackSize() const noexcept { return m_minTrack; }

private:
    struct Item {
        int id;
        unsigned anchors;
        RECT rect;
    };
    HWND m_parent = nullptr;
    SIZE m_initial{};
    SIZE m_minTrack{};
    std::vector<Item> m_items;
};

} // namespace win
