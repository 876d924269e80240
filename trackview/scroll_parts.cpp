// Scroll-and-zoom control parts, thumb mapping and part hit testing.
#include "trackview/scroll_parts.h"

#include <algorithm>

#include "trackview/wide_math.h"

ScrollParts LayOutScrollParts(int32_t begin, int32_t end, const ScrollMetrics& m, bool withCorner) {
  ScrollParts parts{};
  int32_t w = end - begin;
  int32_t a = m.arrow, z = m.zoomButton;
  int32_t withZoom = m.minThumb + 2 * z + 2 * a + kZoomSliderLength;
  int32_t pos = end;
  auto take = [&pos](int32_t length) {
    AxisSpan span{pos - length, pos};
    pos -= length;
    return span;
  };
  parts.corner = take(withCorner && w >= withZoom + m.corner ? m.corner : 0);
  bool zoom = w >= withZoom;
  parts.zoomOut = take(zoom ? z : 0);
  parts.slider = take(zoom ? kZoomSliderLength : 0);
  parts.zoomIn = take(zoom ? z : 0);
  int32_t arrow = w < m.minThumb + 2 * a ? 0 : a;
  parts.moreArrow = take(arrow);
  parts.lessArrow = {begin, begin + arrow};
  parts.track = {begin + arrow, std::max(pos, begin + arrow)};
  parts.trackLength = std::max(parts.track.Length() - kThumbExtra, 1);
  return parts;
}

int32_t ThumbOffset(int64_t position, int64_t total, int32_t trackLength) {
  if (total <= 0) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(MulDivRound(trackLength, position, total), -1000000000, 1000000000));
}

int64_t ThumbPosition(int32_t offset, int64_t total, int32_t trackLength) {
  if (trackLength <= 0 || total <= 0) return 0;
  return MulDivRound(total, offset, trackLength);
}

AxisSpan ThumbSpan(const ScrollParts& parts, int64_t start, int64_t span, int64_t total) {
  int32_t first = parts.track.begin + ThumbOffset(start, total, parts.trackLength);
  int32_t last = parts.track.begin + ThumbOffset(SatAdd(start, span), total, parts.trackLength) + kThumbExtra;
  if (last > parts.track.end) {
    last = parts.track.end;
    first = std::min(first, last - kThumbMinimum);
  }
  first = std::max(first, parts.track.begin);
  return {first, std::max(last, first)};
}

ScrollPart HitScrollPart(const ScrollParts& parts, const AxisSpan& thumb, int32_t p, bool zoomHandles) {
  if (parts.lessArrow.Contains(p)) return kPartLessArrow;
  if (parts.moreArrow.Contains(p)) return kPartMoreArrow;
  if (parts.zoomIn.Contains(p)) return kPartZoomIn;
  if (parts.slider.Contains(p)) return kPartZoomSlider;
  if (parts.zoomOut.Contains(p)) return kPartZoomOut;
  if (parts.corner.Contains(p)) return kPartCorner;
  if (!parts.track.Contains(p)) return kPartNone;
  if (zoomHandles) {
    int32_t inside = std::min(kZoomHandle, (thumb.Length() - 2) / 2);
    if (p >= thumb.begin - kZoomHandle && p < thumb.begin + inside) return kPartNearHandle;
    if (p >= thumb.end - inside && p < thumb.end + kZoomHandle) return kPartFarHandle;
  }
  if (thumb.Contains(p)) return kPartThumb;
  return p < thumb.begin ? kPartPageLess : kPartPageMore;
}
