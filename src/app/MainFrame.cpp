#include "app/MainFrame.h"

#include "app/AppMessages.h"
#include "app/ExeInfo.h"
#include "app/ProcessCounter.h"
#include "app/StartupChecks.h"
#include "data/FunctionTable.h"
#include "tools/DlgInfo.h"
#include "win/Path.h"
#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"
#include "xml/AtomicFile.h"

#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

HWND CMainFrame::CreateFrame() {
    return Create(nullptr, nullptr, win::LoadStr(IDS_PRODUCT_NAME), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
}

win::WindowClassInfo CMainFrame::GetWindowClassInfo() const {
    win::WindowClassInfo info;
    info.name = kClassName;
    info.style = CS_DBLCLKS;
    info.background = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    info.iconId = IDR_MAINFRAME;
    return info;
}

void CMainFrame::ShowWithPlacement(int showCmd) {
    const bool loaded = m_layout.Load();
    bool placed = false;
    if (loaded) {
        placed = ApplySavedPlacement(showCmd);
    } else {
        Show(showCmd);
    }
    // The frame is painted before the rest of the start-up (the drop target, the workers, the shown tool
    // windows): the window comes sooner, and nothing of that is needed to paint it.
    Update();
    if (!StartAfterShown()) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_STARTUP), MB_OK | MB_ICONERROR);
        Destroy();
        return;
    }
    if (loaded && placed) {
        placed = m_layout.Notify(data::CDataLayout::kApplyPlacement);
    }
    if (!loaded || !placed) {
        win::MessageBoxFor(m_hWnd, win::TextWithDetail(IDS_ERR_LAYOUT_LOAD, m_layout.GetError()), MB_OK | MB_ICONERROR);
    }
}

bool CMainFrame::ApplySavedPlacement(int showCmd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(m_hWnd, &placement)) {
        Show(showCmd);
        return false;
    }
    placement.showCmd = static_cast<UINT>(showCmd);
    data::CDataWindow main;
    if (m_layout.Get(L"main", main)) {
        const bool maximized = main.show == data::WindowShow::Max;
        if (maximized) {
            placement.showCmd = SW_SHOWMAXIMIZED;
        }
        RECT& normal = placement.rcNormalPosition;
        // A second instance opens where the system puts it, not exactly over the first one.
        if (main.hasPosition && (maximized || ProcessCounter::Count() == 1)) {
            ::OffsetRect(&normal, main.x - normal.left, main.y - normal.top);
        }
        if (main.hasSize) {
            normal.right = normal.left + main.cx;
            normal.bottom = normal.top + main.cy;
        }
    }
    // Place the hidden window first and show it after: a window maximized straight from SetWindowPlacement
    // forgets its normal rectangle on some platforms, and the next close would save the maximized one.
    const UINT show = placement.showCmd;
    placement.showCmd = SW_HIDE;
    const bool placed = ::SetWindowPlacement(m_hWnd, &placement) != FALSE;
    Show(static_cast<int>(show));
    return placed;
}

bool CMainFrame::SaveMainPlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    // A tool window never made this time keeps the place the layout had for it.
    std::vector<data::CDataWindow> kept;
    for (const tools::CDlgTool* tool : ToolWindows()) {
        if (data::CDataWindow record; tool->KeptRecord(record)) {
            kept.push_back(std::move(record));
        }
    }
    if (!m_layout.Reset()) {
        return false;
    }
    // In full screen the layout keeps the placement from before it.
    if (m_fullScreen.IsActive()) {
        placement = m_fullScreen.SavedPlacement();
    } else if (!::GetWindowPlacement(m_hWnd, &placement)) {
        return false;
    }
    const bool maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                           (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
    data::CDataWindow main;
    main.name = L"main";
    main.show = maximized ? data::WindowShow::Max : data::WindowShow::Normal;
    const RECT& normal = placement.rcNormalPosition;
    main.hasPosition = true;
    main.x = normal.left;
    main.y = normal.top;
    main.hasSize = true;
    main.cx = normal.right - normal.left;
    main.cy = normal.bottom - normal.top;
    bool ok = m_layout.Set(main);
    for (const data::CDataWindow& record : kept) {
        ok = ok && m_layout.Set(record);
    }
    return ok && m_layout.Notify(data::CDataLayout::kStorePlacement) && m_layout.Save();
}

