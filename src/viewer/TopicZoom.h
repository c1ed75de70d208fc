#pragma once
// The topic view's optical zoom and text size over the page's browser: the zoom moves in steps of 10 within
// the range the browser reports, and the text size cycles through the browser's five levels.

#include "viewer/TopicPage.h"

#include <optional>

namespace viewer {

struct ZoomRange {
    long minimum = 0;
    long maximum = 0;

    bool operator==(const ZoomRange&) const = default;
};

constexpr long kZoomStep = 10;
constexpr long kTextSizeLevels = 5;

// Minimum in the low, maximum in the high 16 bits; refused unless the maximum is above the minimum.
[[nodiscard]] std::optional<ZoomRange> DecodeZoomRange(int32_t packed);
// Clamped to the range; inside it, rounded toward zero to a multiple of the step, never below the minimum.
[[nodiscard]] long SnapZoom(long percent, const ZoomRange& range);

[[nodiscard]] std::optional<ZoomRange> ReadZoomRange(const ITopicPage& page);
// Empty when the browser does not tell or tells a negative value.
[[nodiscard]] std::optional<long> ReadZoom(const ITopicPage& page);
// Sets the value snapped to the range.
bool SetZoom(ITopicPage& page, long percent);
// One step up; down goes to the next lower multiple of the step (105 gives 100, 100 gives 90).
bool ZoomIn(ITopicPage& page);
bool ZoomOut(ITopicPage& page);

// Empty unless the browser tells a level from 0 to 4.
[[nodiscard]] std::optional<long> ReadTextSize(const ITopicPage& page);
// Refuses a level outside 0 to 4.
bool SetTextSize(ITopicPage& page, long level);
// The next larger level, the smallest after the largest.
bool CycleTextSize(ITopicPage& page);

} // namespace viewer
