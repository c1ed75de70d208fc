#pragma once
// The main frame's private messages.

#include <windows.h>

constexpr UINT WM_APP_CMDLINE = WM_APP + 1;
constexpr UINT WM_APP_ABORT = WM_APP + 2;
constexpr UINT WM_APP_DOC_READY = WM_APP + 3;
constexpr UINT WM_APP_DOWNLOADED = WM_APP + 4;
constexpr UINT WM_APP_LOGIN = WM_APP + 5;
constexpr UINT WM_APP_OPEN_REQUEST = WM_APP + 6;
constexpr UINT WM_APP_RELOAD = WM_APP + 7;
constexpr UINT WM_APP_WATCH_ERROR = WM_APP + 8;
constexpr UINT WM_APP_SAVED = WM_APP + 9;

// Bits of WM_APP_RELOAD: the stores whose files are reloaded.
constexpr DWORD kReloadSettings = 0x01;
constexpr DWORD kReloadHistory = 0x02;
constexpr DWORD kReloadLibrary = 0x04;
constexpr DWORD kReloadShortkeys = 0x08;
constexpr DWORD kReloadUrls = 0x10;
constexpr DWORD kReloadAll = 0x1F;
