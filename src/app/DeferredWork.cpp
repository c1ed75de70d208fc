#include "app/DeferredWork.h"

bool CDeferredWork::IsDeferrable(UINT message) noexcept {
    switch (message) {
    case WM_APP_CMDLINE:
    case WM_APP_RELOAD:
    case WM_APP_OPEN_REQUEST:
    case WM_APP_WATCH_ERROR:
    case WM_CLOSE:
        return true;
    default:
        return false;
    }
}

bool CDeferredWork::CanRun(UINT message, const State& state) noexcept {
    switch (message) {
    case WM_APP_RELOAD:
    case WM_APP_WATCH_ERROR:
        // Reloads keep running inside dialogs (they show another instance's changes at once); only a box
        // that is open, or a reload that is still running, makes them wait.
        return !state.messageBoxOpen && !state.reloading;
    case WM_APP_CMDLINE:
    case WM_APP_OPEN_REQUEST:
        return state.storesLoaded && !state.messageBoxOpen && !state.reloading && !state.busy;
    case WM_CLOSE:
        return !state.messageBoxOpen && !state.reloading && !state.busy;
    default:
        return true;
    }
}

void CDeferredWork::Push(UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_APP_RELOAD && !m_items.empty() && m_items.back().message == WM_APP_RELOAD) {
        m_items.back().wParam |= wp;
        return;
    }
    Item item;
    item.message = message;
    item.wParam = wp;
    item.lParam = lp;
    if (message == WM_APP_OPEN_REQUEST) {
        item.request = TakeObject<WM_APP_OPEN_REQUEST>(wp);
        item.wParam = 0;
    }
    m_items.push_back(std::move(item));
}

bool CDeferredWork::PopRunnable(const State& state, Item& item) {
    if (m_items.empty() || !CanRun(m_items.front().message, state)) {
        return false;
    }
    item = std::move(m_items.front());
    m_items.pop_front();
    return true;
}

bool DropMessageObject(const MSG& msg) {
    switch (msg.message) {
    case WM_APP_DOC_READY:
        (void)TakeObject<WM_APP_DOC_READY>(msg.wParam);
        return true;
    case WM_APP_DOWNLOADED:
        (void)TakeObject<WM_APP_DOWNLOADED>(msg.wParam);
        return true;
    case WM_APP_LOGIN:
        (void)TakeObject<WM_APP_LOGIN>(msg.wParam);
        return true;
    case WM_APP_OPEN_REQUEST:
        (void)TakeObject<WM_APP_OPEN_REQUEST>(msg.wParam);
        return true;
    case WM_APP_SAVED:
        (void)TakeObject<WM_APP_SAVED>(msg.wParam);
        return true;
    default:
        return false;
    }
}