bool CMainFrame::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // Work that arrives inside another piece of work's modal loop (or before the stores are loaded) waits
    // its turn: it would otherwise run half-way through the other, or have its message boxes dropped.
    if (CDeferredWork::IsDeferrable(msg) && m_deferred.MustWait(msg, DeferState(0))) {
        if (msg == WM_CLOSE) {
            OnCloseWhileBusy();
        }
        m_deferred.Push(msg, wp, lp);
        result = 0;
        return true;
    }
    ++m_handlerDepth;
    const bool handled = HandleMessage(hwnd, msg, wp, lp, result);
    --m_handlerDepth;
    if (m_handlerDepth == 0 && m_hWnd) {
        ScheduleDeferred();
    }
    return handled;
}

CDeferredWork::State CMainFrame::DeferState(int ownHandlers) const {
    CDeferredWork::State state;
    state.storesLoaded = m_storesLoaded;
    state.messageBoxOpen = win::IsMessageBoxOpen();
    state.reloading = m_reloading;
    state.busy = m_handlerDepth > ownHandlers || !m_hWnd || !::IsWindowEnabled(m_hWnd);
    return state;
}

void CMainFrame::ScheduleDeferred() {
    if (!m_deferredPosted && m_deferred.HasRunnable(DeferState(0))) {
        m_deferredPosted = Post(WM_APP_RUN_DEFERRED);
    }
}

void CMainFrame::OnRunDeferred() {
    m_deferredPosted = false;
    // One piece at a time: the next is scheduled when this handler has returned.
    CDeferredWork::Item item;
    if (m_deferred.PopRunnable(DeferState(1), item)) {
        RunDeferred(item);
    }
}

void CMainFrame::RunDeferred(CDeferredWork::Item& item) {
    switch (item.message) {
    case WM_APP_CMDLINE:
        OnCmdLine();
        break;
    case WM_APP_RELOAD:
        OnReload(static_cast<DWORD>(item.wParam));
        break;
    case WM_APP_OPEN_REQUEST:
        OnOpenRequest(std::move(item.request), item.lParam);
        break;
    case WM_APP_WATCH_ERROR:
        OnWatchError();
        break;
    case WM_CLOSE:
        OnClose();
        ::DestroyWindow(m_hWnd);
        break;
    default:
        break;
    }
}

void CMainFrame::OnCloseWhileBusy() {
    m_closeRequested = true;
    // A download or a save ends sooner when it is cancelled; a local open ends by itself.
    if (m_progress.IsRunning() && m_work && m_work->kind != DocWork::Kind::Open) {
        OnAbort();
    }
}

void CMainFrame::OnActivate(WPARAM wp) {
    if (LOWORD(wp) != WA_INACTIVE) {
        Post(WM_APP_RAISE_TOOLS);
        return;
    }
    // Remembered for WM_SETFOCUS when the frame is active again (after a dialog, a box, another program).
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(m_hWnd, focus)) {
        m_savedFocus = focus;
    }
}

void CMainFrame::RestoreFocus() {
    const HWND saved = m_savedFocus;
    if (saved && ::IsWindow(saved) && ::IsChild(m_hWnd, saved) && ::IsWindowVisible(saved) &&
        ::IsWindowEnabled(saved)) {
        ::SetFocus(saved);
    } else if (m_client) {
        m_savedFocus = nullptr;
        ::SetFocus(m_client);
    }
}

