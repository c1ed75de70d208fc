#pragma once
// The document view: the child of the main frame that hosts the help viewer. It opens and closes the one
// document, keeps its records, forwards the viewer commands to the viewer frame, tells its subscribers about
// document and topic changes, and paints the product name while it is empty.

#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "transfer/FileObjects.h"
#include "transfer/Properties.h"
#include "viewer/DocumentKeys.h"
#include "viewer/HHHtmlView.h"
#include "win/CommandBar.h"
#include "win/Handles.h"
#include "win/Window.h"
#include "xml/ViewList.h"

#include <functional>
#include <memory>
#include <string>

namespace viewer {

class CHHView : public win::CWindowImpl, public xml::CViewList, public IDocumentKeys, public ITopicHost {
public:
    static constexpr wchar_t kClassName[] = L"HH View";
    // Subscriber events.
    static constexpr DWORD kEventOpened = 1;
    static constexpr DWORD kEventClosed = 2;
    static constexpr DWORD kEventTopic = 4;
    static constexpr DWORD kEventTopicProperties = 8;
    // The message the settings store sends the view.
    static constexpr UINT kSettingsChanged = WM_APP + 1;
    // Posted after an open: the panes are shown by then and can take the focus.
    static constexpr UINT kFocusAfterOpen = WM_APP + 2;

    CHHView(data::CDataSetting& setting, data::CDataShortkey& shortkeys) noexcept
        : m_setting(setting), m_shortkeys(shortkeys) {}
    ~CHHView() override;

    HWND CreateView(HWND parent);

    // Checks the document, closes the current one, and shows the new one; the view owns it from now on.
    // With a "topic" property the viewer starts at that topic.
    [[nodiscard]] bool Open(std::unique_ptr<transfer::CFileHandle> document);
    // Closes the shown document (nothing shown is fine); hides the view meanwhile when asked.
    bool Close(bool hide);
    [[nodiscard]] bool HasDocument() const;
    // The viewer frame's title; empty without one.
    [[nodiscard]] std::wstring GetTitle() const;
    bool Relayout();
    // Shows (1), hides (0) or toggles (2) the navigation pane.
    bool ShowNavigation(int mode);
    // Whether a command of the document view has something to act on now: a document, and for the topic
    // commands the program drives itself, a bound topic browser.
    [[nodiscard]] bool IsCommandAvailable(UINT id) const;

    [[nodiscard]] const transfer::CFileHandle* GetDocument() const noexcept { return m_document.get(); }
    [[nodiscard]] HWND GetViewerFrame() const noexcept { return m_viewerFrame; }
    [[nodiscard]] const transfer::CPropDoc& GetDocProperties() const noexcept { return m_docProps; }
    [[nodiscard]] const transfer::CPropFile& GetFileProperties() const noexcept { return m_fileProps; }
    [[nodiscard]] const transfer::CPropTopic& GetTopicProperties() const noexcept { return m_topicProps; }
    void SetDocProperties(transfer::CPropDoc props);
    void SetFileProperties(const transfer::CPropFile& props) noexcept { m_fileProps = props; }
    // A new current topic from the topic view.
    void SetTopic(const transfer::CPropTopic& topic) override;
    void ShowTopicProperties() override;
    // ITopicHost: what the topic view reads and asks of the view.
    [[nodiscard]] data::CDataSetHtmlView1 PageOverSettings() const override { return m_setting.GetHtmlView1(); }
    bool OpenLink(const transfer::CUrlConn& url, LPARAM flags) override;
    // Who opens a link of the topic as a document (the main window); without one links are not opened.
    using LinkOpener = std::function<bool(const transfer::CUrlConn& url, LPARAM flags)>;
    void SetLinkOpener(LinkOpener opener) { m_linkOpener = std::move(opener); }

    // The bar whose images and item states the view's context menu uses.
    void SetMenuBar(win::CCommandBar* bar) noexcept { m_menuBar = bar; }

    // The document view place's shortcut keys, with the view as command target.
    bool TranslateDocViewKeys(MSG& msg);

    // IDocumentKeys: the main frame's keyboard dispatch.
    [[nodiscard]] bool IsShowingDocument() const override { return HasDocument(); }
    [[nodiscard]] HWND CommandTarget() const override { return m_hWnd; }
    bool TranslateViewerKeys(MSG& msg) override;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    win::WindowClassInfo GetWindowClassInfo() const override;
    virtual bool OnCreate();
    void SetMainText(const std::wstring& text) const;

private:
    void OnSize() const;
    // Gives the focus to the pane a reader works in: the navigation pane's control when it is shown, else
    // the topic.
    void FocusViewer() const;
    void OnContextMenu(LPARAM lp);
    void OnDestroy();

    data::CDataSetting& m_setting;
    data::CDataShortkey& m_shortkeys;
    std::unique_ptr<transfer::CFileHandle> m_document;
    HWND m_viewerFrame = nullptr;
    win::CCommandBar* m_menuBar = nullptr;
    LinkOpener m_linkOpener;
    bool m_subscribed = false;
    transfer::CPropDoc m_docProps;
    transfer::CPropFile m_fileProps;
    transfer::CPropTopic m_topicProps;
};

// The view with its placeholder: the product name in large light letters while no document is shown.
class CHHViewEx : public CHHView {
public:
    using CHHView::CHHView;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    bool OnCreate() override;

private:
    void Paint(HDC dc, const RECT& client) const;

    std::wstring m_placeholder;
    win::CFont m_font;
};

} // namespace viewer
