// The main frame's document work: opening from a file, a URL, a reference or a request; the downloads and
// their logins; saving a copy; closing; opening in a new window.

#include "app/AppMessages.h"
#include "app/DeferredWork.h"
#include "app/CmdLine.h"
#include "app/ExeInfo.h"
#include "app/MainFrame.h"
#include "data/DataLibrary.h"
#include "tools/DlgFile.h"
#include "tools/DlgUrlDocOpen.h"
#include "tools/DlgUrlLogin.h"
#include "transfer/FileCopy.h"
#include "transfer/InetDownload.h"
#include "win/MessageBox.h"
#include "xml/XmlTextCheck.h"
#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

#include <ctime>

namespace {

constexpr size_t kMaxTitle = 260;

void ShowError(HWND owner, const std::wstring& text) {
    if (!text.empty()) {
        win::MessageBoxFor(owner, text, MB_OK | MB_ICONERROR);
    }
}

void ShowError(HWND owner, UINT id) {
    ShowError(owner, win::LoadStr(id));
}

// The file and communication threads start with their first job: a thread costs about a megabyte of memory
// under this platform, and most runs never download or save a document.
template <class Thread, class Job> bool SubmitStarting(Thread& thread, std::unique_ptr<Job>& job) {
    return (thread.IsRunning() || thread.Start(THREAD_PRIORITY_NORMAL)) && thread.Submit(job);
}

int64_t Now() {
    return static_cast<int64_t>(std::time(nullptr));
}

data::CDataUrl ToDataUrl(const transfer::CUrlConn& url) {
    // The password never leaves memory.
    data::CDataUrl record;
    record.address = url.Address().Url();
    record.user = url.user;
    record.cache = url.cache != 0;
    record.pasv = url.pasv != 0;
    return record;
}

} // namespace

HWND CMainFrame::DialogOwner() const {
    const HWND active = ::GetActiveWindow();
    return active ? active : m_hWnd;
}

std::wstring CMainFrame::ResolveDocumentPath(const std::wstring& path) const {
    return win::ResolveAgainst(path, ExeInfo::GetExecDir());
}

void CMainFrame::RepaintNow() {
    // Paints what is waiting to be painted, now: the modal dialogs that come and go leave areas behind.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CMainFrame::EndProgress() {
    // Without a running dialog the failure to run it has been reported already.
    if (m_progress.IsRunning() && !m_progress.End()) {
        ShowError(m_hWnd, IDS_ERR_PROGRESS);
    }
}

void CMainFrame::BeginWork(DocWork::Kind kind, const void* token, transfer::CTopicStr topic) {
    m_work = DocWork{kind, token, std::move(topic)};
}

bool CMainFrame::RunProgress(UINT text, UINT mode) {
    m_progress.SetText(text);
    m_progress.SetMode(mode);
    if (m_progress.Run(DialogOwner()) == 1) {
        return true;
    }
    // The caller reports the failure; the work it started must not finish behind that message: its
    // completion, when it comes, is no longer the current work's and is dropped.
    EndWork();
    return false;
}

// ---- Opening a local document

bool CMainFrame::OpenFile(const std::wstring& path, const transfer::CTopicStr& topic) {
    const std::wstring full = ResolveDocumentPath(path);
    if (full.empty()) {
        return false;
    }
    auto document = std::make_unique<transfer::CFileChm>(full);
    if (!topic.IsEmpty()) {
        document->SetProperty(L"topic", topic.Text());
    }
    const void* token = document.get();
    if (!PostObject<WM_APP_DOC_READY>(m_hWnd, std::move(document))) {
        return false;
    }
    BeginWork(DocWork::Kind::Open, token);
    return RunProgress(IDS_PROGRESS_OPENING, 0);
}

void CMainFrame::OnDocReady(std::unique_ptr<transfer::CFileHandle> document) {
    if (!document || !IsCurrentWork(document.get())) {
        return; // abandoned work: its failure was reported
    }
    EndWork();
    RepaintNow();
    transfer::CPropDoc props;
    props.filePath = document->GetPath();
    const std::wstring error = ShowDocument(std::move(document), props, nullptr);
    EndProgress();
    RepaintNow();
    ShowError(m_hWnd, error);
}

