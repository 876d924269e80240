// The parts of a scroll-and-zoom control along its axis, the thumb that maps
// the view onto its track, and the part under a point. The same arithmetic
// serves the horizontal control (x, ticks) and the vertical one (y, units).
// Platform-free; the system metrics come in as ScrollMetrics.
#pragma once

#include <cstdint>

struct AxisSpan {
  int32_t begin, end;  // [begin, end) in client pixels
  bool Contains(int32_t p) const { return p >= begin && p < end; }
  int32_t Length() const { return end - begin; }
};

struct ScrollMetrics {
  int32_t thickness;   // across the axis
  int32_t arrow;       // arrow button length
  int32_t zoomButton;  // zoom button length
  int32_t minThumb;    // smallest thumb the control is built for
  int32_t corner;      // corner box length
};

inline constexpr int32_t kZoomSliderLength = 6;
inline constexpr int32_t kThumbExtra = 12;   // the thumb is this much longer than the view it shows
inline constexpr int32_t kThumbMinimum = 8;  // at the end of the track
inline constexpr int32_t kZoomHandle = 5;

// Part codes (low 16 bits of the control's hit codes).
enum ScrollPart : int32_t {
  kPartNone = 0,
  kPartLessArrow = 1,
  kPartPageLess = 2,
  kPartPageMore = 3,
  kPartMoreArrow = 4,
  kPartZoomIn = 5,
  kPartZoomSlider = 6,
  kPartZoomOut = 7,
  kPartCorner = 8,
  kPartNearHandle = 9,
  kPartThumb = 10,
  kPartFarHandle = 11,
};

struct ScrollParts {
  AxisSpan lessArrow, track, moreArrow, zoomIn, slider, zoomOut, corner;
  int32_t trackLength;  // for thumb positioning: track less the thumb's extra, at least 1
};

// Lays the parts out over [begin, end); parts that do not fit get no length.
ScrollParts LayOutScrollParts(int32_t begin, int32_t end, const ScrollMetrics& metrics, bool withCorner);

// Offset of a position on the track and back, rounded to nearest.
int32_t ThumbOffset(int64_t position, int64_t total, int32_t trackLength);
int64_t ThumbPosition(int32_t offset, int64_t total, int32_t trackLength);

// The thumb showing [start, start + span) of total.
AxisSpan ThumbSpan(const ScrollParts& parts, int64_t start, int64_t span, int64_t total);

// The part under p; without zoom handles the whole thumb is kPartThumb.
ScrollPart HitScrollPart(const ScrollParts& parts, const AxisSpan& thumb, int32_t p, bool zoomHandles);
