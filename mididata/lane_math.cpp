// Lane line and step graph arithmetic.
#include "mididata/lane_math.h"

#include <algorithm>

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

constexpr uint32_t kDefaultTicksPerQuarter = 24576;

int32_t ValueY(int32_t value, bool pitchBend, const LaneRect& area) {
  const int64_t height = area.bottom - area.top;
  const int64_t full = pitchBend ? kPitchBendFull : kControllerFull;
  return static_cast<int32_t>(area.bottom - value * height / full);
}

// a * b = q * c + r for c > 0 and a quotient known to fit in 64 bits. The
// product needs up to 127 bits, which a 32-bit build has no type for, so it is
// formed from 32-bit halves and divided one bit at a time.
void MulDivMod(uint64_t a, uint64_t b, uint64_t c, uint64_t* q, uint64_t* r) {
  const uint64_t al = a & 0xFFFFFFFFu, ah = a >> 32, bl = b & 0xFFFFFFFFu, bh = b >> 32;
  const uint64_t ll = al * bl, lh = al * bh, hl = ah * bl;
  const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
  const uint64_t lo = (mid << 32) | (ll & 0xFFFFFFFFu);
  const uint64_t hi = ah * bh + (lh >> 32) + (hl >> 32) + (mid >> 32);
  if (hi == 0) {
    *q = lo / c;
    *r = lo % c;
    return;
  }
  uint64_t quotient = 0, rest = 0;
  for (int bit = 127; bit >= 0; --bit) {
    const bool over = rest >> 63;
    rest = rest << 1 | ((bit >= 64 ? hi >> (bit - 64) : lo >> bit) & 1);
    quotient <<= 1;
    if (over || rest >= c) {
      rest -= c;
      quotient |= 1;
    }
  }
  *q = quotient;
  *r = rest;
}

// value1 + (value2 - value1) * offset / length rounded half away from zero,
// for 0 <= offset <= length and length > 0. Exact: in double the product of a
// rounded slope lands beside a half, on either side depending on whether the
// build evaluates on x87 (32-bit) or SSE (64-bit).
int32_t RampValue(int32_t value1, int32_t value2, int64_t offset, int64_t length) {
  const int64_t difference = static_cast<int64_t>(value2) - value1;
  const bool down = difference < 0;
  uint64_t q = 0, r = 0;
  MulDivMod(static_cast<uint64_t>(down ? -difference : difference), static_cast<uint64_t>(offset),
            static_cast<uint64_t>(length), &q, &r);
  // The exact value is whole + (down ? -r : r) / length, whole an integer.
  const int64_t whole = value1 + (down ? -static_cast<int64_t>(q) : static_cast<int64_t>(q));
  const uint64_t other = static_cast<uint64_t>(length) - r;  // r >= other: the fraction is a half or more
  if (r == 0) return static_cast<int32_t>(whole);
  if (!down) return static_cast<int32_t>(whole + (whole >= 0 ? r >= other : r > other));
  return static_cast<int32_t>(whole - (whole <= 0 ? r >= other : r > other));
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
  const bool flat = length == 0 || value1 == value2;
  bool first = true;
  int32_t previous = 0;
  for (int64_t t = span.start; flat ? t <= span.end : t < span.end; t += span.step) {
    int32_t value = value2;
    if (!flat) value = RampValue(value1, value2, t - span.start, length);
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
