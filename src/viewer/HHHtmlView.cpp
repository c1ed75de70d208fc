#include "viewer/HHHtmlView.h"

#include "transfer/UrlStr.h"
#include "viewer/DlgHHZoom.h"
#include "viewer/FrameCommands.h"
#include "viewer/HelpControl.h"
#include "viewer/TopicMenu.h"
#include "viewer/TopicZoom.h"
#include "viewer/ViewerRegistry.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

#include "resource.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <oleacc.h>
#include <servprov.h>
#include <shlguid.h>
#include <windowsx.h>

#include <functional>
#include <utility>

namespace viewer {
namespace {

// The document's event interface; the platform's import library lacks its identifier.
constexpr IID kDocumentEvents2 = {0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr DISPID kDocumentActivated = 1044;

ITopicHost* g_topicHost = nullptr;

// A BSTR owned for one call.
class CBstr {
public:
    CBstr() noexcept = default;
    explicit CBstr(std::wstring_view text) : m_text(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { ::SysFreeString(m_text); }
    BSTR* Receive() noexcept {
        ::SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    BSTR Get() const noexcept { return m_text; }
    [[nodiscard]] std::wstring Text() const { return m_text ? std::wstring(m_text, ::SysStringLen(m_text)) : L""; }

private:
    BSTR m_text = nullptr;
};

template <class Q, class T> win::CComPtr<Q> QueryAs(T* object) {
    win::CComPtr<Q> result;
    if (object) {
        (void)object->QueryInterface(__uuidof(Q), result.ReceiveVoid());
    }
    return result;
}

// One element of the browser's page.
class CBrowserElement final : public IPageElement {
public:
    explicit CBrowserElement(win::CComPtr<IHTMLElement> element) : m_element(std::move(element)) {}

    static std::unique_ptr<IPageElement> Wrap(IHTMLElement* element) {
        if (!element) {
            return nullptr;
        }
        element->AddRef();
        return std::make_unique<CBrowserElement>(win::CComPtr<IHTMLElement>::Attach(element));
    }

    std::wstring TagName() const override {
        CBstr tag;
        return SUCCEEDED(m_element->get_tagName(tag.Receive())) ? tag.Text() : std::wstring();
    }
    std::wstring Attribute(std::wstring_view name) const override {
        const CBstr attribute(name);
        VARIANT value;
        ::VariantInit(&value);
        std::wstring text;
        // 2: the value as the page wrote it, as text.
        if (SUCCEEDED(m_element->getAttribute(attribute.Get(), 2, &value)) && value.vt == VT_BSTR && value.bstrVal) {
            text.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
        }
        ::VariantClear(&value);
        return text;
    }
    std::unique_ptr<IPageElement> Parent() const override {
        win::CComPtr<IHTMLElement> parent;
        return SUCCEEDED(m_element->get_parentElement(parent.Receive())) ? Wrap(parent.Get()) : nullptr;
    }
    bool HostsDocument() const override { return static_cast<bool>(QueryAs<IHTMLFrameBase>(m_element.Get())); }
    bool ReadScroll(ScrollState& state) const override {
        const auto element = QueryAs<IHTMLElement2>(m_element.Get());
        return element && SUCCEEDED(element->get_scrollTop(&state.top)) &&
               SUCCEEDED(element->get_clientHeight(&state.clientHeight)) &&
               SUCCEEDED(element->get_scrollHeight(&state.scrollHeight));
    }
    bool SetScrollTop(long top) override {
        const auto element = QueryAs<IHTMLElement2>(m_element.Get());
        return element && SUCCEEDED(element->put_scrollTop(top));
    }

private:
    win::CComPtr<IHTMLElement> m_element;
};

} // namespace

// The bound document and browser as the plain logic sees them; before a bind every call fails.
class CBrowserPage final : public ITopicPage {
public:
    void Set(win::CComPtr<IHTMLDocument2> document, win::CComPtr<IWebBrowser2> browser) {
        m_document = std::move(document);
        m_browser = std::move(browser);
    }

    std::wstring CompatMode() const override {
        const auto document = QueryAs<IHTMLDocument5>(m_document.Get());
        CBstr mode;
        return document && SUCCEEDED(document->get_compatMode(mode.Receive())) ? mode.Text() : std::wstring();
    }
    std::unique_ptr<IPageElement> ActiveElement() const override {
        win::CComPtr<IHTMLElement> element;
        return m_document && SUCCEEDED(m_document->get_activeElement(element.Receive()))
                   ? CBrowserElement::Wrap(element.Get())
                   : nullptr;
    }
    std::unique_ptr<IPageElement> RootElement() const override {
        const auto document = QueryAs<IHTMLDocument3>(m_document.Get());
        win::CComPtr<IHTMLElement> element;
        return document && SUCCEEDED(document->get_documentElement(element.Receive()))
                   ? CBrowserElement::Wrap(element.Get())
                   : nullptr;
    }
    std::unique_ptr<IPageElement> Body() const override {
        win::CComPtr<IHTMLElement> element;
        return m_document && SUCCEEDED(m_document->get_body(element.Receive())) ? CBrowserElement::Wrap(element.Get())
                                                                                : nullptr;
    }
    bool ReadZoomRange(int32_t& packed) const override {
        long value = 0;
        if (!Query(OLECMDID_OPTICAL_GETZOOMRANGE, value)) {
            return false;
        }
        packed = static_cast<int32_t>(value);
        return true;
    }
    bool ReadZoom(long& percent) const override { return Query(OLECMDID_OPTICAL_ZOOM, percent); }
    bool WriteZoom(long percent) override { return Write(OLECMDID_OPTICAL_ZOOM, percent); }
    bool ReadTextSize(long& level) const override { return Query(OLECMDID_ZOOM, level); }
    bool WriteTextSize(long level) override { return Write(OLECMDID_ZOOM, level); }

    [[nodiscard]] IHTMLDocument2* Document() const noexcept { return m_document.Get(); }
    [[nodiscard]] IWebBrowser2* Browser() const noexcept { return m_browser.Get(); }

private:
    bool Query(OLECMDID command, long& value) const {
        VARIANT out;
        ::VariantInit(&out);
        const bool ok = m_browser &&
                        SUCCEEDED(m_browser->ExecWB(command, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &out)) &&
                        out.vt == VT_I4;
        if (ok) {
            value = out.lVal;
        }
        ::VariantClear(&out);
        return ok;
    }
    bool Write(OLECMDID command, long value) {
        VARIANT in;
        ::VariantInit(&in);
        in.vt = VT_I4;
        in.lVal = value;
        return m_browser && SUCCEEDED(m_browser->ExecWB(command, OLECMDEXECOPT_DONTPROMPTUSER, &in, nullptr));
    }

    win::CComPtr<IHTMLDocument2> m_document;
    win::CComPtr<IWebBrowser2> m_browser;
};

// An event interface of the browser or its document, handed on to the view while it listens.
class CEventSink final : public IDispatch {
public:
    using Handler = std::function<void(DISPID, DISPPARAMS*)>;

    CEventSink(const IID& events, Handler handler) : m_events(events), m_handler(std::move(handler)) {}
    void Detach() { m_handler = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_events) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) {
            *count = 0;
        }
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        try {
            if (m_handler) {
                m_handler(id, params);
            }
        } catch (...) {
            // An event is a notice: a failure to follow it changes nothing for the browser.
        }
        return S_OK;
    }

private:
    ~CEventSink() = default;

    LONG m_references = 1;
    IID m_events;
    Handler m_handler;
};

namespace {

bool Advise(IUnknown* source, const IID& events, IUnknown* sink, DWORD& cookie) {
    const auto container = QueryAs<IConnectionPointContainer>(source);
    win::CComPtr<IConnectionPoint> point;
    return container && SUCCEEDED(container->FindConnectionPoint(events, point.Receive())) &&
           SUCCEEDED(point->Advise(sink, &cookie));
}

void Unadvise(IUnknown* source, const IID& events, DWORD& cookie) {
    const auto container = QueryAs<IConnectionPointContainer>(source);
    win::CComPtr<IConnectionPoint> point;
    if (cookie && container && SUCCEEDED(container->FindConnectionPoint(events, point.Receive()))) {
        point->Unadvise(cookie);
    }
    cookie = 0;
}

// The document behind a browser window, asked the way accessibility tools ask it.
win::CComPtr<IHTMLDocument2> DocumentOfWindow(HWND window) {
    win::CComPtr<IHTMLDocument2> document;
    const UINT message = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    DWORD_PTR answer = 0;
    if (!message || !::SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) || !answer) {
        return document;
    }
    using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    const HMODULE library = ::LoadLibraryW(L"oleacc.dll");
    const auto objectFromLresult = library ? reinterpret_cast<ObjectFromLresultFn>(reinterpret_cast<void*>(
                                                 ::GetProcAddress(library, "ObjectFromLresult")))
                                           : nullptr;
    if (objectFromLresult) {
        (void)objectFromLresult(static_cast<LRESULT>(answer), __uuidof(IHTMLDocument2), 0, document.ReceiveVoid());
    }
    if (library) {
        ::FreeLibrary(library);
    }
    return document;
}

win::CComPtr<IWebBrowser2> BrowserOfDocument(IHTMLDocument2* document) {
    win::CComPtr<IWebBrowser2> browser;
    const auto services = QueryAs<IServiceProvider>(document);
    win::CComPtr<IServiceProvider> topLevel;
    if (services &&
        SUCCEEDED(services->QueryService(SID_STopLevelBrowser, __uuidof(IServiceProvider), topLevel.ReceiveVoid()))) {
        (void)topLevel->QueryService(SID_SWebBrowserApp, __uuidof(IWebBrowser2), browser.ReceiveVoid());
    }
    return browser;
}

IDispatch* DispatchArgument(const VARIANT& value) {
    if (value.vt == VT_DISPATCH) {
        return value.pdispVal;
    }
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal && value.pvarVal->vt == VT_DISPATCH) {
        return value.pvarVal->pdispVal;
    }
    return nullptr;
}

} // namespace

