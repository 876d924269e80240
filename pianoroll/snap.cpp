// Snapping arithmetic. Whole-tick grids are computed in integers, so that a
// grid line near 2^62 is exact; fractional ones (triplets of odd lengths)
// in double precision.
#include "pianoroll/snap.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t kGridCodes[kGridRows] = {10000, 10000000, 600000000, 1, 1, 0, -1, -2, -3, -4,
                                           -5,    -8,       -9,        -16, -17, -32, -33, -64, -65};
constexpr int64_t kPaintCodes[kPaintRows] = {0,    -7,   -8,   -6,   -15,  -16,  -14,  -31,  -32,  -30,  -63,
                                             -64,  -62,  -127, -128, -126, -255, -256, -254, -511, -512, -510};
constexpr uint16_t kScaleMasks[kScaleCount + 1] = {0xAB5, 0x5AD, 0x295, 0x4A9, 0xAD5, 0x6B5, 0x6AD,
                                                   0x5AB, 0x56B, 0x555, 0x4E9, 0xAAD, 0x9AD, 0xD53,
                                                   0xB6D, 0x999, 0x249, 0x111, 0x000};
constexpr int64_t kFarAway = int64_t{1} << 61;  // a snap point this far never counts

int64_t TruncD(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2233720368547758e18) return INT64_MAX;
  if (v <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<int64_t>(v);
}

int64_t SatMul(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return (a < 0) != (b < 0) ? INT64_MIN : INT64_MAX;
  return r;
}

int64_t SatAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) return b > 0 ? INT64_MAX : INT64_MIN;
  return r;
}

int64_t Distance(int64_t a, int64_t b) {
  int64_t d;
  if (__builtin_sub_overflow(a, b, &d)) return INT64_MAX;
  return d == INT64_MIN ? INT64_MAX : (d < 0 ? -d : d);
}

// The grid as whole ticks, or 0 when it has a fraction (or is out of range).
int64_t WholeGrid(double g) {
  return g >= 1.0 && g < 4.0e18 && g == std::floor(g) ? static_cast<int64_t>(g) : 0;
}

// N(t / g) x g: the grid line nearest t, halves rounded up in the sense of
// adding 0.5 and truncating toward zero.
int64_t GridLine(double g, int64_t t) {
  if (g == 0.0) return t;
  if (int64_t whole = WholeGrid(g)) {
    int64_t q = t / whole, r = t % whole;
    if (t >= 0) {
      if (r >= whole - r) ++q;  // 2r >= g without overflow
    } else if (q < 0 && r > -whole + (-r)) {
      ++q;  // 2r + g > 0
    }
    return SatMul(q, whole);
  }
  return TruncD(std::trunc(static_cast<double>(t) / g + 0.5) * g);
}

int64_t HalfGrid(double g) { return TruncD(g + 0.5) / 2; }

int64_t PreviousLine(double g, int64_t line) {
  if (int64_t whole = WholeGrid(g)) return SatAdd(line, -whole);
  return TruncD(static_cast<double>(line) - g);
}

struct Best {
  int64_t point;
  int64_t distance = INT64_MAX;
  void Offer(int64_t p, int64_t d) {
    if (d < kFarAway && d < distance) {
      point = p;
      distance = d;
    }
  }
};

// The cursor and loop edges in the order nearest considers them.
template <class Visit>
void Points(const SnapSources& s, uint32_t mask, Visit&& visit) {
  if ((mask & kSnapCursor) && s.cursorValid) visit(s.cursor);
  if ((mask & kSnapLoop) && s.loopValid) {
    visit(s.loopStart);
    visit(s.loopEnd);
  }
}

}  // namespace

int64_t SnapNearest(const SnapSources& s, int64_t t, uint32_t mask) {
  Best best{t};
  Points(s, mask, [&](int64_t p) { best.Offer(p, Distance(p, t)); });
  if (mask & kSnapGrid) {
    int64_t line = GridLine(s.grid, t);
    best.Offer(line, Distance(line, t));
  }
  return best.distance == INT64_MAX ? t : best.point;
}

int64_t SnapForward(const SnapSources& s, int64_t t, uint32_t mask) {
  int64_t result = kNoSnapAfter;
  Points(s, mask, [&](int64_t p) {
    if (p > t) result = std::min(result, p);
  });
  if (mask & kSnapGrid) {
    int64_t line = GridLine(s.grid, t);
    if (line <= t) line = GridLine(s.grid, SatAdd(t, HalfGrid(s.grid)));
    if (line > t) result = std::min(result, line);
  }
  return result;
}

