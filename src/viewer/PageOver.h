#pragma once
// Page-over: scrolling on past the top or bottom of a topic opens the previous or next entry of the contents.
// A press counts only at the page's edge; after the settings' repeat count of presses, each within 600 ms of
// the one before, the view moves, and for 300 ms after a move further presses are swallowed so that a held
// key does not race through the topics.

#include "data/DataSetting.h"
#include "viewer/NaviPages.h"
#include "viewer/TopicPage.h"

#include <windows.h>

#include <cstdint>
#include <optional>

namespace viewer {

// Milliseconds from an arbitrary start; tests drive their own.
class IClock {
public:
    [[nodiscard]] virtual uint64_t NowMs() const = 0;

protected:
    ~IClock() = default;
};

class CTickClock final : public IClock {
public:
    [[nodiscard]] uint64_t NowMs() const override;
};

// What page-over needs of the viewer around the page.
class ITopicNavigator {
public:
    [[nodiscard]] virtual bool HasContentsTree() const = 0;
    // The kind of the selected navigation page while the tab control is visible; empty while it is hidden.
    [[nodiscard]] virtual std::optional<NaviPageKind> ShownNaviPage() const = 0;
    // Opens the next entry of the contents, or the previous one shown scrolled to its bottom.
    virtual void Navigate(bool forward) = 0;

protected:
    ~ITopicNavigator() = default;
};

enum class PageDirection { Backward, Forward };

// The browser events that start and end a top-level navigation.
enum class BrowserEvent { BeforeNavigate, DocumentComplete, NavigateError, DownloadComplete };

// Empty for the browser's other events.
[[nodiscard]] std::optional<BrowserEvent> BrowserEventFromDispId(long dispId);

class CPageOver {
public:
    static constexpr uint64_t kCountResetMs = 600;
    static constexpr uint64_t kLockMs = 300;
    static constexpr int kWheelPress = WHEEL_DELTA;

    CPageOver(ITopicPage& page, ITopicNavigator& navigator, const IClock& clock) noexcept
        : m_page(page), m_navigator(navigator), m_clock(clock) {}

    // A newly bound page: not navigating, nothing counted, no lock.
    void Reset() noexcept;
    // Keys and the wheel are swallowed while a navigation runs; one that never completes (a download, a
    // mail link) ends with its error or download event instead.
    void OnBrowserEvent(BrowserEvent event) noexcept;
    [[nodiscard]] bool IsNavigating() const noexcept { return m_navigating; }

    // Page Up and Down, Up and Down arrows; true when page-over takes the key and the page must not see it.
    bool OnKeyDown(UINT virtualKey, const data::CDataSetHtmlView1& settings);
    // A positive delta goes backward. Touchpads send small deltas: one press per kWheelPress accumulated in
    // one direction. True when the browser must not scroll.
    bool OnWheel(int delta, const data::CDataSetHtmlView1& settings);
    // One press from any source; true when taken.
    bool Press(data::PageOverMethod source, PageDirection direction, const data::CDataSetHtmlView1& settings);

private:
    enum class Verdict { Pass, Swallow, Count };

    [[nodiscard]] Verdict Judge(data::PageOverMethod source, PageDirection direction,
                                const data::CDataSetHtmlView1& settings);
    [[nodiscard]] bool IsLocked(uint64_t now);
    // Whether the active element scrolls inside the page, so the keys belong to it.
    [[nodiscard]] bool InnerElementScrolls() const;
    [[nodiscard]] bool AtEdge(PageDirection direction) const;
    void Count(PageDirection direction, uint32_t repeat);

    ITopicPage& m_page;
    ITopicNavigator& m_navigator;
    const IClock& m_clock;
    bool m_navigating = false;
    uint32_t m_count = 0;
    PageDirection m_countDirection = PageDirection::Forward;
    uint64_t m_lastCount = 0;
    bool m_locked = false;
    uint64_t m_lockStart = 0;
    int m_wheelDelta = 0;
    uint64_t m_lastWheel = 0;
};

} // namespace viewer
