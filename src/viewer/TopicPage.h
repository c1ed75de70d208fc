#pragma once
// What the topic view reads from and does to the page it shows, as plain interfaces: the browser binding
// implements them over the document objects, and every decision built on them stays testable without a
// browser. The helpers here are the page's scroll rules and the texts the view takes from its elements.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace viewer {

// The scroll position of one element, in pixels.
struct ScrollState {
    long top = 0;
    long clientHeight = 0;
    long scrollHeight = 0;
};

// One element of the page; parents come as new objects, so a binding can hand out its own references.
class IPageElement {
public:
    virtual ~IPageElement() = default;

    // As the page gives it ("A", "BODY").
    [[nodiscard]] virtual std::wstring TagName() const = 0;
    // Empty when the element lacks the attribute.
    [[nodiscard]] virtual std::wstring Attribute(std::wstring_view name) const = 0;
    // Null at the top of the page.
    [[nodiscard]] virtual std::unique_ptr<IPageElement> Parent() const = 0;
    // A frame: the document inside scrolls on its own.
    [[nodiscard]] virtual bool HostsDocument() const = 0;
    [[nodiscard]] virtual bool ReadScroll(ScrollState& state) const = 0;
    virtual bool SetScrollTop(long top) = 0;
};

// The shown document and its browser. Every call may fail: the page is gone, or the browser refuses.
class ITopicPage {
public:
    // The document's compatMode text; empty when unknown.
    [[nodiscard]] virtual std::wstring CompatMode() const = 0;
    // Null when nothing is active.
    [[nodiscard]] virtual std::unique_ptr<IPageElement> ActiveElement() const = 0;
    [[nodiscard]] virtual std::unique_ptr<IPageElement> RootElement() const = 0;
    [[nodiscard]] virtual std::unique_ptr<IPageElement> Body() const = 0;
    // The optical zoom range as the browser packs it, minimum in the low and maximum in the high 16 bits;
    // false unless the browser answered with a 32-bit integer.
    [[nodiscard]] virtual bool ReadZoomRange(int32_t& packed) const = 0;
    // The optical zoom in percent.
    [[nodiscard]] virtual bool ReadZoom(long& percent) const = 0;
    virtual bool WriteZoom(long percent) = 0;
    // The text size level, 0 (smallest) to 4 (largest).
    [[nodiscard]] virtual bool ReadTextSize(long& level) const = 0;
    virtual bool WriteTextSize(long level) = 0;

protected:
    ~ITopicPage() = default;
};

// How the document lays itself out, from its compatMode; the values are the ones the topic record shows.
enum class RenderMode : int {
    Unknown = 0,
    Quirks = 1,
    Standards = 2,
};

[[nodiscard]] RenderMode ClassifyCompatMode(std::wstring_view compatMode);

// The element whose scroll position is the page's: the body in quirks mode, the root element in standards
// mode, none otherwise.
[[nodiscard]] std::unique_ptr<IPageElement> ScrollingElement(const ITopicPage& page);

bool ScrollPageToTop(ITopicPage& page);
// Does nothing when the page is shorter than its window.
bool ScrollPageToBottom(ITopicPage& page);

// The active element as the topic record shows it: `<TAG name="…" id="…" href="…" />`, leaving out empty
// attributes.
[[nodiscard]] std::wstring DescribeElement(const IPageElement& element);

// The address of the link an element belongs to: the element itself or its nearest A or AREA ancestor with an
// href. Empty when there is none.
[[nodiscard]] std::wstring FindLinkAddress(const IPageElement& element);

} // namespace viewer
