#pragma once
// The numbers that route commands inside the help viewer: the help control's own frame commands, the
// commands the wrappers add to its frame, and the commands the wrappers send to the topic browser.

#include <windows.h>

namespace viewer {

// The help control's frame commands.
constexpr UINT kFrameShowNavigation = 200;
constexpr UINT kFrameHideNavigation = 201;
constexpr UINT kFrameRefresh = 203;
constexpr UINT kFrameBack = 204;
constexpr UINT kFrameHome = 205;
constexpr UINT kFrameSyncContents = 206;
constexpr UINT kFramePrint = 207;
constexpr UINT kFrameOptions = 208;
constexpr UINT kFrameForward = 209;
constexpr UINT kFrameInternal252 = 252;
constexpr UINT kFramePrintTopic = 253;
constexpr UINT kFrameFontSize = 222;
constexpr UINT kFrameNextTopic = 223;
constexpr UINT kFramePreviousTopic = 224;
constexpr UINT kFrameSwitchPaneFocus = 6023;
constexpr UINT kFrameContentsPage = 0x9000;
constexpr UINT kFrameIndexPage = 0x9001;
constexpr UINT kFrameSearchPage = 0x9002;
constexpr UINT kFrameFavoritesPage = 0x9003;
constexpr UINT kFrameInternalEFFE = 0xEFFE;
constexpr UINT kFrameInternalEFFF = 0xEFFF;

// The commands the program adds to the viewer frame.
constexpr UINT kNaviToggle = 0xD001;
constexpr UINT kNaviTabPrevious = 0xD002;
constexpr UINT kNaviTabNext = 0xD003;
constexpr UINT kNaviContentsTab = 0xD004; // then index, search and favourites: 0xD005 to 0xD007
constexpr UINT kNaviFavoritesTab = 0xD007;
constexpr UINT kNaviTreeFirst = 0xD008; // then last, previous and next: 0xD009 to 0xD00B
constexpr UINT kNaviTreeNext = 0xD00B;
constexpr UINT kTopicZoomDialog = 0xD00C;
constexpr UINT kTopicZoomIn = 0xD00D;
constexpr UINT kTopicZoomOut = 0xD00E;
constexpr UINT kTopicFind = 0xD00F;

// The commands the topic browser's wrapper takes.
constexpr UINT kBrowserPrint = 27;
constexpr UINT kBrowserFind = 67;
constexpr UINT kBrowserFontSizeCycle = 0xD201;
constexpr UINT kBrowserZoomDialog = 0xD202;
constexpr UINT kBrowserZoomIn = 0xD203;
constexpr UINT kBrowserZoomOut = 0xD204;

// The frame message through which the help control handles its buttons' mnemonics.
constexpr UINT kFrameMnemonicMessage = 0x688;
// The navigation pane's control whose right click the frame would answer with its own menu.
constexpr UINT kFrameNaviControlId = 1006;

} // namespace viewer
