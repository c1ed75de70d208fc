#pragma once
// The topic view: the wrapper of the browser window that shows the topic. It binds to the browser and its
// document when it can, and from then on zooms, changes the text size, prints, finds, replaces the browser's
// context menus, turns pages past the ends of a topic, opens links as documents and tells the document view
// which topic is shown. Every decision lives in the plain code it builds on; this layer only talks to the
// browser, and a browser it cannot bind leaves the window as it was.

#include "data/DataSetting.h"
#include "transfer/Download.h"
#include "transfer/Properties.h"
#include "viewer/HHWindows.h"
#include "viewer/PageOver.h"
#include "viewer/TopicPage.h"
#include "win/Handles.h"

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>

#include <memory>
#include <optional>
#include <string>

struct IHTMLDocument2;
struct IWebBrowser2;

namespace viewer {

// What the topic view needs of the document view that hosts it.
class ITopicHost {
public:
    [[nodiscard]] virtual data::CDataSetHtmlView1 PageOverSettings() const = 0;
    virtual void SetTopic(const transfer::CPropTopic& topic) = 0;
    virtual void ShowTopicProperties() = 0;
    // Asks the main window to open the address as a document; false when it could not be asked.
    virtual bool OpenLink(const transfer::CUrlConn& url, LPARAM flags) = 0;

protected:
    ~ITopicHost() = default;
};

// Flags of OpenLink, as the main window's open requests take them.
constexpr LPARAM kLinkConfirm = 0x01;
constexpr LPARAM kLinkNewWindow = 0x02;

// The document view that hosts the topic views of this process; null while there is none.
void SetTopicHost(ITopicHost* host) noexcept;
[[nodiscard]] ITopicHost* GetTopicHost() noexcept;

// Where the browser's own context menu request goes.
class ITopicMenuHost {
public:
    virtual void ShowTopicMenu(int context, POINT at, IDispatch* element) = 0;

protected:
    ~ITopicMenuHost() = default;
};

// The answers the program gives the browser as its document host.
class CHHHtmlHandler final : public IDocHostUIHandler, public IOleCommandTarget {
public:
    static constexpr DWORD kHandledCommand = 10;

    explicit CHHHtmlHandler(ITopicMenuHost* host) noexcept : m_host(host) {}
    // The view is gone: later menu requests show nothing.
    void Detach() noexcept { m_host = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* at, IUnknown* target, IDispatch* element) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP OnDocWindowActivate(BOOL) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override;
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** filtered) override;
    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) override;
    STDMETHODIMP Exec(const GUID*, DWORD id, DWORD, VARIANT*, VARIANT*) override;

private:
    ~CHHHtmlHandler() = default;

    LONG m_references = 1;
    ITopicMenuHost* m_host;
};

class CBrowserPage;
class CEventSink;

// The wrapper of "Internet Explorer_Server".
class CHHHtmlView : public CHHWnd, public ITopicNavigator, public ITopicMenuHost {
public:
    CHHHtmlView();
    ~CHHHtmlView() override;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool PreTranslateMessage(MSG& msg) override;
    [[nodiscard]] bool IsBound() const noexcept;

    // ITopicNavigator
    [[nodiscard]] bool HasContentsTree() const override;
    [[nodiscard]] std::optional<NaviPageKind> ShownNaviPage() const override;
    void Navigate(bool forward) override;
    // ITopicMenuHost
    void ShowTopicMenu(int context, POINT at, IDispatch* element) override;

    // The main window's commands the context menu offers: they go to the main window unchanged.
    [[nodiscard]] static bool IsMainWindowCommand(UINT id);
    // The record of the shown topic, as the document view keeps it.
    [[nodiscard]] static transfer::CPropTopic BuildTopicRecord(const ITopicPage& page, std::wstring_view url,
                                                               std::wstring_view title, std::wstring_view charset);

private:
    bool Bind();
    void Unbind();
    bool OnCommand(UINT id, WPARAM wp, LPARAM lp, LRESULT& result);
    void OnBrowserEvent(DISPID id, DISPPARAMS* params);
    void OnDocumentEvent(DISPID id);
    void HandTopicToView();
    void OpenLink(UINT command);
    void OpenZoomDialog();
    void OnInitMenuPopup(HMENU menu, WPARAM wp, LPARAM lp);
    [[nodiscard]] bool IsTopLevel(IDispatch* browser) const;

    std::unique_ptr<CBrowserPage> m_page;
    CTickClock m_clock;
    std::unique_ptr<CPageOver> m_pageOver;
    win::CComPtr<IHTMLDocument2> m_document;
    win::CComPtr<IWebBrowser2> m_browser;
    win::CComPtr<CEventSink> m_documentSink;
    win::CComPtr<CEventSink> m_browserSink;
    DWORD m_documentCookie = 0;
    DWORD m_browserCookie = 0;
    CHHHtmlHandler* m_handler = nullptr;
    // The address of the link the last context menu was opened on; empty for none.
    std::wstring m_menuLink;
};

} // namespace viewer
