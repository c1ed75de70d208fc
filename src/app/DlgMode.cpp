#include "app/DlgMode.h"

void CDlgMode::OnCancelMode(HWND window) {
    if (!m_owner && !m_changing && ::IsWindowEnabled(window)) {
        m_focusBefore = ::GetFocus();
    }
}

void CDlgMode::OnEnable(HWND window, bool enabled) {
    if (m_changing) {
        return;
    }
    if (!enabled) {
        if (m_owner) {
            return; // a nested dialog: the windows are disabled already
        }
        m_owner = window;
        const HWND focus = ::GetFocus();
        m_savedFocus = focus ? focus : m_focusBefore;
        m_changing = true;
        for (const HWND other : m_windows()) {
            if (other && other != window && ::IsWindow(other) && ::IsWindowEnabled(other)) {
                ::EnableWindow(other, FALSE);
                m_disabled.push_back(other);
            }
        }
        m_changing = false;
        return;
    }
    if (window != m_owner) {
        return;
    }
    m_changing = true;
    for (const HWND other : m_disabled) {
        if (::IsWindow(other)) {
            ::EnableWindow(other, TRUE);
        }
    }
    m_changing = false;
    m_disabled.clear();
    const HWND saved = m_savedFocus;
    m_owner = m_savedFocus = m_focusBefore = nullptr;
    if (saved && ::IsWindow(saved)) {
        m_restoreFocus(saved);
    }
}
