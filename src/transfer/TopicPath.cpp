#include "transfer/TopicPath.h"

#include "win/Strings.h"

#include <cwctype>

namespace transfer {

namespace {

bool StartsWithNoCaseAscii(std::wstring_view text, std::wstring_view prefix) noexcept {
    return text.size() >= prefix.size() && win::EqualsNoCaseAscii(text.substr(0, prefix.size()), prefix);
}

std::wstring Trim(std::wstring_view text) {
    auto isBlank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    size_t first = 0;
    while (first < text.size() && isBlank(text[first])) {
        ++first;
    }
    size_t last = text.size();
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return std::wstring(text.substr(first, last - first));
}

} // namespace

std::wstring ExtractDocPath(std::wstring_view text, bool prefixless) {
    size_t start = 0;
    if (!prefixless) {
        if (StartsWithNoCaseAscii(text, kTopicPrefixStore)) {
            start = kTopicPrefixStore.size();
        }
        if (StartsWithNoCaseAscii(text, kTopicPrefixIts)) {
            start = kTopicPrefixIts.size();
        }
    }
    // The end is exclusive here; the topic separator outranks the window separator.
    size_t end = text.size();
    if (const size_t window = text.find(kWindowSeparator); window != std::wstring_view::npos) {
        end = window;
    }
    if (const size_t separator = text.find(kTopicSeparator); separator != std::wstring_view::npos) {
        end = separator;
    }
    if (end <= start) {
        return {};
    }
    return Trim(text.substr(start, end - start));
}

std::wstring ExtractTopic(std::wstring_view text) {
    const size_t separator = text.find(kTopicSeparator);
    if (separator == std::wstring_view::npos) {
        return {};
    }
    const size_t start = separator + kTopicSeparator.size();
    size_t end = text.find(kWindowSeparator, start);
    if (end == std::wstring_view::npos) {
        end = text.size();
    }
    return Trim(text.substr(start, end - start));
}

std::wstring MakeTopicPath(std::wstring_view docPath, std::wstring_view topic, std::wstring_view window, bool withTopic,
                           bool withWindow) {
    if (docPath.empty()) {
        return {};
    }
    std::wstring path(docPath);
    if (withTopic && !topic.empty()) {
        path.append(kTopicSeparator).append(topic);
    }
    if (withWindow && !window.empty()) {
        path.append(L" ").append(kWindowSeparator).append(L" ").append(window);
    }
    return path;
}

CTopicStr::CTopicStr(const wchar_t* text, bool parse)
    : CTopicStr(text ? std::wstring_view(text) : std::wstring_view(), parse) {}

CTopicStr::CTopicStr(std::wstring_view text, bool parse) {
    if (parse) {
        m_text = ExtractTopic(text);
    }
    if (m_text.empty()) {
        m_text = text;
    }
}

} // namespace transfer
