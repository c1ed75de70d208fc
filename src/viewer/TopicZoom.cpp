#include "viewer/TopicZoom.h"

namespace viewer {

std::optional<ZoomRange> DecodeZoomRange(int32_t packed) {
    const auto bits = static_cast<uint32_t>(packed);
    const ZoomRange range{static_cast<long>(bits & 0xFFFFu), static_cast<long>(bits >> 16)};
    if (range.maximum <= range.minimum) {
        return std::nullopt;
    }
    return range;
}

long SnapZoom(long percent, const ZoomRange& range) {
    if (percent < range.minimum) {
        return range.minimum;
    }
    if (percent > range.maximum) {
        return range.maximum;
    }
    // A minimum off the steps would otherwise let the rounding fall below it.
    const long snapped = percent / kZoomStep * kZoomStep;
    return snapped < range.minimum ? range.minimum : snapped;
}

std::optional<ZoomRange> ReadZoomRange(const ITopicPage& page) {
    int32_t packed = 0;
    if (!page.ReadZoomRange(packed)) {
        return std::nullopt;
    }
    return DecodeZoomRange(packed);
}

std::optional<long> ReadZoom(const ITopicPage& page) {
    long percent = -1;
    if (!page.ReadZoom(percent) || percent < 0) {
        return std::nullopt;
    }
    return percent;
}

bool SetZoom(ITopicPage& page, long percent) {
    const auto range = ReadZoomRange(page);
    return range && page.WriteZoom(SnapZoom(percent, *range));
}

bool ZoomIn(ITopicPage& page) {
    const auto current = ReadZoom(page);
    return current && SetZoom(page, *current + kZoomStep);
}

bool ZoomOut(ITopicPage& page) {
    const auto current = ReadZoom(page);
    return current && SetZoom(page, *current - 1);
}

std::optional<long> ReadTextSize(const ITopicPage& page) {
    long level = -1;
    if (!page.ReadTextSize(level) || level < 0 || level >= kTextSizeLevels) {
        return std::nullopt;
    }
    return level;
}

bool SetTextSize(ITopicPage& page, long level) {
    return level >= 0 && level < kTextSizeLevels && page.WriteTextSize(level);
}

bool CycleTextSize(ITopicPage& page) {
    const auto level = ReadTextSize(page);
    return level && SetTextSize(page, (*level + 1) % kTextSizeLevels);
}

} // namespace viewer