void SetTopicHost(ITopicHost* host) noexcept {
    g_topicHost = host;
}

ITopicHost* GetTopicHost() noexcept {
    return g_topicHost;
}

// ---- CHHHtmlHandler

STDMETHODIMP CHHHtmlHandler::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == __uuidof(IDocHostUIHandler)) {
        *object = static_cast<IDocHostUIHandler*>(this);
    } else if (iid == __uuidof(IOleCommandTarget)) {
        *object = static_cast<IOleCommandTarget*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CHHHtmlHandler::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CHHHtmlHandler::Release() {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

STDMETHODIMP CHHHtmlHandler::ShowContextMenu(DWORD id, POINT* at, IUnknown*, IDispatch* element) {
    if (!at) {
        return S_OK;
    }
    switch (ChooseTopicMenu(static_cast<int>(id))) {
    case TopicMenuChoice::Browser:
        return S_FALSE;
    case TopicMenuChoice::None:
        return S_OK;
    case TopicMenuChoice::Program:
        try {
            if (m_host) {
                m_host->ShowTopicMenu(static_cast<int>(id), *at, element);
            }
        } catch (...) {
            // No menu then; the browser shows none either.
        }
        return S_OK;
    }
    return S_OK;
}

STDMETHODIMP CHHHtmlHandler::GetHostInfo(DOCHOSTUIINFO*) {
    return S_OK;
}
STDMETHODIMP CHHHtmlHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                    IOleInPlaceUIWindow*) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::HideUI() {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::UpdateUI() {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::EnableModeless(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::OnDocWindowActivate(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::OnFrameWindowActivate(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::GetOptionKeyPath(LPOLESTR*, DWORD) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
    // Files dropped on the topic go to the document view's own drop target.
    if (replacement) {
        *replacement = nullptr;
    }
    return S_OK;
}
STDMETHODIMP CHHHtmlHandler::GetExternal(IDispatch** external) {
    if (external) {
        *external = nullptr;
    }
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated) {
        *translated = nullptr;
    }
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::FilterDataObject(IDataObject*, IDataObject** filtered) {
    if (filtered) {
        *filtered = nullptr;
    }
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) {
    return E_NOTIMPL;
}
STDMETHODIMP CHHHtmlHandler::Exec(const GUID*, DWORD id, DWORD, VARIANT*, VARIANT*) {
    return id == kHandledCommand ? S_OK : E_NOTIMPL;
}

// ---- CHHHtmlView

CHHHtmlView::CHHHtmlView()
    : m_page(std::make_unique<CBrowserPage>()), m_pageOver(std::make_unique<CPageOver>(*m_page, *this, m_clock)) {}

CHHHtmlView::~CHHHtmlView() {
    Unbind();
}

bool CHHHtmlView::IsBound() const noexcept {
    return m_browser && m_document;
}

bool CHHHtmlView::IsMainWindowCommand(UINT id) {
    switch (id) {
    case ID_FILE_OPEN:
    case ID_URL_OPEN:
    case ID_OPEN_NEW_WINDOW:
    case ID_FILE_SAVE:
    case ID_FILE_CLOSE:
    case ID_VIEW_PROPERTY:
    case ID_VIEW_HISTORY:
    case ID_VIEW_LIBRARY:
    case ID_VIEW_SHORTKEY:
    case ID_SUBWINDOW_RESET:
    case ID_SETTING_TOPIC:
    case ID_SHOW_FULL:
        return true;
    default:
        return false;
    }
}

transfer::CPropTopic CHHHtmlView::BuildTopicRecord(const ITopicPage& page, std::wstring_view url,
                                                   std::wstring_view title, std::wstring_view charset) {
    transfer::CPropTopic record;
    (void)transfer::ClassifyLocation(url, record.topic, record.address);
    record.title = title;
    record.charset = charset;
    record.mode = static_cast<uint32_t>(ClassifyCompatMode(page.CompatMode()));
    if (const auto active = page.ActiveElement()) {
        record.activeTag = DescribeElement(*active);
    }
    return record;
}

bool CHHHtmlView::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HH_ATTACHED:
        m_pageOver->Reset();
        RegisterViewerFilter(hwnd, this);
        ChangeStyle(0, WS_TABSTOP);
        RegisterViewerWindow(Slot::TopicBrowser, hwnd);
        // Without a browser behind the window the view stays as the control made it.
        (void)Bind();
        result = 0;
        return true;
    case WM_DESTROY:
        UnregisterViewerWindow(Slot::TopicBrowser, hwnd);
        Unbind();
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_MOUSEWHEEL: {
        const ITopicHost* host = GetTopicHost();
        if (host && m_pageOver->OnWheel(GET_WHEEL_DELTA_WPARAM(wp), host->PageOverSettings())) {
            result = 0;
            return true;
        }
        return false;
    }
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wp), wp, lp);
        result = 0;
        return true;
    case WM_HH_OP1:
        result = ScrollPageToTop(*m_page) ? 1 : 0;
        return true;
    case WM_HH_OP2:
        result = ScrollPageToBottom(*m_page) ? 1 : 0;
        return true;
    case WM_HH_OP3:
        result = ReadZoom(*m_page).value_or(-1);
        return true;
    case WM_HH_OP4:
        result = SetZoom(*m_page, static_cast<long>(wp)) ? 1 : 0;
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wp), wp, lp, result);
    default:
        return CHHWnd::ProcessWindowMessage(hwnd, msg, wp, lp, result);
    }
}

