#pragma once
// The main frame's private messages, and the one typed way to post and take the object a message carries.

#include "app/DocRef.h"
#include "transfer/FileObjects.h"
#include "transfer/Jobs.h"

#include <windows.h>

#include <memory>

constexpr UINT WM_APP_CMDLINE = WM_APP + 1;
constexpr UINT WM_APP_ABORT = WM_APP + 2;
constexpr UINT WM_APP_DOC_READY = WM_APP + 3;
constexpr UINT WM_APP_DOWNLOADED = WM_APP + 4;
constexpr UINT WM_APP_LOGIN = WM_APP + 5;
constexpr UINT WM_APP_OPEN_REQUEST = WM_APP + 6;
constexpr UINT WM_APP_RELOAD = WM_APP + 7;
constexpr UINT WM_APP_WATCH_ERROR = WM_APP + 8;
constexpr UINT WM_APP_SAVED = WM_APP + 9;
// Runs the next piece of work that had to wait (see CDeferredWork).
constexpr UINT WM_APP_RUN_DEFERRED = WM_APP + 10;
// A tool window was enabled or disabled (tools::CDlgTool::kOwnerEnableNotify; wParam: enabled, lParam: it).
constexpr UINT WM_APP_TOOL_ENABLE = WM_APP + 11;
// The settings changed in a way the frame's own layout follows (full screen's tool bar).
constexpr UINT WM_APP_SETTINGS = WM_APP + 12;
// Gives the focus back to the window in wParam once a modal dialog has gone.
constexpr UINT WM_APP_RESTORE_FOCUS = WM_APP + 13;
// Puts the shown tool windows back above the frame once its activation has finished.
constexpr UINT WM_APP_RAISE_TOOLS = WM_APP + 14;
// The document view asks for the shown topic's properties.
constexpr UINT WM_APP_TOPIC_PROPERTIES = WM_APP + 15;

// Bits of WM_APP_RELOAD: the stores whose files are reloaded.
constexpr DWORD kReloadSettings = 0x01;
constexpr DWORD kReloadHistory = 0x02;
constexpr DWORD kReloadLibrary = 0x04;
constexpr DWORD kReloadShortkeys = 0x08;
constexpr DWORD kReloadUrls = 0x10;
constexpr DWORD kReloadAll = 0x1F;

// The object a private message owns in its wParam. Whoever takes the message owns the object; a message
// nobody takes (the window is gone) must be taken and dropped so the object is freed.
template <UINT Message> struct MessageObject;
template <> struct MessageObject<WM_APP_DOC_READY> {
    using Type = transfer::CFileHandle;
};
template <> struct MessageObject<WM_APP_DOWNLOADED> {
    using Type = transfer::CComm;
};
template <> struct MessageObject<WM_APP_LOGIN> {
    using Type = transfer::CComm;
};
template <> struct MessageObject<WM_APP_OPEN_REQUEST> {
    using Type = DocRef;
};
template <> struct MessageObject<WM_APP_SAVED> {
    using Type = transfer::CFileOpe;
};
template <UINT Message> using MessageObjectT = typename MessageObject<Message>::Type;

// Posts the object; on failure it is destroyed here and the result is false.
template <UINT Message>
bool PostObject(HWND window, std::unique_ptr<MessageObjectT<Message>> object, LPARAM lp = 0) {
    if (!::PostMessageW(window, Message, reinterpret_cast<WPARAM>(object.get()), lp)) {
        return false;
    }
    (void)object.release();
    return true;
}

template <UINT Message> std::unique_ptr<MessageObjectT<Message>> TakeObject(WPARAM wp) {
    return std::unique_ptr<MessageObjectT<Message>>(reinterpret_cast<MessageObjectT<Message>*>(wp));
}

// Frees the object of a message that will never be handled; false for a message that carries none.
bool DropMessageObject(const MSG& msg);
