#pragma once
// The program's one top-level window per process: it owns the command bar, the document view, the tool
// windows, the workers and the data stores, and is where documents are opened and closed.

#include "app/DeferredWork.h"
#include "app/DlgMode.h"
#include "app/DocRef.h"
#include "app/ViewDrop.h"
#include "data/DataHistory.h"
#include "data/DataLayout.h"
#include "data/DataLibrary.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"
#include "tools/DlgDocHist.h"
#include "tools/DlgDocLib.h"
#include "tools/DlgDocProp.h"
#include "tools/DlgProgress.h"
#include "tools/DlgSetPages.h"
#include "tools/DlgShortKey.h"
#include "transfer/FileObjects.h"
#include "transfer/JobThreads.h"
#include "transfer/WatchData.h"
#include "viewer/HHView.h"
#include "win/CommandBar.h"
#include "win/FullScreen.h"
#include "win/MessageLoop.h"
#include "win/UpdateUI.h"
#include "win/Window.h"

#include <array>
#include <optional>

// One piece of document work from its start to its end: opening a local file, a download with its logins, or
// saving a copy. Its completion is recognised by the object it handed out (the document, the job), so the
// completion of work that was abandoned is dropped instead of ending later work.
struct DocWork {
    enum class Kind { Open, Download, Save };

    Kind kind = Kind::Open;
    const void* token = nullptr;
    // The topic to show once a download has finished.
    transfer::CTopicStr topic;
};

