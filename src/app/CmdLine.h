#pragma once
// The command line: the one document (file or URL) a process opens at start-up with its topic and connection
// options, and the text that asks a new process of this program to open one. It is the only channel between
// instances, so building and parsing must agree for every text.

#include "transfer/Download.h"
#include "transfer/TopicPath.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One parsed or to-be-built command line.
class CCmdLine {
public:
    // What the command line names.
    static constexpr int32_t kNotParsed = 0;
    static constexpr int32_t kNoDocument = 1;
    static constexpr int32_t kPath = 2;
    static constexpr int32_t kUrl = 3;

    // Option texts; an argument is an option when it begins with the text (case-sensitive).
    static constexpr std::wstring_view kOptLogin = L"/login";
    static constexpr std::wstring_view kOptUser = L"/user:";
    static constexpr std::wstring_view kOptPass = L"/pass:";
    static constexpr std::wstring_view kOptCache = L"/cache";
    static constexpr std::wstring_view kOptPasv = L"/pasv";
    static constexpr std::wstring_view kOptTopic = L"/topic:";

    // The process's own command line; false with GetError() telling why.
    [[nodiscard]] bool Parse();
    // An argument vector whose first entry is the program.
    [[nodiscard]] bool Parse(const std::vector<std::wstring>& argv);
    // A whole command line, program first, split as the platform splits a process's command line.
    [[nodiscard]] bool Parse(std::wstring_view commandLine);

    // The arguments for a new process (without the program); false for a path or URL kind with nothing to open.
    [[nodiscard]] bool Build(std::wstring& out) const;

    void Clear();

    [[nodiscard]] int32_t GetKind() const noexcept { return m_kind; }
    [[nodiscard]] const std::wstring& GetPath() const noexcept { return m_path; }
    [[nodiscard]] const transfer::CUrlConn& GetUrl() const noexcept { return m_url; }
    [[nodiscard]] const transfer::CTopicStr& GetTopic() const noexcept { return m_topic; }
    [[nodiscard]] const std::wstring& GetError() const noexcept { return m_error; }
    // The failure was an address that is not well formed.
    [[nodiscard]] bool IsBadUrl() const noexcept { return m_badUrl; }

    void SetKind(int32_t kind) noexcept { m_kind = kind; }
    void SetPath(std::wstring_view path) { m_path = path; }
    void SetUrl(const transfer::CUrlConn& url) { m_url = url; }
    void SetTopic(const transfer::CTopicStr& topic) { m_topic = topic; }

private:
    [[nodiscard]] bool ParseUrl(const std::vector<std::wstring>& argv);

    int32_t m_kind = kNotParsed;
    std::wstring m_path;
    transfer::CUrlConn m_url;
    transfer::CTopicStr m_topic;
    std::wstring m_error;
    bool m_badUrl = false;
};

// One argument quoted so that the platform's splitting gives back exactly `argument`: always enclosed in double
// quotes (so empty and blank texts survive), embedded quotes escaped as \", and the backslashes that precede a
// quote, the closing one included, doubled.
std::wstring QuoteArgument(std::wstring_view argument);

// Starts this executable again with `arguments` and brings the new process's main window to the front.
// False when the process could not be started, showed no window within ten seconds, or could not be raised
// (the process then keeps running).
[[nodiscard]] bool LaunchNewWindow(const std::wstring& arguments);
// The same for the program at `program`.
[[nodiscard]] bool LaunchProgramWindow(std::wstring_view program, const std::wstring& arguments);