int64_t SnapBackward(const SnapSources& s, int64_t t, uint32_t mask) {
  int64_t result = kNoSnapBefore;
  Points(s, mask, [&](int64_t p) {
    if (p < t) result = std::max(result, p);
  });
  if (mask & kSnapGrid) {
    int64_t line = GridLine(s.grid, t);
    if (line >= t && line > 0) line = GridLine(s.grid, SatAdd(t, -HalfGrid(s.grid)));
    // On a grid line itself the rounding lands on t again: the line before it.
    if (line >= t && line > 0 && s.grid > 0.0) line = PreviousLine(s.grid, line);
    if (line < t) result = std::max(result, line);
  }
  return result;
}

int64_t GridFloor(double g, int64_t t) {
  int64_t n = GridLine(g, t);
  if (n >= t) n = n <= 0 ? 0 : GridLine(g, SatAdd(t, -HalfGrid(g)));
  return std::max<int64_t>(n, 0);
}

int64_t GridCeiling(double g, int64_t t) {
  int64_t n = GridLine(g, t);
  return t >= n ? GridLine(g, SatAdd(t, HalfGrid(g))) : n;
}

int64_t GridCodeOfRow(int row) { return row >= 0 && row < kGridRows ? kGridCodes[row] : 0; }
int64_t PaintCodeOfRow(int row) { return row >= 0 && row < kPaintRows ? kPaintCodes[row] : 0; }

int GridRowOf(int64_t code) {
  for (int row = 0; row < kGridRows; ++row) {
    if (kGridCodes[row] == code) return row;
  }
  return -1;
}

int PaintRowOf(int64_t code) {
  for (int row = 0; row < kPaintRows; ++row) {
    if (kPaintCodes[row] == code) return row;
  }
  return -1;
}

namespace {

double Whole(const TrackTimeBase& tb) { return 4.0 * tb.ticksPerQuarter; }

double CodeLength(int64_t code, double rulerSpacing, double noteValue) {
  if (code > 0) return static_cast<double>(code);
  if (code == 0) return rulerSpacing > 1.0 ? rulerSpacing : 1.0;
  return noteValue > 0.0 ? noteValue : 1.0;
}

}  // namespace

double GridCodeLength(int64_t code, const TrackTimeBase& tb, double rulerSpacing) {
  double w = Whole(tb);
  double value = 1.0;
  switch (code) {
    case -2: {
      // A measure: beats of the meter's own unit.
      int denominator = tb.denominator ? tb.denominator : 4;
      value = w / denominator * tb.numerator;
      break;
    }
    case -3: value = w / 2; break;
    case -4: value = w / 4; break;
    case -5: value = w / 6; break;
    case -8: value = w / 8; break;
    case -9: value = w / 12; break;
    case -16: value = w / 16; break;
    case -17: value = w / 24; break;
    case -32: value = w / 32; break;
    case -33: value = w / 48; break;
    case -64: value = w / 64; break;
    case -65: value = w / 96; break;
    default: break;
  }
  return CodeLength(code, rulerSpacing, value);
}

double PaintCodeLength(int64_t code, const TrackTimeBase& tb, double rulerSpacing) {
  double w = Whole(tb);
  double value = 1.0;
  switch (code) {
    case -7: value = w * 1.5; break;
    case -8: value = w; break;
    case -6: value = w * 2 / 3; break;
    case -15: value = w * 0.75; break;
    case -16: value = w * 0.5; break;
    case -14: value = w / 3; break;
    case -31: value = w * 0.375; break;
    case -32: value = w * 0.25; break;
    case -30: value = w / 6; break;
    case -63: value = w * 0.1875; break;
    case -64: value = w * 0.125; break;
    case -62: value = w / 12; break;
    case -127: value = w * 0.09375; break;
    case -128: value = w / 16; break;
    case -126: value = w / 24; break;
    case -255: value = w * 3 / 64; break;
    case -256: value = w / 32; break;
    case -254: value = w / 48; break;
    case -511: value = w * 3 / 128; break;
    case -512: value = w / 64; break;
    case -510: value = w / 96; break;
    default: break;
  }
  return CodeLength(code, rulerSpacing, value);
}

uint16_t ScaleMask(int index) { return kScaleMasks[std::clamp(index, 0, kScaleCount)]; }

bool InScale(int pitch, int root, int scaleIndex) {
  int step = ((pitch - root) % 12 + 12) % 12;
  return (ScaleMask(scaleIndex) >> step) & 1;
}
