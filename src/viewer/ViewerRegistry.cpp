#include "viewer/ViewerRegistry.h"

#include "resource.h"

#include <map>

namespace viewer {
namespace {

struct Registries {
    std::map<int, HWND> windows;
    std::map<HWND, win::CMessageFilter*> filters;
    bool toolbarCollapsed = false;
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
            {ID_NAVI_SHOW, 0xD001},      {ID_NAVI_TAB_PREV, 0xD002}, {ID_NAVI_TAB_NEXT, 0xD003},
            {ID_NAVI_TOC, 0xD004},       {ID_NAVI_INDEX, 0xD005},    {ID_NAVI_SEARCH, 0xD006},
            {ID_NAVI_FAVOR, 0xD007},     {ID_NAVI_TOC_TOP, 0xD008},  {ID_NAVI_TOC_END, 0xD009},
            {ID_NAVI_TOC_PREV, 0xD00A},  {ID_NAVI_TOC_NEXT, 0xD00B}, {ID_TOPIC_BACK, 204},
            {ID_TOPIC_FORWARD, 209},     {ID_TOPIC_HOME, 205},       {ID_TOPIC_REFRESH, 203},
            {ID_TOPIC_FONT_SIZE, 222},   {ID_TOPIC_ZOOM, 0xD00C},    {ID_TOPIC_ZOOM_IN, 0xD00D},
            {ID_TOPIC_ZOOM_OUT, 0xD00E}, {ID_TOPIC_FIND, 0xD00F},    {ID_TOPIC_PRINT, 207},
            {ID_DOC_OPTIONS, 208},       {ID_DOC_FOCUS, 6023},
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

} // namespace viewer
