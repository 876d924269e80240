// The view setters: each clamps, stores, recomputes what derives from the
// view and asks the window to move the caret and repaint what moved.
#include <algorithm>
#include <cmath>

#include "trackview/geometry.h"

namespace {

// Everything that shows time: data area and lane (implied), loop bar with
// panes 11-16, panes 5 and 7, ruler, transport strip, horizontal control.
constexpr uint32_t kHorizontalAreas = kAreaLoopBar | kAreaPane5 | kAreaRuler | kAreaTransport | kAreaHScroll;
// Everything that shows rows: data area and lane, pane 9, header, both controls.
constexpr uint32_t kVerticalAreas = kAreaPane9 | kAreaHeader | kAreaVScroll | kAreaHScroll;

int32_t MulDivRound(int32_t value, int32_t numerator, int32_t denominator) {
  int64_t product = int64_t{value} * numerator;
  int64_t half = denominator / 2;
  int64_t result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  return static_cast<int32_t>(std::clamp<int64_t>(result, INT32_MIN, INT32_MAX));
}

}  // namespace

void TrackviewGeometry::Invalidate(uint32_t areas) {
  if (effects && effects->invalidate) effects->invalidate(*this, areas);
}

void TrackviewGeometry::PlaceCaret() {
  if (effects && effects->placeCaret) effects->placeCaret(*this);
}

bool TrackviewGeometry::SetView(int64_t start, int64_t span, uint32_t setFlags) {
  start = std::max<int64_t>(start, 0);
  span = std::max<int64_t>(span, 0);
  if (totalLength <= 0) {
    start = 0;
    span = 0;
  } else {
    int64_t narrowest = int64_t{mapWidth} * kDeepestTicksPerPixel;
    if (span < narrowest) {
      span = narrowest;
    } else if (span > totalLength) {
      span = totalLength;
    }
    if (start > totalLength - span) start = std::max<int64_t>(totalLength - span, 0);
  }
  if (effects && effects->filterView) effects->filterView(*this, &start, &span);

  maxZoomLevel = ZoomStepOf(totalLength);
  zoomLevel = ZoomStepOf(span);

  if (!(setFlags & kViewNoDetach)) {
    flags = (flags | kTvDetached) & ~kTvMayReturn;
    PlaceCaret();
  }
  if ((setFlags & kViewSkipUnchanged) && start == viewStart && span == viewSpan) {
    PlaceCaret();
    return false;
  }
  viewStart = start;
  viewSpan = span;
  viewChanged = true;
  ticksPerPixel = static_cast<double>(span) / mapWidth;
  PlaceCaret();
  Invalidate(kHorizontalAreas);
  return true;
}

int32_t TrackviewGeometry::LimitFirstRow(int64_t row, int32_t span) const {
  if (row < 0) return 0;
  int64_t last = std::max<int64_t>(int64_t{rowCount} - span / kRowUnits + 1, 0);
  return static_cast<int32_t>(std::min(row, last));
}

void TrackviewGeometry::SetVertView(int32_t start, int32_t span, uint32_t setFlags) {
  start = std::max(start, 0);
  span = std::max(span, 0);
  if (setFlags & kVertNewSpan) {
    vertSpan = span;
    RecomputeVertTotal();
  }
  if (vertTotal <= 0) {
    start = 0;
    span = 0;
  } else {
    span = std::clamp(span, std::min(dataHeight, vertTotal), vertTotal);
    if (int64_t{start} + span > vertTotal) start = std::max(vertTotal - span, 0);
  }

  int32_t row = LimitFirstRow(start / kRowUnits, span);
  vertStart = row * kRowUnits;
  firstRow = row;

  bool fixed = effects && effects->fixedRows && effects->fixedRows(*this);
  if (!fixed) {
    int32_t index = 0;
    if (span != 0) {
      double rows = static_cast<double>(span) / kRowUnits;
      index = static_cast<int32_t>(std::trunc(std::min(vertExtentPx / rows, 1e9))) - 5;
      index = std::max(std::min(index, vertExtentPx - 5), 0);
    }
    rowHeightIndex = index;
  }

  vertSpan = span;
  viewChanged = true;
  unitsPerPixelV = static_cast<double>(span) / vertExtentPx;
  if (!(setFlags & kVertNewSpan)) RecomputeVertTotal();
  PlaceCaret();
  Invalidate(kVerticalAreas);
}

void TrackviewGeometry::RecomputeVertTotal() {
  rowCount = effects && effects->rowCount ? effects->rowCount(*this) : -1;
  if (rowCount <= 0) {
    vertTotal = 0;
    return;
  }
  double rows = static_cast<double>(vertExtentPx) / RowPixelHeight();
  int64_t spare = static_cast<int64_t>(std::trunc((rows - std::floor(rows)) * kRowUnits));
  int64_t total = int64_t{rowCount} * kRowUnits + kRowUnits + spare;
  total = std::max<int64_t>(total, vertSpan);
  vertTotal = static_cast<int32_t>(std::clamp<int64_t>(total, 0, kMaxVertTotal));
}

void TrackviewGeometry::SetTotalLength(int64_t length) {
  length = std::clamp<int64_t>(length, 0, kMaxTotalLength);
  if (length == totalLength) return;
  int64_t start = viewStart;
  int64_t span = viewSpan;
  if (span != 0 && span <= length) {
    start = std::max<int64_t>(std::min(start, length - span), 0);
  } else {
    span = length;
    start = 0;
  }
  totalLength = length;
  SetView(start, span, kViewNoDetach);
}

void TrackviewGeometry::SetVertTotal(int32_t units) {
  units = std::clamp(units, 0, kMaxVertTotal);
  if (units == vertTotal) return;
  int32_t start = vertStart;
  int32_t span = vertSpan;
  if (span != 0 && span <= vertTotal) {
    start = std::max(std::min(start, units - span), 0);
  } else {
    span = MulDivRound(vertExtentPx, 100, kRowUnits);
    start = 0;
  }
  vertTotal = units;
  SetVertView(start, span, kViewNoDetach);
}

void TrackviewGeometry::ApplyDataArea(const TvRect& remaining, bool fullRelayout) {
  dataRect = remaining;
  dataWidth = std::max(remaining.right - remaining.left, 1);
  dataHeight = std::max(remaining.bottom - remaining.top, 1);

  int32_t oldWidth = mapWidth;
  int32_t oldExtent = vertExtentPx;
  mapWidth = std::max(dataWidth - rightMargin, 1);
  vertExtentPx = std::max(dataHeight - bottomMargin, 1);

  if (oldWidth != 0 && oldWidth != mapWidth) {
    // Same ticks per pixel at the new width.
    int64_t span = TruncToInt64(static_cast<double>(viewSpan) * mapWidth / oldWidth);
    SetView(viewStart, span, kViewNoDetach);
  }

  if ((oldExtent != 0 && oldExtent != vertExtentPx) || fullRelayout) {
    int32_t span;
    if (effects && effects->fixedRows && effects->fixedRows(*this)) {
      maxRowHeightIndex = 24;
      span = vertExtentPx;
    } else {
      maxRowHeightIndex = std::max(oldExtent - 5, 0);
      int64_t rowPixels = std::max<int64_t>(int64_t{rowHeightIndex} + 5, 1);
      span = static_cast<int32_t>(std::trunc(static_cast<double>(vertExtentPx) / rowPixels * kRowUnits));
    }
    SetVertView(vertStart, span, kVertNewSpan | kViewNoDetach);
  }

  ticksPerPixel = static_cast<double>(viewSpan) / mapWidth;
  unitsPerPixelV = static_cast<double>(vertSpan) / vertExtentPx;
}
