// Tick, pixel and row conversions with their rounding and clamps, the snap
// roundings and the horizontal zoom ladder.
#include "trackview/geometry.h"

#include "trackview/wide_math.h"

#include <algorithm>
#include <cmath>

int64_t TruncToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return INT64_MAX;
  if (value <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<int64_t>(value);
}

namespace {

// Pixel results stay drawable however far outside the view a tick lies.
int32_t ClampPixel(double x) {
  return static_cast<int32_t>(std::clamp(x, double{kMinPixel}, double{kMaxPixel}));
}

}  // namespace

int32_t TrackviewGeometry::TimeToX(int64_t t) const {
  if (viewSpan == 0) return -1;
  double offset = std::trunc(static_cast<double>(SatSub(t, viewStart)) * mapWidth / static_cast<double>(viewSpan) + 0.5);
  return ClampPixel(dataRect.left + offset);
}

int32_t TrackviewGeometry::TimeToXUp(int64_t t) const {
  if (viewSpan == 0) return -1;
  double span = static_cast<double>(viewSpan);
  double offset = std::trunc((static_cast<double>(SatSub(t, viewStart)) * mapWidth + span - 1) / span);
  return ClampPixel(dataRect.left + offset);
}

int64_t TrackviewGeometry::PixelsToTicks(int32_t pixels) const {
  return TruncToInt64(static_cast<double>(viewSpan) * pixels / mapWidth + 0.5);
}

int64_t TrackviewGeometry::XToTime(int32_t x) const {
  double offset = static_cast<double>(int64_t{x} - dataRect.left) * static_cast<double>(viewSpan) / mapWidth;
  return SatAdd(viewStart, TruncToInt64(offset + 0.5));
}

int64_t TrackviewGeometry::SnapNearest(int64_t t) const {
  if (snapGrid == 0.0) return t;
  double g = snapGrid;
  return TruncToInt64(std::trunc(static_cast<double>(t) / g + 0.5) * g);
}

int64_t TrackviewGeometry::SnapUp(int64_t t) const {
  if (snapGrid == 0.0) return t;
  double g = snapGrid;
  return TruncToInt64(std::trunc((g + static_cast<double>(t) - 0.9) / g) * g);
}

int64_t TrackviewGeometry::SnapDown(int64_t t) const {
  if (snapGrid == 0.0) return t;
  double g = snapGrid;
  return TruncToInt64(std::trunc(static_cast<double>(t) / g) * g);
}

int32_t TrackviewGeometry::UnitToY(int64_t unit) const {
  if (vertSpan == 0) return -1;
  int64_t product = (unit - vertStart) * vertExtentPx;
  int64_t half = vertSpan / 2;
  int64_t offset = product >= 0 ? (product + half) / vertSpan : -((-product + half) / vertSpan);
  return static_cast<int32_t>(std::clamp<int64_t>(dataRect.top + offset, INT32_MIN, INT32_MAX));
}

int32_t TrackviewGeometry::YToRow(int32_t y) const {
  if (vertSpan == 0) return -1;
  // Estimate from the units per pixel, then settle on the row whose mapped
  // top is the last one at or above y, so that rows and RowToY agree.
  double unit = vertStart + static_cast<double>(int64_t{y} - dataRect.top) * vertSpan / vertExtentPx;
  int64_t row = static_cast<int64_t>(std::floor(unit / kRowUnits));
  row = std::clamp<int64_t>(row, -kMaxVertTotal / kRowUnits, kMaxVertTotal / kRowUnits);
  while (UnitToY((row + 1) * kRowUnits) <= y) ++row;
  while (UnitToY(row * kRowUnits) > y) --row;
  return static_cast<int32_t>(row);
}

int32_t TrackviewGeometry::RowPixelHeight() const {
  if (rowHeightIndex >= 0x7FFFFFFB) return 5;
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{rowHeightIndex} + 5, 5, 45));
}

int64_t TrackviewGeometry::ZoomSpan(int32_t step) const {
  int64_t multiplier = 2;
  if (step >= 0) {
    int32_t shift = step / 2;
    // Past 2^60 every span is beyond the longest time line.
    if (shift > 60) return totalLength;
    multiplier = (2 + step % 2) * (int64_t{1} << shift);
  }
  double wide = static_cast<double>(mapWidth) * static_cast<double>(multiplier) * kDeepestTicksPerPixel / 2;
  if (wide >= static_cast<double>(totalLength)) return totalLength;
  return int64_t{mapWidth} * multiplier * kDeepestTicksPerPixel / 2;
}

int32_t TrackviewGeometry::ZoomStepOf(int64_t span) const {
  double deepest = static_cast<double>(mapWidth) * kDeepestTicksPerPixel;
  int64_t q = TruncToInt64(static_cast<double>(span) / deepest * 2 + 0.5);
  int32_t step = 0;
  if (q >= 2) {
    while (q > 3) {
      q /= 2;
      step += 2;
    }
    if (q > 2) step += 1;
  }
  if (span == totalLength) step += 1;
  return step;
}