std::wstring CMainFrame::ShowDocument(std::unique_ptr<transfer::CFileHandle> document, transfer::CPropDoc props,
                                      const transfer::FileInformation* downloaded) {
    const std::wstring path = document->GetPath();
    const std::wstring topic = document->GetProperty(L"topic");
    props.opened = Now();
    if (!m_view.Open(std::move(document))) {
        return win::LoadStr(IDS_ERR_DOC_OPEN);
    }
    props.title = m_view.GetTitle().substr(0, kMaxTitle);
    m_view.SetDocProperties(props);
    transfer::CPropFile file;
    if (downloaded) {
        file.SetFrom(*downloaded);
    } else if (!file.ReadFrom(path)) {
        return win::LoadStr(IDS_ERR_DOC_OPEN);
    }
    m_view.SetFileProperties(file);
    return AddToHistory(props, topic);
}

data::CDataDoc CMainFrame::RecordOf(const transfer::CPropDoc& props, const std::wstring& topic) const {
    data::CDataDoc doc;
    // A title is display text: what the file cannot carry becomes a replacement character, so one odd title
    // never stops the history from saving.
    doc.title = xml::MakeStorableText(props.title);
    doc.time = props.opened;
    if (props.GetKind() == transfer::CPropDoc::Kind::Local) {
        doc.file.path = props.filePath;
    } else {
        static_cast<data::CDataUrl&>(doc.url) = ToDataUrl(props.connection);
    }
    doc.topic.path = topic;
    return doc;
}

std::wstring CMainFrame::AddToHistory(const transfer::CPropDoc& props, const std::wstring& topic) {
    if (m_history.Add(RecordOf(props, topic))) {
        return {};
    }
    return win::TextWithDetail(IDS_ERR_HISTORY_ADD, m_history.GetError());
}

// ---- Opening from a URL

bool CMainFrame::OpenUrl(const transfer::CUrlConn& url, const transfer::CTopicStr& topic) {
    // The temporary document is made (and named) here; the download job owns it until it is shown.
    transfer::CFileChmTemp temporary;
    if (!temporary.Open()) {
        return false;
    }
    auto output = std::make_unique<transfer::CDownloadFile>(temporary.Release(), true);
    auto job = std::make_unique<transfer::CCommDL>(m_hWnd, WM_APP_DOWNLOADED);
    job->Settings().SetTimeoutSeconds(m_setting.GetComm().timeout);
    job->Connection() = url;
    job->SetOutputFile(std::move(output));
    // The token is the address the completion brings back: that of the job's CComm part, which virtual
    // inheritance places elsewhere in a CCommDL.
    BeginWork(DocWork::Kind::Download, static_cast<const transfer::CComm*>(job.get()), topic);
    if (StartDownload(std::move(job))) {
        return true;
    }
    EndWork();
    return false;
}

bool CMainFrame::StartDownload(std::unique_ptr<transfer::CComm> job) {
    if (!SubmitStarting(m_commThread, job)) {
        return false;
    }
    if (RunProgress(IDS_PROGRESS_DOWNLOADING, tools::CDlgProgress::kModeBar | tools::CDlgProgress::kModeCancel)) {
        return true;
    }
    (void)m_commThread.Cancel();
    return false;
}

void CMainFrame::OnDownloaded(std::unique_ptr<transfer::CComm> job) {
    if (!job || !IsCurrentWork(job.get())) {
        return; // abandoned work: its failure was reported; the job and its temporary file go here
    }
    const transfer::CTopicStr topic = m_work->topic;
    if (job->GetStatus() != transfer::kCommStatusAuth) {
        EndWork();
    }
    RepaintNow();
    std::wstring error;
    std::wstring warning;
    m_progress.SetText(IDS_PROGRESS_OPENING);
    m_progress.SetMode(0);
    if (!m_progress.Refresh()) {
        EndWork();
        error = win::LoadStr(IDS_ERR_PROGRESS);
    } else if (job->GetStatus() == transfer::kCommStatusCancelled) {
        // A cancel the close asked for needs no word: the window is going.
        if (!m_closeRequested) {
            warning = win::LoadStr(IDS_COMM_ABORTED);
        }
    } else if (job->GetStatus() == transfer::kCommStatusAuth) {
        if (m_closeRequested || !PostObject<WM_APP_LOGIN>(m_hWnd, std::move(job))) {
            EndWork();
            error = m_closeRequested ? std::wstring() : win::LoadStr(IDS_ERR_COMM);
        }
    } else if (job->GetStatus() == transfer::kCommStatusSuccess) {
        std::unique_ptr<transfer::CDownloadFile> output = job->TakeOutputFile();
        auto document = std::make_unique<transfer::CFileChmTemp>();
        if (!output || !document->Adopt(output->Path())) {
            error = win::LoadStr(IDS_ERR_DOC_OPEN);
        } else {
            // The document object deletes the temporary file from now on, whatever happens to it.
            output->Keep();
            output.reset();
            if (!topic.IsEmpty()) {
                document->SetProperty(L"topic", topic.Text());
            }
            transfer::CPropDoc props;
            props.connection = job->Connection();
            error = ShowDocument(std::move(document), props, &job->GetFileInformation());
        }
    } else {
        error = transfer::CommErrorText(*job);
    }
    EndProgress();
    RepaintNow();
    ShowError(m_hWnd, error);
    if (!warning.empty()) {
        win::MessageBoxFor(m_hWnd, warning, MB_OK | MB_ICONWARNING);
    }
}

