// The main frame's show modes (normal, maximized, full screen), the modal state shared by its top-level
// windows, and the settings dialog.

#include "app/MainFrame.h"

#include "app/AppMessages.h"
#include "app/ExeInfo.h"
#include "app/ShowMode.h"
#include "tools/DlgSetting.h"
#include "viewer/ViewerRegistry.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

#include "resource.h"

static_assert(WM_APP_TOOL_ENABLE == tools::CDlgTool::kOwnerEnableNotify);

std::vector<HWND> CMainFrame::TopLevelWindows() const {
    return {m_hWnd, m_docProp.m_hWnd, m_docHist.m_hWnd, m_docLib.m_hWnd, m_shortKeyWindow.m_hWnd};
}

bool CMainFrame::SetFullScreen(bool on) {
    if (on == m_fullScreen.IsActive()) {
        return true;
    }
    bool ok = true;
    if (on) {
        ::ShowWindow(m_rebar, SW_HIDE);
        ok = m_fullScreen.Enter();
        if (!ok) {
            ::ShowWindow(m_rebar, SW_SHOWNA);
        }
    } else {
        ::ShowWindow(m_rebar, SW_SHOWNA);
        ok = m_fullScreen.Leave();
    }
    UpdateToolbarCollapse();
    UpdateLayout();
    return ok && m_view.Relayout();
}

void CMainFrame::UpdateToolbarCollapse() {
    const bool collapsed = m_fullScreen.IsActive() && m_setting.GetToolBar().fullHide;
    if (collapsed != viewer::IsToolbarCollapsed()) {
        viewer::SetToolbarCollapsed(collapsed);
        (void)m_view.Relayout();
    }
}

void CMainFrame::OnShowMode() {
    ShowState state = ShowState::Normal;
    if (m_fullScreen.IsActive()) {
        state = ShowState::FullScreen;
    } else if (::IsIconic(m_hWnd)) {
        state = ShowState::Minimized;
    } else if (::IsZoomed(m_hWnd)) {
        state = ShowState::Maximized;
    }
    bool ok = true;
    switch (NextShowStep(state)) {
    case ShowStep::LeaveFullScreen:
        ok = SetFullScreen(false);
        ::ShowWindow(m_hWnd, SW_RESTORE);
        break;
    case ShowStep::EnterFullScreen:
        ok = SetFullScreen(true);
        break;
    case ShowStep::Maximize:
        ::ShowWindow(m_hWnd, SW_SHOWMAXIMIZED);
        break;
    case ShowStep::None:
        break;
    }
    if (!ok) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
    }
}

void CMainFrame::OnSettingDialog(int page) {
    tools::CDlgSetting dialog(m_setting, ExeInfo::GetExecDir(), *this, &m_commandBar, page);
    if (dialog.DoModal(DialogOwner()) == -1) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
    }
}

bool CMainFrame::OnModeCommand(UINT id) {
    switch (id) {
    case ID_SHOW_FULL:
        if (!SetFullScreen(!m_fullScreen.IsActive())) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        }
        return true;
    case ID_SHOW_MODE:
        OnShowMode();
        return true;
    case ID_SETTING:
        OnSettingDialog(0);
        return true;
    case ID_SETTING_TOPIC:
        OnSettingDialog(tools::CDlgSetting::kPageTopicView);
        return true;
    default:
        return false;
    }
}
