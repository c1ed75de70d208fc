#pragma once
// A reference to a document that can be opened later: the start-up document of the settings, history and
// library entries, and the open requests of the tool windows and the topic view.

#include "transfer/Download.h"
#include "transfer/TopicPath.h"

#include <string>

struct DocRef {
    enum class Kind { None = 0, File = 1, Url = 2 };

    Kind kind = Kind::None;
    // May be relative to the execution directory.
    std::wstring path;
    transfer::CUrlConn url;
    transfer::CTopicStr topic;
};

// Bits of WM_APP_OPEN_REQUEST's lParam.
constexpr LPARAM kOpenConfirm = 0x01;
constexpr LPARAM kOpenNewWindow = 0x02;