void CMainFrame::OnLogin(std::unique_ptr<transfer::CComm> job) {
    if (!job || !IsCurrentWork(job.get())) {
        return;
    }
    const HWND focus = ::GetFocus();
    ::SetFocus(m_hWnd);
    {
        tools::CDlgUrlLogin dialog(job->Connection(), job->GetAuthRequest(), job->GetLoginRetryCount());
        const INT_PTR result = dialog.DoModal(DialogOwner());
        if (result != IDOK || m_closeRequested) {
            EndWork();
        }
        if (result == -1) {
            ShowError(m_hWnd, IDS_ERR_DIALOG);
        } else if (result == IDOK && !m_closeRequested) {
            job->SetLoginRetryCount(job->GetLoginRetryCount() + 1);
            transfer::CUrlConn connection = job->Connection();
            connection.login = 1;
            connection.user = dialog.User();
            connection.password = dialog.Password();
            job->Connection() = connection;
            if (!StartDownload(std::move(job))) {
                EndWork();
                ShowError(m_hWnd, IDS_ERR_COMM);
            }
        }
        // Cancelled: the job and its temporary file go here, silently.
    }
    if (focus && ::IsWindow(focus)) {
        ::SetFocus(focus);
    }
}

// ---- References and requests

bool CMainFrame::OpenDocRef(const DocRef& ref, bool newWindow, HWND focusBack) {
    ::SetFocus(m_hWnd);
    bool ok = false;
    switch (ref.kind) {
    case DocRef::Kind::File:
        ok = newWindow ? OpenInNewWindow(ref.path, ref.topic) : OpenFile(ref.path, ref.topic);
        break;
    case DocRef::Kind::Url:
        ok = newWindow ? OpenInNewWindow(ref.url, ref.topic) : OpenUrl(ref.url, ref.topic);
        break;
    default:
        break;
    }
    if (focusBack && ::IsWindow(focusBack)) {
        ::SetFocus(focusBack);
    }
    return ok;
}

int CMainFrame::ConfirmAndOpen(DocRef& ref, bool& newWindow) {
    if (ref.kind == DocRef::Kind::File) {
        const std::wstring resolved = ResolveDocumentPath(ref.path);
        if (resolved.empty()) {
            return -1;
        }
        tools::CDlgFileDocOpen dialog(m_setting, ExeInfo::GetExecDir());
        if (!dialog.Show(DialogOwner(), resolved, newWindow)) {
            return 0;
        }
        if (!win::EqualsNoCase(dialog.Path(), resolved)) {
            ref.path = dialog.Path();
            ref.topic.Clear();
        }
        newWindow = dialog.NewWindow();
        return 1;
    }
    if (ref.kind == DocRef::Kind::Url) {
        tools::CDlgUrlDocOpen dialog(m_urls, &ref.url);
        const INT_PTR result = dialog.DoModal(DialogOwner());
        if (result != IDOK) {
            return result == IDCANCEL ? 0 : -1;
        }
        transfer::CUrlConn confirmed = dialog.Connection();
        if (confirmed.Address().Url() == ref.url.Address().Url()) {
            confirmed.user = ref.url.user;
            confirmed.password = ref.url.password;
        } else {
            confirmed.user.clear();
            confirmed.password.clear();
        }
        confirmed.login = 0;
        ref.url = confirmed;
        newWindow = dialog.NewWindow();
        return 1;
    }
    return -1;
}

