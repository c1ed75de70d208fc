#pragma once
// Wrappers of the help control's windows. Each subclasses one window of the viewer, owns itself from then on
// (deleted after the window's last message) and adapts the window to life inside the program's document view.

#include "win/MessageLoop.h"
#include "win/Subclass.h"

#include <string>
#include <vector>

namespace viewer {

class CHHWnd : public win::CSubclassWindow, public win::CMessageFilter {
public:
    // Subclasses the window, tells the wrapper (WM_HH_ATTACHED) and has the window redraw its frame.
    virtual bool Attach(HWND window);

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool PreTranslateMessage(MSG&) override { return false; }

protected:
    void OnFinalMessage(HWND) override { delete this; }
    // Fills the client area with the colour of part 0, or the window class's own background brush.
    void PaintBackground(HDC dc, const RECT& client) const;
    // Double-buffered WM_PAINT through PaintBuffered().
    void PaintWindow();
    virtual void PaintBuffered(HDC dc, const RECT& client) { PaintBackground(dc, client); }
    // Lets the window's own procedure handle the message and returns its result.
    LRESULT PassOn(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProcedure(msg, wp, lp); }
    void ChangeStyle(LONG_PTR remove, LONG_PTR add) const;
    void RedrawNow() const;

    int m_backgroundColour = COLOR_WINDOW;
};

// A control repainted without flicker: its own drawing goes into the off-screen bitmap.
class CHHGeneral : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void PaintBuffered(HDC dc, const RECT& client) override;
};

// The viewer's toolbar: texts for two buttons, collapsed in full screen when the settings say so.
class CHHToolBar : public CHHGeneral {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// The splitter between navigation pane and topic pane.
class CHHSizeBar : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void PaintBuffered(HDC dc, const RECT& client) override;

private:
    bool m_moved = false;
};

// The browser host windows of the topic pane.
class CHHHtml : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A pane of the viewer frame: the navigation pane or the topic pane, decided by its first child.
class CHHChild : public CHHWnd {
public:
    enum class Kind { Undecided, Navigation, Topic };

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool PreTranslateMessage(MSG& msg) override;
    [[nodiscard]] Kind GetKind() const noexcept { return m_kind; }

protected:
    void PaintBuffered(HDC dc, const RECT& client) override;

private:
    void OnChildCreated(HWND child);
    void OnChildDestroyed(HWND child);
    // Wraps the contents tree once the control has filled it.
    void WrapTree();
    void Unregister();

    Kind m_kind = Kind::Undecided;
    HWND m_tab = nullptr;
    HWND m_tree = nullptr;
    bool m_treeWrapped = false;
    std::vector<HWND> m_children;
};

// The viewer frame: turned into a child of the document view, it lays out the panes and routes commands.
class CHHParent : public CHHWnd {
public:
    explicit CHHParent(HWND view) noexcept : m_view(view) {}

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Shows (1), hides (0) or toggles (2) the navigation pane of the frame in `frame`.
    static bool ShowNavigation(HWND frame, int mode);

private:
    void OnAttached();
    bool OnCommand(UINT id, WPARAM wp, LPARAM lp, LRESULT& result);
    void OnParentNotify(WPARAM wp, LPARAM lp);
    void OnWindowPosChanging(WINDOWPOS& pos) const;
    void ToggleWithTopicHidden(UINT id, WPARAM wp, LPARAM lp, LRESULT& result);

    HWND m_view;
    HWND m_sizeBar = nullptr;
    bool m_inShowPane = false;
};

// Attaches a new wrapper of type T to the window; a wrapper that cannot attach is deleted at once.
template <typename T, typename... Args> bool AttachWrapper(HWND window, Args&&... args) {
    auto* wrapper = new T(std::forward<Args>(args)...);
    if (!wrapper->Attach(window)) {
        delete wrapper;
        return false;
    }
    return true;
}

} // namespace viewer
