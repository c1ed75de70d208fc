#pragma once
// Topic paths: the text form in which the help control and the browser address a page inside a compiled help
// document ("mk:@MSITStore:C:\doc\a.chm::/html/intro.htm>main"), taken apart and put together.

#include <string>
#include <string_view>

namespace transfer {

inline constexpr std::wstring_view kTopicPrefixStore = L"mk:@MSITStore:";
inline constexpr std::wstring_view kTopicPrefixIts = L"ms-its:";
inline constexpr std::wstring_view kTopicSeparator = L"::";
inline constexpr std::wstring_view kWindowSeparator = L">";

// The document path of a topic path, trimmed; with prefixless the text is taken to carry no prefix.
std::wstring ExtractDocPath(std::wstring_view text, bool prefixless);

// The topic after "::" up to any window name, trimmed; empty when the text names no topic.
std::wstring ExtractTopic(std::wstring_view text);

// "doc::topic > window", each optional part only when asked for and not empty; empty without a document path.
std::wstring MakeTopicPath(std::wstring_view docPath, std::wstring_view topic, std::wstring_view window, bool withTopic,
                           bool withWindow);

// One topic inside a document (the part after "::"), as the command line, history and viewer pass it around.
class CTopicStr {
public:
    CTopicStr() = default;
    // A null text gives an empty topic. With parse, a topic path gives its topic; a text that names none
    // (such as a bare "/b.htm") is taken whole.
    CTopicStr(const wchar_t* text, bool parse);
    CTopicStr(std::wstring_view text, bool parse);
    CTopicStr(const CTopicStr&) = default;
    CTopicStr& operator=(const CTopicStr&) = default;
    CTopicStr(CTopicStr&&) noexcept = default;
    CTopicStr& operator=(CTopicStr&&) noexcept = default;
    virtual ~CTopicStr() = default;

    void Clear() noexcept { m_text.clear(); }
    [[nodiscard]] const std::wstring& Text() const noexcept { return m_text; }
    [[nodiscard]] bool IsEmpty() const noexcept { return m_text.empty(); }

private:
    std::wstring m_text;
};

} // namespace transfer