bool CHHHtmlView::OnCommand(UINT id, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    if (IsMainWindowCommand(id)) {
        ::PostMessageW(::GetAncestor(m_hWnd, GA_ROOT), WM_COMMAND, id, 0);
        return true;
    }
    switch (id) {
    case kBrowserPrint:
        // The preview first: printing a topic straight away gives no chance to check what comes out.
        if (m_browser) {
            (void)m_browser->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr);
        }
        return true;
    case kTopicProperties:
        if (ITopicHost* host = GetTopicHost()) {
            host->ShowTopicProperties();
        }
        return true;
    case kNaviToggle:
        PostToViewerWindow(Slot::Frame, WM_COMMAND, kNaviToggle, 0);
        return true;
    case kBrowserFontSizeCycle:
        (void)CycleTextSize(*m_page);
        return true;
    case kBrowserZoomDialog:
        OpenZoomDialog();
        return true;
    case kBrowserZoomIn:
        (void)ZoomIn(*m_page);
        return true;
    case kBrowserZoomOut:
        (void)ZoomOut(*m_page);
        return true;
    case kTopicLinkOpen:
    case kTopicLinkNewWindow:
    case kTopicLinkConfirm:
        OpenLink(id);
        return true;
    default:
        (void)wp;
        (void)lp;
        return false; // the browser's own commands, among them its find dialog
    }
}

