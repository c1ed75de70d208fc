#include "viewer/TopicMenu.h"

#include "viewer/FrameCommands.h"

#include "resource.h"

#include <iterator>

namespace viewer {
namespace {

constexpr UINT kBrowserMenuResource = 24641;

constexpr HHMenuRow Row(UINT command, UINT text) {
    return {command, text, 0, nullptr, 0};
}
constexpr HHMenuRow BrowserRow(UINT command) {
    return {command, 0, kBrowserTextRow, nullptr, 0};
}
constexpr HHMenuRow kSeparator{0, 0, 0, nullptr, 0};
template <size_t N> constexpr HHMenuRow Sub(UINT text, const HHMenuRow (&rows)[N]) {
    return {0, text, 0, rows, N};
}

constexpr HHMenuRow kDocumentRows[] = {
    Row(ID_FILE_OPEN, IDS_TOPIC_MENU_OPEN),
    Row(ID_URL_OPEN, IDS_TOPIC_MENU_URL_OPEN),
    Row(ID_FILE_SAVE, IDS_TOPIC_MENU_SAVE),
    Row(ID_FILE_CLOSE, IDS_TOPIC_MENU_CLOSE),
};
constexpr HHMenuRow kSubWindowRows[] = {
    Row(ID_VIEW_PROPERTY, IDS_TOPIC_MENU_PROPERTY),
    Row(ID_VIEW_HISTORY, IDS_TOPIC_MENU_HISTORY),
    Row(ID_VIEW_LIBRARY, IDS_TOPIC_MENU_LIBRARY),
    Row(ID_VIEW_SHORTKEY, IDS_TOPIC_MENU_SHORTKEY),
    kSeparator,
    Row(ID_SUBWINDOW_RESET, IDS_TOPIC_MENU_RESET),
};
constexpr HHMenuRow kFontSizeRows[] = {
    Row(2145, IDS_TOPIC_MENU_FONT_LARGEST),  Row(2144, IDS_TOPIC_MENU_FONT_LARGE),
    Row(2143, IDS_TOPIC_MENU_FONT_MEDIUM),   Row(2142, IDS_TOPIC_MENU_FONT_SMALL),
    Row(2141, IDS_TOPIC_MENU_FONT_SMALLEST),
};
constexpr HHMenuRow kPageRows[] = {
    Sub(IDS_TOPIC_MENU_DOCUMENT, kDocumentRows),
    Sub(IDS_TOPIC_MENU_SUBWINDOW, kSubWindowRows),
    Row(kNaviToggle, IDS_TOPIC_MENU_NAVIGATION),
    Row(ID_SHOW_FULL, IDS_TOPIC_MENU_FULL_SCREEN),
    kSeparator,
    Row(ID_OPEN_NEW_WINDOW, IDS_TOPIC_MENU_NEW_WINDOW),
    Row(kBrowserZoomDialog, IDS_TOPIC_MENU_ZOOM),
    Sub(IDS_TOPIC_MENU_FONT_SIZE, kFontSizeRows),
    kSeparator,
    Row(kBrowserFind, IDS_TOPIC_MENU_FIND),
    Row(kBrowserPrint, IDS_TOPIC_MENU_PRINT),
    BrowserRow(2139),
    kSeparator,
    BrowserRow(kTopicProperties),
    Row(ID_SETTING_TOPIC, IDS_TOPIC_MENU_SETTING),
};
constexpr HHMenuRow kOpenAsDocumentRows[] = {
    Row(kTopicLinkOpen, IDS_TOPIC_MENU_LINK_OPEN),
    Row(kTopicLinkNewWindow, IDS_TOPIC_MENU_LINK_NEW_WINDOW),
    Row(kTopicLinkConfirm, IDS_TOPIC_MENU_LINK_CONFIRM),
};
constexpr HHMenuRow kImageRows[] = {
    Row(2137, IDS_TOPIC_MENU_BROWSER_OPEN),
    Sub(IDS_TOPIC_MENU_OPEN_AS_DOC, kOpenAsDocumentRows),
    kSeparator,
    BrowserRow(2262),
    kSeparator,
    BrowserRow(kTopicProperties),
};
constexpr HHMenuRow kControlRows[] = {
    BrowserRow(43), kSeparator,     BrowserRow(16), BrowserRow(15),
    BrowserRow(26), BrowserRow(17), kSeparator,     BrowserRow(31),
};
constexpr HHMenuRow kSelectionRows[] = {
    BrowserRow(15),
    kSeparator,
    Row(kBrowserPrint, IDS_TOPIC_MENU_PRINT),
};
constexpr HHMenuRow kLinkRows[] = {
    Row(2137, IDS_TOPIC_MENU_BROWSER_OPEN),
    Sub(IDS_TOPIC_MENU_OPEN_AS_DOC, kOpenAsDocumentRows),
    kSeparator,
    BrowserRow(15),
    BrowserRow(2262),
    kSeparator,
    BrowserRow(kTopicProperties),
};

void SetState(HMENU menu, UINT command, bool enabled, bool checked) {
    ::EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    ::CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

TopicMenuChoice ChooseTopicMenu(int context) {
    if (context == static_cast<int>(TopicMenuContext::VerticalScroll) ||
        context == static_cast<int>(TopicMenuContext::HorizontalScroll)) {
        return TopicMenuChoice::Browser;
    }
    return TopicMenuRows(context).empty() ? TopicMenuChoice::None : TopicMenuChoice::Program;
}

std::span<const HHMenuRow> TopicMenuRows(int context) {
    switch (static_cast<TopicMenuContext>(context)) {
    case TopicMenuContext::Page:
        return kPageRows;
    case TopicMenuContext::Image:
        return kImageRows;
    case TopicMenuContext::Control:
        return kControlRows;
    case TopicMenuContext::Selection:
        return kSelectionRows;
    case TopicMenuContext::Link:
        return kLinkRows;
    default:
        return {};
    }
}

bool BuildTopicMenu(CHHMenu& menu, int context, const CHHMenu::BrowserTexts& browserTexts) {
    const std::span<const HHMenuRow> rows = TopicMenuRows(context);
    return !rows.empty() && menu.Build(rows.data(), rows.size(), browserTexts);
}

CBrowserMenuTexts::CBrowserMenuTexts() {
    for (const wchar_t* library : {L"shdoclc.dll", L"ieframe.dll"}) {
        m_module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (m_module) {
            m_menu = ::LoadMenuW(m_module, MAKEINTRESOURCEW(kBrowserMenuResource));
            break;
        }
    }
}

CBrowserMenuTexts::~CBrowserMenuTexts() {
    if (m_menu) {
        ::DestroyMenu(m_menu);
    }
    if (m_module) {
        ::FreeLibrary(m_module);
    }
}

std::optional<std::wstring> CBrowserMenuTexts::Text(int context, UINT command) const {
    const HMENU sub = m_menu ? ::GetSubMenu(m_menu, context) : nullptr;
    if (!sub) {
        return std::nullopt;
    }
    const int length = ::GetMenuStringW(sub, command, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetMenuStringW(sub, command, text.data(), length + 1, MF_BYCOMMAND);
    text.resize(static_cast<size_t>(length));
    return text;
}

void ApplyTopicMenuState(HMENU menu, const TopicMenuState& state) {
    for (UINT command = kTopicFontSmallest; command <= kTopicFontLargest; ++command) {
        ::CheckMenuItem(menu, command, MF_BYCOMMAND | MF_UNCHECKED);
    }
    if (state.textSize && *state.textSize >= 0 && *state.textSize <= 4) {
        ::CheckMenuItem(menu, kTopicFontSmallest + static_cast<UINT>(*state.textSize), MF_BYCOMMAND | MF_CHECKED);
    }
    for (const UINT command : {kTopicLinkOpen, kTopicLinkNewWindow, kTopicLinkConfirm}) {
        ::EnableMenuItem(menu, command, MF_BYCOMMAND | (state.linkOpenable ? MF_ENABLED : MF_GRAYED));
    }
    SetState(menu, kNaviToggle, state.naviExists, state.naviExists && state.naviVisible);
}

} // namespace viewer