bool CMainFrame::HandleMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        result = 0;
        return true;
    case WM_CLOSE:
        OnClose();
        return false; // the default processing destroys the window
    case WM_SETTEXT:
        result = OnSetText(reinterpret_cast<const wchar_t*>(lp));
        return true;
    case WM_SIZE:
        OnSize();
        result = 0;
        return true;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lp)) {
            OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
        }
        result = 0;
        return true;
    case WM_SYSCOMMAND:
        if (!OnSysCommand(wp, lp)) {
            // Remembered while it runs: a maximize, minimize or restore does not carry the tool windows.
            const UINT previous = std::exchange(m_sysCommand, static_cast<UINT>(wp & 0xFFF0));
            DefWindowProcedure(msg, wp, lp);
            m_sysCommand = previous;
        }
        result = 0;
        return true;
    case WM_CANCELMODE:
        m_dlgMode.OnCancelMode(m_hWnd);
        return false;
    case WM_ENABLE:
        m_dlgMode.OnEnable(m_hWnd, wp != 0);
        return false;
    case WM_APP_TOOL_ENABLE:
        m_dlgMode.OnEnable(reinterpret_cast<HWND>(lp), wp != 0);
        result = 0;
        return true;
    case WM_APP_RESTORE_FOCUS: {
        const auto window = reinterpret_cast<HWND>(wp);
        if (!m_dlgMode.ModalOwner() && ::IsWindow(window) && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
            ::SetFocus(window);
        }
        result = 0;
        return true;
    }
    case WM_APP_SETTINGS:
        UpdateToolbarCollapse();
        result = 0;
        return true;
    case WM_ACTIVATE:
        OnActivate(wp);
        return false;
    case WM_WINDOWPOSCHANGING:
        MoveToolsWithFrame(*reinterpret_cast<const WINDOWPOS*>(lp));
        return false;
    case WM_APP_RAISE_TOOLS:
        KeepToolsAbove();
        result = 0;
        return true;
    case WM_APP_TOPIC_PROPERTIES:
        OnTopicProperties();
        result = 0;
        return true;
    case WM_SETFOCUS:
        RestoreFocus();
        result = 0;
        return true;
    case WM_APP_RELOAD:
        OnReload(static_cast<DWORD>(wp));
        result = 0;
        return true;
    case WM_APP_ABORT:
        OnAbort();
        result = 0;
        return true;
    case WM_APP_WATCH_ERROR:
        OnWatchError();
        result = 0;
        return true;
    case WM_APP_CMDLINE:
        OnCmdLine();
        result = 0;
        return true;
    case WM_APP_RUN_DEFERRED:
        OnRunDeferred();
        result = 0;
        return true;
    case WM_APP_DOC_READY:
        OnDocReady(TakeObject<WM_APP_DOC_READY>(wp));
        result = 0;
        return true;
    case WM_APP_DOWNLOADED:
        OnDownloaded(TakeObject<WM_APP_DOWNLOADED>(wp));
        result = 0;
        return true;
    case WM_APP_LOGIN:
        OnLogin(TakeObject<WM_APP_LOGIN>(wp));
        result = 0;
        return true;
    case WM_APP_OPEN_REQUEST:
        OnOpenRequest(TakeObject<WM_APP_OPEN_REQUEST>(wp), lp);
        result = 0;
        return true;
    case WM_APP_SAVED:
        OnSaved(TakeObject<WM_APP_SAVED>(wp));
        result = 0;
        return true;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp))) {
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

LRESULT CMainFrame::OnCreate() {
    std::wstring failure = win::LoadStr(IDS_ERR_STARTUP);
    bool ok = true;

    // The command bar from menu 128 in a rebar; the frame itself keeps no window menu.
    m_rebar = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                    RBS_BANDBORDERS | RBS_AUTOSIZE | CCS_NODIVIDER | CCS_TOP,
                                0, 0, 0, 0, m_hWnd, nullptr, win::CAppModule::Instance(), nullptr);
    if (!m_rebar || !m_commandBar.Create(m_rebar, m_hWnd)) {
        ok = false;
    }
    if (ok) {
        HMENU menu = ::LoadMenuW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
        ok = menu && m_commandBar.AttachMenu(menu) && m_commandBar.LoadImages(IDR_MAINFRAME) &&
             m_commandBar.AddToRebar(m_rebar);
        ::SetMenu(m_hWnd, nullptr);
    }

    if (ok) {
        if (win::CMessageLoop* loop = win::CAppModule::GetMessageLoop()) {
            m_filterAdded = loop->AddMessageFilter(this);
            m_idleAdded = loop->AddIdleHandler(this);
        }
        ok = m_filterAdded && m_idleAdded;
    }

    if (ok) {
        const std::wstring refusal = CheckExecution(ExeInfo::GetMode(), ExeInfo::GetExecDir());
        if (!refusal.empty()) {
            failure = refusal;
            ok = false;
        }
    }

    if (ok) {
        const std::wstring execDir = ExeInfo::GetExecDir();
        // What saves killed half-way left behind; a live instance's files stay.
        (void)xml::RemoveStaleTempFiles(execDir);
        m_setting.SetFolder(execDir);
        m_layout.SetFolder(execDir);
        m_history.SetFolder(execDir);
        m_library.SetFolder(execDir);
        m_shortkey.SetFolder(execDir);
        m_urls.SetFolder(execDir);
        m_client = m_view.CreateView(m_hWnd);
        m_documentKeys = &m_view;
        m_view.SetMenuBar(&m_commandBar);
        // The property window may not exist yet: the frame makes it for the topic's properties.
        m_view.AddView(viewer::CHHView::kEventTopicProperties, m_hWnd, WM_APP_TOPIC_PROPERTIES);
        // A link of the topic opened as a document arrives as any other open request.
        static_assert(viewer::kLinkConfirm == kOpenConfirm && viewer::kLinkNewWindow == kOpenNewWindow);
        m_view.SetLinkOpener([this](const transfer::CUrlConn& url, LPARAM flags) {
            auto request = std::make_unique<DocRef>();
            request->kind = DocRef::Kind::Url;
            request->url = url;
            return PostObject<WM_APP_OPEN_REQUEST>(m_hWnd, std::move(request), flags);
        });
        m_progress.SetAbortTarget(m_hWnd, WM_APP_ABORT);
        m_viewDrop.SetFrame(m_hWnd);
        m_fullScreen.Attach(m_hWnd);
        m_setting.AddView(data::CDataSetting::kReloaded | data::CDataSetting::kReset | data::CDataSetting::kImported |
                              data::CDataSetting::kToolBarChanged,
                          m_hWnd, WM_APP_SETTINGS);
        ok = m_client != nullptr;
    }

    if (!ok) {
        win::MessageBoxFor(nullptr, failure, MB_OK | MB_ICONERROR);
        return -1;
    }
    UpdateCommandStates();
    UpdateLayout();
    // Run once the message loop starts: the stores are loaded before the first document opens.
    Post(WM_APP_RELOAD, kReloadAll);
    Post(WM_APP_CMDLINE);
    return 0;
}

