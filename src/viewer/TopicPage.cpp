#include "viewer/TopicPage.h"

#include <cwctype>

namespace viewer {

namespace {

// A broken page could hand out a cycle of parents; no real page nests this deep.
constexpr int kMaxDepth = 4096;

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

RenderMode ClassifyCompatMode(std::wstring_view compatMode) {
    if (EqualsIgnoringCase(compatMode, L"backcompat")) {
        return RenderMode::Quirks;
    }
    if (EqualsIgnoringCase(compatMode, L"css1compat")) {
        return RenderMode::Standards;
    }
    return RenderMode::Unknown;
}

std::unique_ptr<IPageElement> ScrollingElement(const ITopicPage& page) {
    switch (ClassifyCompatMode(page.CompatMode())) {
    case RenderMode::Quirks:
        return page.Body();
    case RenderMode::Standards:
        return page.RootElement();
    case RenderMode::Unknown:
        break;
    }
    return nullptr;
}

bool ScrollPageToTop(ITopicPage& page) {
    const auto element = ScrollingElement(page);
    return element && element->SetScrollTop(0);
}

bool ScrollPageToBottom(ITopicPage& page) {
    const auto element = ScrollingElement(page);
    ScrollState state;
    if (!element || !element->ReadScroll(state)) {
        return false;
    }
    const long top = state.scrollHeight - state.clientHeight;
    return top >= 0 && element->SetScrollTop(top);
}

std::wstring DescribeElement(const IPageElement& element) {
    std::wstring text = L"<" + element.TagName();
    for (const wchar_t* name : {L"name", L"id", L"href"}) {
        const std::wstring value = element.Attribute(name);
        if (!value.empty()) {
            text.append(L" ").append(name).append(L"=\"").append(value).append(L"\"");
        }
    }
    return text + L" />";
}

std::wstring FindLinkAddress(const IPageElement& element) {
    std::unique_ptr<IPageElement> held;
    const IPageElement* current = &element;
    for (int depth = 0; current && depth < kMaxDepth; ++depth) {
        const std::wstring tag = current->TagName();
        if (EqualsIgnoringCase(tag, L"a") || EqualsIgnoringCase(tag, L"area")) {
            std::wstring href = current->Attribute(L"href");
            if (!href.empty()) {
                return href;
            }
        }
        auto parent = current->Parent();
        held = std::move(parent);
        current = held.get();
    }
    return {};
}

} // namespace viewer