bool CHHHtmlView::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd != m_hWnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    const ITopicHost* host = GetTopicHost();
    if (msg.message == WM_KEYDOWN && host &&
        m_pageOver->OnKeyDown(static_cast<UINT>(msg.wParam), host->PageOverSettings())) {
        return true;
    }
    const auto active = QueryAs<IOleInPlaceActiveObject>(m_browser.Get());
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

bool CHHHtmlView::HasContentsTree() const {
    return FindViewerWindow(Slot::ContentsTree) != nullptr;
}

std::optional<NaviPageKind> CHHHtmlView::ShownNaviPage() const {
    const HWND tab = FindViewerWindow(Slot::NaviTab);
    if (!tab || !::IsWindowVisible(tab)) {
        return std::nullopt;
    }
    return static_cast<NaviPageKind>(SendToViewerWindow(Slot::NaviTab, WM_HH_OP4, 0, 0));
}

void CHHHtmlView::Navigate(bool forward) {
    // Backward shows the previous topic from its end, as a reader scrolling up expects.
    if (forward) {
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP4, 0, 0);
    } else {
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP3, 2, 0);
    }
}

bool CHHHtmlView::Bind() {
    auto document = DocumentOfWindow(m_hWnd);
    if (!document) {
        return false;
    }
    m_documentSink = win::CComPtr<CEventSink>::Attach(
        new CEventSink(kDocumentEvents2, [this](DISPID id, DISPPARAMS*) { OnDocumentEvent(id); }));
    if (!Advise(document.Get(), kDocumentEvents2, m_documentSink.Get(), m_documentCookie)) {
        Unbind();
        return false;
    }
    m_document = document;
    auto browser = BrowserOfDocument(document.Get());
    m_browserSink = win::CComPtr<CEventSink>::Attach(
        new CEventSink(DIID_DWebBrowserEvents2, [this](DISPID id, DISPPARAMS* params) { OnBrowserEvent(id, params); }));
    if (!browser || !Advise(browser.Get(), DIID_DWebBrowserEvents2, m_browserSink.Get(), m_browserCookie)) {
        Unbind();
        return false;
    }
    m_browser = browser;
    const auto custom = QueryAs<ICustomDoc>(document.Get());
    m_handler = new CHHHtmlHandler(this);
    if (!custom || FAILED(custom->SetUIHandler(m_handler))) {
        Unbind();
        return false;
    }
    (void)m_browser->put_RegisterAsDropTarget(VARIANT_FALSE);
    m_page->Set(m_document, m_browser);
    return true;
}