bool CMainFrame::StartAfterShown() {
    // The watcher of the data files runs from here on; the file and communication threads start with their
    // first job.
    return m_viewDrop.Register(m_client) &&
           m_watchData.Start(ExeInfo::GetExecDir(), m_hWnd, WM_APP_RELOAD, WM_APP_WATCH_ERROR) && CreateToolWindows();
}

bool CMainFrame::StopWorkers() {
    // Every worker is asked to stop even when an earlier one failed.
    bool ok = true;
    if (m_fileThread.IsRunning() && !m_fileThread.Stop()) {
        ok = false;
    }
    if (m_commThread.IsRunning() && !m_commThread.Stop()) {
        ok = false;
    }
    if (m_watchData.IsRunning() && !m_watchData.Stop()) {
        ok = false;
    }
    return ok;
}

void CMainFrame::OnAbort() {
    const bool fileCancelled = m_fileThread.Cancel();
    const bool commCancelled = m_commThread.Cancel();
    if (!fileCancelled || !commCancelled) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_ABORT), MB_OK | MB_ICONERROR);
    }
}

void CMainFrame::OnWatchError() {
    win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WATCH), MB_OK | MB_ICONERROR);
}

void CMainFrame::OnReload(DWORD mask) {
    struct StoreBit {
        DWORD bit;
        xml::CXmlStore* store;
        UINT failure;
    };
    // In this order; a failed store is reported and the others still reload.
    const StoreBit stores[] = {
        {kReloadSettings, &m_setting, IDS_ERR_RELOAD_SETTINGS},
        {kReloadHistory, &m_history, IDS_ERR_RELOAD_HISTORY},
        {kReloadLibrary, &m_library, IDS_ERR_RELOAD_LIBRARY},
        {kReloadShortkeys, &m_shortkey, IDS_ERR_RELOAD_SHORTKEY},
        {kReloadUrls, &m_urls, IDS_ERR_RELOAD_URLS},
    };
    // Reloads that arrive meanwhile (the error boxes run a loop) wait for this one to finish.
    m_reloading = true;
    for (size_t i = 0; i < std::size(stores); ++i) {
        const StoreBit& entry = stores[i];
        if (!(mask & entry.bit)) {
            continue;
        }
        // One write is reported by the watcher more than once: a file that failed and has not changed
        // since is not read (nor reported) again.
        const uint64_t time = xml::GetLastWriteTime(entry.store->GetPath());
        if (time != 0 && time == m_failedReloadTimes[i]) {
            continue;
        }
        if (entry.store->Reload()) {
            m_failedReloadTimes[i] = 0;
        } else {
            m_failedReloadTimes[i] = time;
            win::MessageBoxFor(m_hWnd, win::TextWithDetail(entry.failure, entry.store->GetError()),
                               MB_OK | MB_ICONERROR);
        }
    }
    m_reloading = false;
    if ((mask & kReloadAll) == kReloadAll) {
        m_storesLoaded = true;
    }
}

