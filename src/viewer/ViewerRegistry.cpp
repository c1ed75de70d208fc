#include "viewer/ViewerRegistry.h"

#include "viewer/FrameCommands.h"

#include "resource.h"

#include <map>

namespace viewer {
namespace {

struct Registries {
    std::map<int, HWND> windows;
    std::map<HWND, win::CMessageFilter*> filters;
    bool toolbarCollapsed = false;
    bool documentFromUrl = false;
};

Registries& State() {
    static Registries state;
    return state;
}

HWND LiveWindow(Slot slot) {
    const HWND window = FindViewerWindow(slot);
    return window && ::IsWindow(window) ? window : nullptr;
}

} // namespace

bool RegisterViewerWindow(Slot slot, HWND window) {
    if (!window || !::IsWindow(window)) {
        return false;
    }
    // A window that died without its destruction messages (a failed creation) does not block its slot.
    HWND& holder = State().windows[static_cast<int>(slot)];
    if (holder && holder != window && ::IsWindow(holder)) {
        return false;
    }
    holder = window;
    return true;
}

void UnregisterViewerWindow(Slot slot, HWND window) {
    auto& windows = State().windows;
    const auto found = windows.find(static_cast<int>(slot));
    if (found != windows.end() && (!window || found->second == window)) {
        windows.erase(found);
    }
}

HWND FindViewerWindow(Slot slot) {
    const auto& windows = State().windows;
    const auto found = windows.find(static_cast<int>(slot));
    return found == windows.end() ? nullptr : found->second;
}

LRESULT PostToViewerWindow(Slot slot, UINT msg, WPARAM wp, LPARAM lp) {
    const HWND window = LiveWindow(slot);
    return window ? ::PostMessageW(window, msg, wp, lp) : 0;
}

LRESULT SendToViewerWindow(Slot slot, UINT msg, WPARAM wp, LPARAM lp) {
    const HWND window = LiveWindow(slot);
    return window ? ::SendMessageW(window, msg, wp, lp) : 0;
}

void RegisterViewerFilter(HWND window, win::CMessageFilter* filter) {
    if (window && filter) {
        State().filters[window] = filter;
    }
}

void UnregisterViewerFilter(HWND window) {
    State().filters.erase(window);
}

void ClearViewerFilters() {
    State().filters.clear();
}

bool TranslateViewerKeys(MSG& msg) {
    // A filter may unregister itself while it runs: walk a copy.
    const auto filters = State().filters;
    for (const auto& [window, filter] : filters) {
        if (State().filters.count(window) && filter->PreTranslateMessage(msg)) {
            return true;
        }
    }
    return false;
}

UINT TranslateCommand(UINT id) {
    struct Row {
        UINT command;
        UINT frameCommand;
    };
    // The help control's own frame commands where it has one, the wrappers' commands (0xD0xx) otherwise.
    static const std::map<UINT, UINT> table = [] {
        const Row rows[] = {
            {ID_NAVI_SHOW, kNaviToggle},
            {ID_NAVI_TAB_PREV, kNaviTabPrevious},
            {ID_NAVI_TAB_NEXT, kNaviTabNext},
            {ID_NAVI_TOC, kNaviContentsTab},
            {ID_NAVI_INDEX, kNaviContentsTab + 1},
            {ID_NAVI_SEARCH, kNaviContentsTab + 2},
            {ID_NAVI_FAVOR, kNaviFavoritesTab},
            {ID_NAVI_TOC_TOP, kNaviTreeFirst},
            {ID_NAVI_TOC_END, kNaviTreeFirst + 1},
            {ID_NAVI_TOC_PREV, kNaviTreeFirst + 2},
            {ID_NAVI_TOC_NEXT, kNaviTreeNext},
            {ID_TOPIC_BACK, kFrameBack},
            {ID_TOPIC_FORWARD, kFrameForward},
            {ID_TOPIC_HOME, kFrameHome},
            {ID_TOPIC_REFRESH, kFrameRefresh},
            {ID_TOPIC_FONT_SIZE, kFrameFontSize},
            {ID_TOPIC_ZOOM, kTopicZoomDialog},
            {ID_TOPIC_ZOOM_IN, kTopicZoomIn},
            {ID_TOPIC_ZOOM_OUT, kTopicZoomOut},
            {ID_TOPIC_FIND, kTopicFind},
            {ID_TOPIC_PRINT, kFramePrint},
            {ID_DOC_OPTIONS, kFrameOptions},
            {ID_DOC_FOCUS, kFrameSwitchPaneFocus},
        };
        std::map<UINT, UINT> map;
        for (const Row& row : rows) {
            map.emplace(row.command, row.frameCommand);
        }
        return map;
    }();
    const auto found = table.find(id);
    return found == table.end() ? 0 : found->second;
}

void SetToolbarCollapsed(bool collapsed) noexcept {
    State().toolbarCollapsed = collapsed;
}

bool IsToolbarCollapsed() noexcept {
    return State().toolbarCollapsed;
}

void SetDocumentFromUrl(bool fromUrl) noexcept {
    State().documentFromUrl = fromUrl;
}

bool IsDocumentFromUrl() noexcept {
    return State().documentFromUrl;
}

} // namespace viewer