void CHHHtmlView::Unbind() {
    if (m_handler) {
        m_handler->Detach();
        m_handler->Release();
        m_handler = nullptr;
    }
    if (m_browserSink) {
        m_browserSink->Detach();
        Unadvise(m_browser.Get(), DIID_DWebBrowserEvents2, m_browserCookie);
        m_browserSink.Close();
    }
    if (m_documentSink) {
        m_documentSink->Detach();
        Unadvise(m_document.Get(), kDocumentEvents2, m_documentCookie);
        m_documentSink.Close();
    }
    m_page->Set({}, {});
    m_browser.Close();
    m_document.Close();
}

bool CHHHtmlView::IsTopLevel(IDispatch* browser) const {
    // Frames inside the page have browsers of their own: only the bound one's events count.
    const auto mine = QueryAs<IUnknown>(m_browser.Get());
    const auto theirs = QueryAs<IUnknown>(browser);
    return mine && theirs && mine.Get() == theirs.Get();
}

void CHHHtmlView::OnBrowserEvent(DISPID id, DISPPARAMS* params) {
    const std::optional<BrowserEvent> event = BrowserEventFromDispId(id);
    if (!event) {
        return;
    }
    // The browser object comes first in the event's arguments, which arrive last to first.
    IDispatch* browser = nullptr;
    if (params && params->cArgs > 0 && *event != BrowserEvent::DownloadComplete) {
        browser = DispatchArgument(params->rgvarg[params->cArgs - 1]);
    }
    if (*event != BrowserEvent::DownloadComplete && !IsTopLevel(browser)) {
        return;
    }
    switch (*event) {
    case BrowserEvent::BeforeNavigate:
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP5, 1, 0);
        break;
    case BrowserEvent::DocumentComplete:
        SendToViewerWindow(Slot::ContentsTree, WM_HH_OP5, 0, 0);
        if (::GetFocus() == m_hWnd) {
            if (const auto document = QueryAs<IHTMLDocument4>(m_document.Get())) {
                (void)document->focus();
            }
        }
        HandTopicToView();
        break;
    default:
        break;
    }
    m_pageOver->OnBrowserEvent(*event);
}