void CMainFrame::OnOpenRequest(std::unique_ptr<DocRef> ref, LPARAM flags) {
    bool ok = false;
    if (ref && !(flags & kOpenConfirm)) {
        ok = OpenDocRef(*ref, (flags & kOpenNewWindow) != 0, ::GetFocus());
    } else if (ref) {
        bool newWindow = false;
        const int confirmed = ConfirmAndOpen(*ref, newWindow);
        ok = confirmed == 0 || (confirmed == 1 && OpenDocRef(*ref, newWindow, ::GetFocus()));
    }
    if (!ok) {
        ShowError(m_hWnd, IDS_ERR_DOC_OPEN);
    }
}

// ---- New windows

bool CMainFrame::OpenInNewWindow(const std::wstring& path, const transfer::CTopicStr& topic) {
    CCmdLine command;
    command.SetKind(CCmdLine::kPath);
    command.SetPath(path);
    command.SetTopic(topic);
    std::wstring arguments;
    return SaveMainPlacement() && command.Build(arguments) && LaunchNewWindow(arguments);
}

bool CMainFrame::OpenInNewWindow(const transfer::CUrlConn& url, const transfer::CTopicStr& topic) {
    CCmdLine command;
    command.SetKind(CCmdLine::kUrl);
    command.SetUrl(url);
    command.SetTopic(topic);
    std::wstring arguments;
    return SaveMainPlacement() && command.Build(arguments) && LaunchNewWindow(arguments);
}

void CMainFrame::OnOpenCurrentInNewWindow() {
    const transfer::CFileHandle* document = m_view.GetDocument();
    if (!document) {
        return;
    }
    const transfer::CPropDoc& props = m_view.GetDocProperties();
    DocRef ref;
    const transfer::CTopicStr& shown = m_view.GetTopicProperties().topic;
    ref.topic = shown.IsEmpty() ? transfer::CTopicStr(document->GetProperty(L"topic"), false) : shown;
    if (props.GetKind() == transfer::CPropDoc::Kind::Url) {
        ref.kind = DocRef::Kind::Url;
        ref.url = props.connection;
    } else {
        ref.kind = DocRef::Kind::File;
        ref.path = document->GetPath();
    }
    if (!OpenDocRef(ref, true, ::GetFocus())) {
        ShowError(m_hWnd, IDS_ERR_DOC_OPEN);
    }
}

// ---- Commands

void CMainFrame::OnFileOpen() {
    const transfer::CFileHandle* document = m_view.GetDocument();
    const bool local = document && m_view.GetDocProperties().GetKind() == transfer::CPropDoc::Kind::Local;
    tools::CDlgFileDocOpen dialog(m_setting, ExeInfo::GetExecDir());
    if (!dialog.Show(DialogOwner(), local ? document->GetPath() : std::wstring(), false)) {
        return;
    }
    if (dialog.NewWindow()) {
        if (!OpenInNewWindow(dialog.Path(), {})) {
            ShowError(m_hWnd, IDS_ERR_WINDOW);
        }
    } else if (!OpenFile(dialog.Path(), {})) {
        ShowError(m_hWnd, IDS_ERR_DOC_OPEN);
    }
}

void CMainFrame::OnUrlOpen() {
    tools::CDlgUrlDocOpen dialog(m_urls, nullptr);
    if (dialog.DoModal(DialogOwner()) != IDOK) {
        return;
    }
    if (dialog.NewWindow()) {
        if (!OpenInNewWindow(dialog.Connection(), {})) {
            ShowError(m_hWnd, IDS_ERR_WINDOW);
        }
    } else if (!OpenUrl(dialog.Connection(), {})) {
        ShowError(m_hWnd, IDS_ERR_COMM);
    }
}

void CMainFrame::OnFileClose() {
    if (m_view.HasDocument() && !m_view.Close(true)) {
        ShowError(m_hWnd, IDS_ERR_DOC_CLOSE);
    }
    ::SetFocus(m_hWnd);
}

void CMainFrame::SaveDocumentCopy() {
    if (!m_view.HasDocument()) {
        return;
    }
    const transfer::CFileHandle* document = m_view.GetDocument();
    if (!document) {
        ShowError(m_hWnd, IDS_ERR_DOC_SAVE);
        return;
    }
    tools::CDlgFileDocSave dialog(m_setting, ExeInfo::GetExecDir());
    if (!dialog.Show(DialogOwner(), m_view.GetDocProperties().GetFileName(), document->GetPath(), false)) {
        return;
    }
    auto copy = std::make_unique<transfer::CFileCopy>(m_hWnd, WM_APP_SAVED, document->GetPath(), dialog.Path(), true);
    const int64_t now = Now();
    copy->SetTimes(now, m_view.GetFileProperties().lastWriteTime, now);
    copy->SetOpenInNewWindow(dialog.NewWindow());
    std::unique_ptr<transfer::CFileOpe> job = std::move(copy);
    BeginWork(DocWork::Kind::Save, job.get());
    if (!SubmitStarting(m_fileThread, job)) {
        EndWork();
        ShowError(m_hWnd, IDS_ERR_DOC_SAVE);
        return;
    }
    if (!RunProgress(IDS_PROGRESS_SAVING, tools::CDlgProgress::kModeBar)) {
        ShowError(m_hWnd, IDS_ERR_PROGRESS);
    }
}

