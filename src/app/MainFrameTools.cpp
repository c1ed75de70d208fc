// The main frame's tool windows: creating them, their commands and menu states, and carrying them along when
// the frame moves.

#include "app/MainFrame.h"

#include "app/AppMessages.h"
#include "app/ExeInfo.h"

#include "win/MessageBox.h"
#include "win/Strings.h"
#include "xml/XmlTextCheck.h"

#include "resource.h"

CMainFrame::CMainFrame()
    : m_history(m_setting), m_urls(m_setting), m_view(m_setting, m_shortkey),
      m_docLib(m_layout, m_library, m_setting, m_shortkey, *this, *this, ExeInfo::GetExecDir()),
      m_shortKeyWindow(m_layout, m_shortkey, m_setting, ExeInfo::GetExecDir()) {}

std::array<tools::CDlgTool*, 4> CMainFrame::ToolWindows() {
    // In the order the frame makes them: properties, the history, the library, the shortcut keys.
    return {&m_docProp, &m_docHist, &m_docLib, &m_shortKeyWindow};
}

bool CMainFrame::CreateToolWindows() {
    // Only those the saved layout shows: the others are made when first asked for, so a hidden window costs
    // the start-up nothing.
    for (tools::CDlgTool* tool : ToolWindows()) {
        // Their context menus show the command bar's images.
        tool->SetMenuBar(&m_commandBar);
        if (tool->IsSavedShown() && !tool->CreateTool(m_hWnd)) {
            return false;
        }
    }
    return true;
}

bool CMainFrame::ToggleTool(tools::CDlgTool& tool) {
    if (!tool.EnsureTool(m_hWnd) || !tool.Toggle()) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void CMainFrame::OnTopicProperties() {
    if (!m_docProp.EnsureTool(m_hWnd) || !m_docProp.ShowTopicPage()) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
    }
}

bool CMainFrame::ResetToolPlacements() {
    bool reset = true;
    for (tools::CDlgTool* tool : ToolWindows()) {
        reset = tool->ResetPlacement() && reset;
    }
    return reset;
}

void CMainFrame::UpdateToolCommandStates() {
    UISetCheck(ID_VIEW_PROPERTY, m_docProp.IsShown());
    UISetCheck(ID_VIEW_HISTORY, m_docHist.IsShown());
    UISetCheck(ID_VIEW_LIBRARY, m_docLib.IsShown());
    UISetCheck(ID_VIEW_SHORTKEY, m_shortKeyWindow.IsShown());
    for (const UINT id : {ID_VIEW_PROPERTY, ID_VIEW_HISTORY, ID_VIEW_LIBRARY, ID_VIEW_SHORTKEY, ID_SUBWINDOW_RESET}) {
        UIEnable(id, true);
    }
}

bool CMainFrame::OnToolCommand(UINT id) {
    switch (id) {
    case ID_VIEW_PROPERTY:
        (void)ToggleTool(m_docProp);
        return true;
    case ID_VIEW_HISTORY:
        (void)ToggleTool(m_docHist);
        return true;
    case ID_VIEW_LIBRARY:
        (void)ToggleTool(m_docLib);
        return true;
    case ID_VIEW_SHORTKEY:
        (void)ToggleTool(m_shortKeyWindow);
        return true;
    case ID_SUBWINDOW_RESET:
        if (win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SUBWINDOW_RESET),
                               MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES &&
            !ResetToolPlacements()) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        }
        return true;
    default:
        return false;
    }
}

void CMainFrame::MoveToolsWithFrame(const WINDOWPOS& pos) {
    if ((pos.flags & SWP_NOMOVE) || m_sysCommand == SC_MAXIMIZE || m_sysCommand == SC_MINIMIZE ||
        m_sysCommand == SC_RESTORE || ::IsIconic(m_hWnd) || ::IsZoomed(m_hWnd)) {
        return;
    }
    // Only a move carries the tool windows: a change of size (maximize, restore, a drag of an edge) does not.
    // A move that names no size keeps the current one, so it moves them too.
    const RECT current = GetWindowRect();
    if (!(pos.flags & SWP_NOSIZE) &&
        (pos.cx != current.right - current.left || pos.cy != current.bottom - current.top)) {
        return;
    }
    const int dx = pos.x - current.left;
    const int dy = pos.y - current.top;
    if (dx != 0 || dy != 0) {
        for (const tools::CDlgTool* tool : ToolWindows()) {
            (void)tool->MoveBy(dx, dy);
        }
    }
}

void CMainFrame::KeepToolsAbove() {
    // Owned windows stand above their owner; the platform here lets a reactivated owner (after a dialog, say)
    // come over them, so they are put back right above it once the activation has finished.
    for (const HWND tool : TopLevelWindows()) {
        const HWND above = ::GetWindow(m_hWnd, GW_HWNDPREV);
        if (tool != m_hWnd && tool && ::IsWindowVisible(tool)) {
            ::SetWindowPos(tool, above ? above : HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
    }
}

bool CMainFrame::RequestOpen(const data::CDataDoc& doc, bool newWindow, bool confirm) {
    auto ref = std::make_unique<DocRef>();
    if (!doc.file.path.empty()) {
        ref->kind = DocRef::Kind::File;
        ref->path = doc.file.path;
    } else if (ref->url.SetAddress(doc.url.address)) {
        ref->kind = DocRef::Kind::Url;
        ref->url.user = doc.url.user;
        ref->url.cache = doc.url.cache ? 1U : 0U;
        ref->url.pasv = doc.url.pasv ? 1U : 0U;
    } else {
        return false;
    }
    ref->topic = transfer::CTopicStr(std::wstring_view(doc.topic.path), false);
    // Queued like every open request: it waits while the frame is busy and runs after the caller returned.
    const LPARAM flags = (confirm ? kOpenConfirm : 0) | (newWindow ? kOpenNewWindow : 0);
    return PostObject<WM_APP_OPEN_REQUEST>(m_hWnd, std::move(ref), flags);
}

bool CMainFrame::GetCurrentDoc(tools::CurrentDoc& current) {
    if (!m_view.HasDocument()) {
        return false;
    }
    const transfer::CPropDoc& props = m_view.GetDocProperties();
    const transfer::CPropTopic& topic = m_view.GetTopicProperties();
    current.doc = RecordOf(props, props.topic.Text());
    current.topicPath = topic.topic.Text();
    current.topicTitle = xml::MakeStorableText(topic.title);
    return true;
}