class CMainFrame : public win::CWindowImpl,
                   public win::CUpdateUI,
                   private win::CMessageFilter,
                   private win::CIdleHandler,
                   private tools::IDocOpener,
                   private tools::ICurrentDocSource,
                   private tools::ISettingHost {
public:
    static constexpr wchar_t kClassName[] = L"FolivexMainFrame";

    CMainFrame();
    ~CMainFrame() override = default;

    // Creates the frame at the system's default position and size; nullptr when creation was refused.
    HWND CreateFrame();
    // Shows the frame with the caller's show command and the saved placement.
    void ShowWithPlacement(int showCmd);
    // Writes the layout file: the frame's normal placement as "main", then each tool window's record.
    [[nodiscard]] bool SaveMainPlacement();

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Opening documents in this window (the progress dialog runs until the document is shown or failed) or in
    // a new process. False only for a failure before the work started; later failures show their own message.
    bool OpenFile(const std::wstring& path, const transfer::CTopicStr& topic);
    bool OpenUrl(const transfer::CUrlConn& url, const transfer::CTopicStr& topic);
    bool OpenInNewWindow(const std::wstring& path, const transfer::CTopicStr& topic);
    bool OpenInNewWindow(const transfer::CUrlConn& url, const transfer::CTopicStr& topic);
    bool OpenDocRef(const DocRef& ref, bool newWindow, HWND focusBack);
    // Shows the open or URL dialog pre-filled from the reference: 1 confirmed (the reference and the
    // new-window state take the user's choice), 0 cancelled, -1 failed.
    int ConfirmAndOpen(DocRef& ref, bool& newWindow);

    // Full screen on or off: the rebar hides while it is on, the view lays itself out again.
    [[nodiscard]] bool SetFullScreen(bool on);

    // The keyboard dispatch of every message the thread's loop retrieves (also the frame's message filter).
    bool TranslateKeys(MSG& msg);
    // The document view once it exists; null while there is none.
    void SetDocumentKeys(IDocumentKeys* keys) noexcept { m_documentKeys = keys; }
    [[nodiscard]] data::CDataShortkey& Shortkeys() noexcept { return m_shortkey; }

protected:
    win::WindowClassInfo GetWindowClassInfo() const override;

private:
    bool PreTranslateMessage(MSG& msg) override;
    void OnIdle() override;

    bool HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // What keeps posted work waiting; `ownHandlers` frame handlers on the stack do not count as busy.
    [[nodiscard]] CDeferredWork::State DeferState(int ownHandlers) const;
    // Posts the run of the next waiting piece of work when it may run now.
    void ScheduleDeferred();
    void OnRunDeferred();
    void RunDeferred(CDeferredWork::Item& item);
    // A close asked for while other work runs: that work is cancelled where it can be, and the close follows.
    void OnCloseWhileBusy();
    void OnActivate(WPARAM wp);
    void RestoreFocus();

    // Document work: started with the object whose completion ends it; a completion of any other object is
    // late work that was abandoned.
    void BeginWork(DocWork::Kind kind, const void* token, transfer::CTopicStr topic = {});
    [[nodiscard]] bool IsCurrentWork(const void* token) const noexcept { return m_work && m_work->token == token; }
    void EndWork() noexcept { m_work.reset(); }

    LRESULT OnCreate();
    // What the frame starts once it is shown: the drop target, the watcher, the tool windows.
    [[nodiscard]] bool StartAfterShown();
    [[nodiscard]] bool StopWorkers();
    void OnReload(DWORD mask);
    void OnCmdLine();
    void OnDocReady(std::unique_ptr<transfer::CFileHandle> document);
    void OnDownloaded(std::unique_ptr<transfer::CComm> job);
    void OnLogin(std::unique_ptr<transfer::CComm> job);
    void OnOpenRequest(std::unique_ptr<DocRef> ref, LPARAM flags);
    void OnSaved(std::unique_ptr<transfer::CFileOpe> job);
    bool StartDownload(std::unique_ptr<transfer::CComm> job);
    void OnFileOpen();
    void OnUrlOpen();
    void SaveDocumentCopy();
    void OnFileClose();
    void OnOpenCurrentInNewWindow();
    // Shows the document in the view and records it (its properties, its file's, a history entry); the error
    // text, empty on success. A download brings its file information, a local file's is read from the disk.
    std::wstring ShowDocument(std::unique_ptr<transfer::CFileHandle> document, transfer::CPropDoc props,
                              const transfer::FileInformation* downloaded);
    // Opens a start-up document here or in a new process; false when it could not be started.
    bool OpenStartDocument(const data::CDataSetDocView& start, bool newWindow);
    bool GetCurrentDocument(data::CDataSetDocView& start) override;
    bool OpenTrial(const data::CDataSetDocView& start) override;
    // Adds the shown document to the history; the error text when that failed.
    std::wstring AddToHistory(const transfer::CPropDoc& props, const std::wstring& topic);
    // Runs the progress dialog until the work ends it; false (and the work abandoned) when it did not run.
    bool RunProgress(UINT text, UINT mode);
    // Ends the progress dialog; reports its own failure at once.
    void EndProgress();
    void DiscardPendingWork();
    void RepaintNow();
    [[nodiscard]] HWND DialogOwner() const;
    [[nodiscard]] std::wstring ResolveDocumentPath(const std::wstring& path) const;
    void OnAbort();
    void OnWatchError();
    void OnClose();
    void OnDestroy();
    void OnSize();
    void OnInitMenuPopup(HMENU menu);
    bool OnCommand(UINT id);
    bool OnSysCommand(WPARAM wp, LPARAM lp);
    LRESULT OnSetText(const wchar_t* text);
    // Enabled and checked states of the frame's commands, computed in this one place.
    void UpdateCommandStates();
    void UpdateLayout();

    // Places the frame where the layout keeps it and shows it; false when the placement could not be set.
    [[nodiscard]] bool ApplySavedPlacement(int showCmd);
    // The tool windows (MainFrameTools.cpp).
    [[nodiscard]] std::array<tools::CDlgTool*, 4> ToolWindows();
    [[nodiscard]] bool CreateToolWindows();
    // Makes the window when first asked for, then shows or hides it; failures are reported.
    bool ToggleTool(tools::CDlgTool& tool);
    bool ResetToolPlacements();
    void OnTopicProperties();
    void UpdateToolCommandStates();
    bool OnToolCommand(UINT id);
    void MoveToolsWithFrame(const WINDOWPOS& pos);
    void KeepToolsAbove();
    bool RequestOpen(const data::CDataDoc& doc, bool newWindow, bool confirm) override;
    bool GetCurrentDoc(tools::CurrentDoc& current) override;
    // The shown document as a stored record, at the topic given.
    [[nodiscard]] data::CDataDoc RecordOf(const transfer::CPropDoc& props, const std::wstring& topic) const;
    // The program's top-level windows that a modal dialog disables together.
    [[nodiscard]] std::vector<HWND> TopLevelWindows() const;
    // Full screen, show modes and the settings dialog (MainFrameModes.cpp).
    bool OnModeCommand(UINT id);
    void OnShowMode();
    void UpdateToolbarCollapse();
    void OnSettingDialog(int page);

    // Members in the order the process relies on: stores first, windows and workers after them.
    data::CDataSetting m_setting;
    data::CDataLayout m_layout;
    data::CDataHistory m_history;
    data::CDataLibrary m_library;
    data::CDataShortkey m_shortkey;
    data::CDataUrls m_urls;
    win::CCommandBar m_commandBar;
    viewer::CHHViewEx m_view;
    // Registered on the view's window while it exists.
    CViewDropTarget m_viewDrop;
    tools::CDlgProgress m_progress;
    tools::CPropSourceOf<viewer::CHHView> m_propSource{m_view};
    tools::CDlgDocProp m_docProp{m_layout, m_propSource};
    tools::CDlgDocHist m_docHist{m_layout, m_history, m_setting, *this};
    tools::CDlgDocLib m_docLib;
    tools::CDlgShortKey m_shortKeyWindow;
    win::CFullScreen m_fullScreen;
    CDlgMode m_dlgMode{[this] { return TopLevelWindows(); },
                       [this](HWND window) { Post(WM_APP_RESTORE_FOCUS, reinterpret_cast<WPARAM>(window)); }};
    // The system command whose default processing runs, 0 otherwise.
    UINT m_sysCommand = 0;
    // The running document work, if any.
    std::optional<DocWork> m_work;
    CDeferredWork m_deferred;
    bool m_deferredPosted = false;
    // Frame handlers on the stack: more than one means a handler runs a modal loop.
    int m_handlerDepth = 0;
    bool m_storesLoaded = false;
    bool m_reloading = false;
    // The file time of each store file (in reload order) whose last reload failed.
    uint64_t m_failedReloadTimes[5] = {};
    // A close is waiting for the running work to end.
    bool m_closeRequested = false;
    // The window inside the frame that had the focus when the frame was deactivated.
    HWND m_savedFocus = nullptr;
    // Last members: destroyed first, so no worker outlives what it reports to.
    transfer::CFileThread m_fileThread;
    transfer::CCommThread m_commThread;
    transfer::CWatchData m_watchData;
    HWND m_rebar = nullptr;
    HWND m_client = nullptr;
    bool m_filterAdded = false;
    bool m_idleAdded = false;
    IDocumentKeys* m_documentKeys = nullptr;
};