void CMainFrame::OnSaved(std::unique_ptr<transfer::CFileOpe> job) {
    if (!job || !IsCurrentWork(job.get())) {
        return; // the copy is made, but nothing more is done for a command reported as failed
    }
    EndWork();
    RepaintNow();
    std::wstring error;
    const auto* copy = dynamic_cast<const transfer::CFileCopy*>(job.get());
    if (!copy || job->GetStatus() != 0) {
        error = win::LoadStr(IDS_ERR_DOC_SAVE);
    } else if (copy->GetOpenInNewWindow() && !m_closeRequested && !OpenInNewWindow(copy->GetDestination(), {})) {
        error = win::LoadStr(IDS_ERR_WINDOW);
    }
    EndProgress();
    RepaintNow();
    ShowError(m_hWnd, error);
}

// ---- Start-up document

void CMainFrame::OnCmdLine() {
    CCmdLine command;
    if (!command.Parse()) {
        const std::wstring text = command.IsBadUrl() ? win::LoadStr(IDS_URL_BAD_FORMAT)
                                                     : win::TextWithDetail(IDS_ERR_CMDLINE, command.GetError());
        win::MessageBoxFor(m_hWnd, text, MB_OK | MB_ICONWARNING);
        return;
    }
    bool ok = true;
    switch (command.GetKind()) {
    case CCmdLine::kPath:
        ok = OpenFile(command.GetPath(), command.GetTopic());
        break;
    case CCmdLine::kUrl:
        ok = OpenUrl(command.GetUrl(), command.GetTopic());
        break;
    default: {
        const data::CDataSetDocView start = m_setting.GetDocView();
        ok = start.startDoc == data::StartDoc::None || OpenStartDocument(start, false);
        break;
    }
    }
    if (!ok) {
        ShowError(m_hWnd, IDS_ERR_DOC_OPEN);
    }
}

bool CMainFrame::OpenStartDocument(const data::CDataSetDocView& start, bool newWindow) {
    const transfer::CTopicStr topic(start.topic.path, false);
    if (start.startDoc == data::StartDoc::File) {
        return newWindow ? OpenInNewWindow(start.file.path, topic) : OpenFile(start.file.path, topic);
    }
    transfer::CUrlConn url;
    if (start.startDoc != data::StartDoc::Url || !url.SetAddress(start.url.address)) {
        return false;
    }
    url.user = start.url.user;
    url.cache = start.url.cache ? 1 : 0;
    url.pasv = start.url.pasv ? 1 : 0;
    return newWindow ? OpenInNewWindow(url, topic) : OpenUrl(url, topic);
}

bool CMainFrame::GetCurrentDocument(data::CDataSetDocView& start) {
    const transfer::CFileHandle* document = m_view.GetDocument();
    if (!document) {
        return false;
    }
    const transfer::CPropDoc& props = m_view.GetDocProperties();
    const transfer::CTopicStr& shown = m_view.GetTopicProperties().topic;
    start.topic.path = shown.IsEmpty() ? document->GetProperty(L"topic") : shown.Text();
    if (props.GetKind() == transfer::CPropDoc::Kind::Local) {
        start.startDoc = data::StartDoc::File;
        start.file.path = props.filePath;
    } else {
        start.startDoc = data::StartDoc::Url;
        start.url = ToDataUrl(props.connection);
    }
    return true;
}

bool CMainFrame::OpenTrial(const data::CDataSetDocView& start) {
    // In a process of its own: this one keeps its document and the settings dialog stays open.
    return OpenStartDocument(start, true);
}

void CMainFrame::DiscardPendingWork() {
    // What the workers or this window posted and nobody will handle now: owned objects, temporary files.
    MSG pending{};
    while (::PeekMessageW(&pending, m_hWnd, WM_APP_DOC_READY, WM_APP_SAVED, PM_REMOVE)) {
        (void)DropMessageObject(pending);
    }
    EndWork();
}
