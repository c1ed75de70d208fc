#include "viewer/PageOver.h"

#include <cwctype>
#include <cstdlib>

namespace viewer {

namespace {

// The browser's event dispatch ids.
constexpr long kDispIdBeforeNavigate2 = 250;
constexpr long kDispIdDocumentComplete = 259;
constexpr long kDispIdNavigateError = 271;
constexpr long kDispIdDownloadComplete = 104;

// A broken page could hand out a cycle of parents; no real page nests this deep.
constexpr int kMaxDepth = 4096;

bool IsPageLevel(const IPageElement& element) {
    std::wstring tag = element.TagName();
    for (wchar_t& c : tag) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return tag == L"HTML" || tag == L"BODY";
}

} // namespace

uint64_t CTickClock::NowMs() const {
    return ::GetTickCount64();
}

std::optional<BrowserEvent> BrowserEventFromDispId(long dispId) {
    switch (dispId) {
    case kDispIdBeforeNavigate2:
        return BrowserEvent::BeforeNavigate;
    case kDispIdDocumentComplete:
        return BrowserEvent::DocumentComplete;
    case kDispIdNavigateError:
        return BrowserEvent::NavigateError;
    case kDispIdDownloadComplete:
        return BrowserEvent::DownloadComplete;
    default:
        return std::nullopt;
    }
}

void CPageOver::Reset() noexcept {
    m_navigating = false;
    m_count = 0;
    m_locked = false;
    m_wheelDelta = 0;
}

void CPageOver::OnBrowserEvent(BrowserEvent event) noexcept {
    m_navigating = event == BrowserEvent::BeforeNavigate;
}

bool CPageOver::OnKeyDown(UINT virtualKey, const data::CDataSetHtmlView1& settings) {
    switch (virtualKey) {
    case VK_PRIOR:
        return Press(data::PageOverMethod::PageKey, PageDirection::Backward, settings);
    case VK_NEXT:
        return Press(data::PageOverMethod::PageKey, PageDirection::Forward, settings);
    case VK_UP:
        return Press(data::PageOverMethod::CursorKey, PageDirection::Backward, settings);
    case VK_DOWN:
        return Press(data::PageOverMethod::CursorKey, PageDirection::Forward, settings);
    default:
        return false;
    }
}

bool CPageOver::OnWheel(int delta, const data::CDataSetHtmlView1& settings) {
    if (delta == 0) {
        return false;
    }
    const PageDirection direction = delta > 0 ? PageDirection::Backward : PageDirection::Forward;
    const Verdict verdict = Judge(data::PageOverMethod::MouseWheel, direction, settings);
    if (verdict != Verdict::Count) {
        m_wheelDelta = 0;
        return verdict == Verdict::Swallow;
    }
    const uint64_t now = m_clock.NowMs();
    if ((m_wheelDelta > 0) != (delta > 0) || now - m_lastWheel >= kCountResetMs) {
        m_wheelDelta = 0;
    }
    m_lastWheel = now;
    m_wheelDelta += delta;
    const int press = delta > 0 ? kWheelPress : -kWheelPress;
    while (std::abs(m_wheelDelta) >= kWheelPress) {
        m_wheelDelta -= press;
        Count(direction, settings.Rule(data::PageOverMethod::MouseWheel).repeat);
        if (m_locked) {
            // The rest of a fast spin belongs to the topic that is leaving.
            m_wheelDelta = 0;
            break;
        }
    }
    return true;
}

bool CPageOver::Press(data::PageOverMethod source, PageDirection direction, const data::CDataSetHtmlView1& settings) {
    switch (Judge(source, direction, settings)) {
    case Verdict::Pass:
        return false;
    case Verdict::Swallow:
        return true;
    case Verdict::Count:
        break;
    }
    Count(direction, settings.Rule(source).repeat);
    return true;
}

CPageOver::Verdict CPageOver::Judge(data::PageOverMethod source, PageDirection direction,
                                    const data::CDataSetHtmlView1& settings) {
    if (!m_navigator.HasContentsTree()) {
        return Verdict::Pass;
    }
    if (m_navigating || IsLocked(m_clock.NowMs())) {
        return Verdict::Swallow;
    }
    if (InnerElementScrolls() || !AtEdge(direction) || !settings.Rule(source).enable) {
        return Verdict::Pass;
    }
    if (settings.noPageOverOffContents) {
        const auto shown = m_navigator.ShownNaviPage();
        if (shown && *shown != NaviPageKind::Contents) {
            return Verdict::Pass;
        }
    }
    return Verdict::Count;
}

bool CPageOver::IsLocked(uint64_t now) {
    if (m_locked && now - m_lockStart >= kLockMs) {
        m_locked = false;
    }
    return m_locked;
}

bool CPageOver::InnerElementScrolls() const {
    std::unique_ptr<IPageElement> element = m_page.ActiveElement();
    for (int depth = 0; element && depth < kMaxDepth; ++depth) {
        if (element->HostsDocument()) {
            return true;
        }
        ScrollState state;
        if (element->ReadScroll(state) && state.clientHeight > 0 && state.clientHeight < state.scrollHeight) {
            return !IsPageLevel(*element);
        }
        element = element->Parent();
    }
    return false;
}

bool CPageOver::AtEdge(PageDirection direction) const {
    const auto element = ScrollingElement(m_page);
    ScrollState state;
    if (!element || !element->ReadScroll(state)) {
        return false;
    }
    if (direction == PageDirection::Backward) {
        return state.top <= 0;
    }
    return state.top + state.clientHeight >= state.scrollHeight;
}

void CPageOver::Count(PageDirection direction, uint32_t repeat) {
    const uint64_t now = m_clock.NowMs();
    if (m_count > 0 && (direction != m_countDirection || now - m_lastCount >= kCountResetMs)) {
        m_count = 0;
    }
    if (m_count < repeat) {
        ++m_count;
        m_countDirection = direction;
        m_lastCount = now;
        return;
    }
    m_count = 0;
    m_locked = true;
    m_lockStart = now;
    m_navigator.Navigate(direction == PageDirection::Forward);
}

} // namespace viewer