void CMainFrame::OnClose() {
    // Whatever fails here is reported and the window closes all the same.
    (void)SetFullScreen(false);
    if (!SaveMainPlacement()) {
        win::MessageBoxFor(m_hWnd, win::TextWithDetail(IDS_ERR_LAYOUT_SAVE, m_layout.GetError()), MB_OK | MB_ICONERROR);
    }
    if (m_view.HasDocument() && !m_view.Close(false)) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DOC_CLOSE), MB_OK | MB_ICONERROR);
    }
}

void CMainFrame::OnDestroy() {
    // The view's window still exists here; its children are destroyed after the frame.
    (void)m_viewDrop.Revoke();
    (void)m_setting.RemoveView(m_hWnd);
    (void)m_view.RemoveView(m_hWnd);
    // The viewer goes with the view; its temporary document file with the document object.
    m_view.Close(false);
    const bool stopped = StopWorkers();
    DiscardPendingWork();
    if (win::CMessageLoop* loop = win::CAppModule::GetMessageLoop()) {
        if (m_filterAdded) {
            loop->RemoveMessageFilter(this);
        }
        if (m_idleAdded) {
            loop->RemoveIdleHandler(this);
        }
    }
    m_filterAdded = m_idleAdded = false;
    if (!stopped) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_SHUTDOWN), MB_OK | MB_ICONERROR);
    }
    ::PostQuitMessage(0);
}

void CMainFrame::OnSize() {
    UpdateLayout();
}

