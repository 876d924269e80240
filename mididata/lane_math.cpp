// Lane line and step graph arithmetic.
#include "mididata/lane_math.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

constexpr uint32_t kDefaultTicksPerQuarter = 24576;

int32_t ValueY(int32_t value, bool pitchBend, const LaneRect& area) {
  const int64_t height = area.bottom - area.top;
  const int64_t full = pitchBend ? kPitchBendFull : kControllerFull;
  return static_cast<int32_t>(area.bottom - value * height / full);
}

}  // namespace

LaneSpan LaneLineSpan(int64_t from, int64_t to, bool snap, LaneView& grid) {
  if (from > to) std::swap(from, to);
  from = std::max<int64_t>(from, 0);
  to = std::max(to, from);
  LaneSpan span{from, to, 0};
  if (snap) {
    span.step = std::max<int64_t>(grid.GridLength(), 1);
    span.start = grid.SnapDown(from);
    span.end = grid.SnapUp(to) - 1;
    if (to - from < span.step && span.end - span.start > span.step) span.start += span.step;
  } else {
    const uint32_t tpq = grid.TicksPerQuarter() ? grid.TicksPerQuarter() : kDefaultTicksPerQuarter;
    span.step = std::max<int64_t>(tpq / 64, 1);
  }
  span.end = std::max(span.end, span.start);
  return span;
}

std::vector<LanePoint> LaneLinePoints(const LaneSpan& span, int32_t value1, int32_t value2, int32_t lowest,
                                      int32_t highest) {
  std::vector<LanePoint> points;
  const int64_t length = span.end - span.start;
  const double slope = length ? static_cast<double>(value2 - value1) / static_cast<double>(length) : 0.0;
  const bool flat = slope == 0.0;
  bool first = true;
  int32_t previous = 0;
  for (int64_t t = span.start; flat ? t <= span.end : t < span.end; t += span.step) {
    int32_t value = value2;
    if (!flat) value = static_cast<int32_t>(std::round(value1 + slope * static_cast<double>(t - span.start)));
    value = std::clamp(value, std::min(value1, value2), std::max(value1, value2));
    value = std::clamp(value, lowest, highest);
    if (first || value != previous) points.push_back(LanePoint{t, value});
    first = false;
    previous = value;
  }
  return points;
}

std::vector<LaneRect> StepGraphRects(const std::vector<LanePoint>& points, int32_t initial, bool pitchBend,
                                     const LaneRect& area, LaneView& view) {
  std::vector<LaneRect> rects;
  const int32_t middle = area.bottom - (area.bottom - area.top) / 2;
  const int32_t base = pitchBend ? middle : area.bottom;
  auto fill = [&](int64_t from, int64_t to, int32_t value) {
    const int32_t left = view.TimeToX(from);
    const int32_t right = view.TimeToX(to);
    if (right <= left) return;
    const int32_t y = ValueY(value, pitchBend, area);
    rects.push_back(LaneRect{left, std::min(y, base), right, std::max(y, base)});
  };
  int64_t time = 0;
  int32_t value = initial;
  for (const LanePoint& p : points) {
    fill(time, p.time, value);
    time = p.time;
    value = p.value;
  }
  fill(time, view.TimelineEnd(), value);
  return rects;
}

uint32_t LaneColour(int32_t index) {
  switch (index) {
    case 1: return Rgb(90, 198, 241);   // modulation
    case 2: return Rgb(60, 170, 110);   // breath
    case 7: return Rgb(127, 127, 255);  // main volume
    case 10: return Rgb(255, 69, 63);   // pan
    case 11: return Rgb(230, 150, 40);  // expression
    case 64: return Rgb(40, 140, 60);   // damper pedal
    case 128: return Rgb(92, 92, 192);  // pitch bend
    default: return Rgb(91, 0, 172);
  }
}
