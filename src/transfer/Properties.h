#pragma once
// The records the document view keeps for the shown document: the document itself, its file, and the topic
// shown. The property window, the history and the library read them.

#include "transfer/Download.h"
#include "transfer/TopicPath.h"
#include "transfer/UrlStr.h"

#include <cstdint>
#include <string>

namespace transfer {

class CPropDoc {
public:
    enum class Kind { None = 0, Local = 1, Url = 2 };

    std::wstring title;
    std::wstring filePath;
    CUrlConn connection;
    CTopicStr topic;
    // Seconds since 1970 UTC; 0 when unset.
    int64_t opened = 0;
    std::wstring note;

    [[nodiscard]] Kind GetKind() const;
    // The last component of the file path or of the address; empty for neither.
    [[nodiscard]] std::wstring GetFileName() const;
};

class CPropFile {
public:
    uint32_t attributes = 0;
    // Seconds since 1970 UTC; 0 when unset.
    int64_t creationTime = 0;
    int64_t lastWriteTime = 0;
    int64_t lastAccessTime = 0;
    uint64_t size = 0;

    // The times, attributes and size of a file on disk; false when it cannot be read.
    [[nodiscard]] bool ReadFrom(const std::wstring& path);
    void SetFrom(const FileInformation& information) noexcept;
};

class CPropTopic {
public:
    CTopicStr topic;
    CUrlStr address;
    std::wstring title;
    std::wstring charset;
    // 0 unknown, 1 compatibility ("backcompat"), 2 standards ("css1compat").
    uint32_t mode = 0;
    std::wstring activeTag;
};

} // namespace transfer