void CMainFrame::UpdateLayout() {
    if (!m_rebar) {
        return;
    }
    ::SendMessageW(m_rebar, WM_SIZE, 0, 0);
    RECT bar{};
    ::GetWindowRect(m_rebar, &bar);
    RECT client = GetClientRect();
    client.top += bar.bottom - bar.top;
    if (m_client) {
        ::SetWindowPos(m_client, nullptr, client.left, client.top, client.right - client.left,
                       std::max<LONG>(0, client.bottom - client.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMainFrame::UpdateCommandStates() {
    // Commands whose windows have not been built yet stay disabled rather than doing nothing.
    for (const UINT id : {ID_VIEW_PROPERTY, ID_VIEW_HISTORY, ID_VIEW_LIBRARY, ID_VIEW_SHORTKEY, ID_SUBWINDOW_RESET}) {
        UIEnable(id, false);
    }
    for (const UINT id : {ID_FILE_OPEN, ID_URL_OPEN, ID_APP_ABOUT, ID_EXEC_INFO, ID_APP_EXIT, ID_SETTING,
                          ID_SETTING_TOPIC, ID_SHOW_MODE, ID_SHOW_FULL}) {
        UIEnable(id, true);
    }
    UISetCheck(ID_SHOW_FULL, m_fullScreen.IsActive());
    const bool shown = m_view.HasDocument();
    UIEnable(ID_FILE_CLOSE, shown);
    UIEnable(ID_FILE_SAVE, shown);
    UIEnable(ID_OPEN_NEW_WINDOW, m_view.GetDocument() != nullptr);
    // The document view's commands, as far as the shown document's viewer can carry them out.
    for (const data::FunctionRow* row : data::FunctionsOfPlace(data::Place::View)) {
        UIEnable(row->id, m_view.IsCommandAvailable(row->id));
    }
    UpdateToolCommandStates();
}

void CMainFrame::OnInitMenuPopup(HMENU menu) {
    UpdateCommandStates();
    UIUpdateMenu(menu);
}

bool CMainFrame::OnCommand(UINT id) {
    // States as of now: the idle pass that keeps them may not have run since the last change.
    UpdateCommandStates();
    if (!UIIsEnabled(id)) {
        return true; // a disabled command reached us through a key: swallow it
    }
    switch (id) {
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_URL_OPEN:
        OnUrlOpen();
        return true;
    case ID_FILE_SAVE:
        SaveDocumentCopy();
        return true;
    case ID_FILE_CLOSE:
        OnFileClose();
        return true;
    case ID_OPEN_NEW_WINDOW:
        OnOpenCurrentInNewWindow();
        return true;
    case ID_EXEC_INFO: {
        tools::CDlgExecInfo dialog(ExeInfo::ModeDisplayName(ExeInfo::GetMode()), ExeInfo::GetExecDir(),
                                   win::ModuleFileName());
        if (dialog.DoModal(DialogOwner()) == -1) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
        }
        return true;
    }
    case ID_APP_ABOUT: {
        tools::CDlgAbout dialog;
        if (dialog.DoModal(DialogOwner()) == -1) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
        }
        return true;
    }
    case ID_APP_EXIT:
        Post(WM_CLOSE);
        return true;
    default:
        if (const data::FunctionRow* row = data::FunctionById(static_cast<uint16_t>(id));
            row && row->place == data::Place::View) {
            // A menu or another window asked the frame: the view executes its own commands.
            ::SendMessageW(m_view, WM_COMMAND, id, 0);
            return true;
        }
        return OnToolCommand(id) || OnModeCommand(id);
    }
}

bool CMainFrame::OnSysCommand(WPARAM wp, LPARAM lp) {
    if ((wp & 0xFFF0) == SC_KEYMENU) {
        return m_commandBar.OnKeyMenu(static_cast<wchar_t>(lp));
    }
    return false;
}

LRESULT CMainFrame::OnSetText(const wchar_t* text) {
    const std::wstring caption = BuildCaption(text ? std::wstring_view(text) : std::wstring_view());
    return DefWindowProcedure(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
}

bool CMainFrame::PreTranslateMessage(MSG& msg) {
    return TranslateKeys(msg);
}

bool CMainFrame::TranslateKeys(MSG& msg) {
    // A modal dialog or the progress dialog disables the frame: then no shortcut reaches any place.
    if (!m_hWnd || !::IsWindow(m_hWnd) || !::IsWindowEnabled(m_hWnd)) {
        return false;
    }
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    // Keys of the tool windows and of other top-level windows are theirs to translate.
    if (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)) {
        return false;
    }
    if (m_documentKeys && m_documentKeys->IsShowingDocument() &&
        m_shortkey.Translate(data::Place::View, m_documentKeys->CommandTarget(), msg)) {
        return true;
    }
    if (m_shortkey.Translate(data::Place::Main, m_hWnd, msg)) {
        return true;
    }
    return m_documentKeys && m_documentKeys->TranslateViewerKeys(msg);
}

void CMainFrame::OnIdle() {
    UpdateCommandStates();
    // Work that waited for a box or a dialog of something other than the frame's own handlers.
    if (m_handlerDepth == 0) {
        ScheduleDeferred();
    }
}