void CHHHtmlView::OnDocumentEvent(DISPID id) {
    if (id == kDocumentActivated && !m_pageOver->IsNavigating()) {
        HandTopicToView();
    }
}

void CHHHtmlView::HandTopicToView() {
    ITopicHost* host = GetTopicHost();
    if (!host || !m_document) {
        return;
    }
    CBstr url;
    CBstr title;
    CBstr charset;
    (void)m_document->get_URL(url.Receive());
    (void)m_document->get_title(title.Receive());
    (void)m_document->get_charset(charset.Receive());
    host->SetTopic(BuildTopicRecord(*m_page, url.Text(), title.Text(), charset.Text()));
}

void CHHHtmlView::ShowTopicMenu(int context, POINT at, IDispatch* element) {
    // The element the menu was asked for, not the page's focus: a right click does not focus a link.
    const auto clicked = QueryAs<IHTMLElement>(element);
    const auto wrapped = CBrowserElement::Wrap(clicked.Get());
    m_menuLink = wrapped ? FindLinkAddress(*wrapped) : std::wstring();
    const CBrowserMenuTexts texts;
    CHHMenu menu;
    if (!BuildTopicMenu(menu, context, [&](UINT command) { return texts.Text(context, command); }) ||
        ::GetMenuItemCount(menu.Get()) <= 0) {
        return;
    }
    const auto command = static_cast<UINT>(::TrackPopupMenuEx(
        menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, m_hWnd, nullptr));
    if (command) {
        ::PostMessageW(m_hWnd, WM_COMMAND, command, 0);
    }
}

void CHHHtmlView::OnInitMenuPopup(HMENU menu, WPARAM wp, LPARAM lp) {
    PassOn(WM_INITMENUPOPUP, wp, lp);
    // The program's own rows take the main window's states.
    ::SendMessageW(::GetAncestor(m_hWnd, GA_ROOT), WM_INITMENUPOPUP, wp, lp);
    TopicMenuState state;
    state.textSize = ReadTextSize(*m_page);
    state.linkOpenable = !m_menuLink.empty() && transfer::CheckUrl(m_menuLink) == transfer::UrlCheck::UrlOk;
    const HWND pane = FindViewerWindow(Slot::NaviPane);
    state.naviExists = pane != nullptr;
    state.naviVisible = pane && ::IsWindowVisible(pane);
    ApplyTopicMenuState(menu, state);
}

void CHHHtmlView::OpenZoomDialog() {
    // Only a browser that tells its zoom range can be zoomed to a typed value.
    const std::optional<ZoomRange> range = ReadZoomRange(*m_page);
    if (!range) {
        return;
    }
    CDlgHHZoom dialog(m_hWnd, *range);
    if (dialog.DoModal(::GetActiveWindow()) == -1) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
    }
}

void CHHHtmlView::OpenLink(UINT command) {
    ITopicHost* host = GetTopicHost();
    transfer::CUrlConn url;
    if (!host || m_menuLink.empty() || transfer::CheckUrl(m_menuLink) != transfer::UrlCheck::UrlOk ||
        !url.SetAddress(m_menuLink)) {
        return;
    }
    const LPARAM flags = command == kTopicLinkConfirm     ? kLinkConfirm
                         : command == kTopicLinkNewWindow ? kLinkNewWindow
                                                          : 0;
    (void)host->OpenLink(url, flags);
}

} // namespace viewer
