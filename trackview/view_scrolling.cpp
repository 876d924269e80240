// Moving the views: keeping a position in sight, placing it at an edge or the
// centre, scrolling by a delta and fitting a time range to the width.
#include <algorithm>
#include <cmath>

#include "trackview/geometry.h"
#include "trackview/wide_math.h"

void TrackviewGeometry::KeepVisible(int64_t position) {
  if (position >= viewStart && position <= SatAdd(viewStart, viewSpan - 1)) return;
  int64_t margin = viewSpan / 10;
  int64_t start = position > viewStart ? SatSub(SatAdd(position, margin), viewSpan)
                                       : std::max<int64_t>(SatSub(position, margin), 0);
  SetView(start, viewSpan, kViewSkipUnchanged);
}

void TrackviewGeometry::PlaceAt(int64_t position, uint32_t mode) {
  int64_t margin = (mode & kPlaceMargin) ? viewSpan / 10 : 0;
  int64_t start;
  if (mode & kPlaceLeft) {
    start = SatSub(position, margin);
  } else if (mode & kPlaceRight) {
    start = SatSub(SatAdd(position, margin), viewSpan);
  } else {
    start = SatSub(position, viewSpan / 2);
  }
  SetView(std::max<int64_t>(start, 0), viewSpan, kViewNoDetach | kViewSkipUnchanged);
}

void TrackviewGeometry::ScrollBy(int64_t ticks, int32_t units) {
  if (ticks != 0) {
    int64_t last = std::max<int64_t>(totalLength - viewSpan, 0);
    int64_t start = std::clamp<int64_t>(SatAdd(viewStart, ticks), 0, last);
    if (start != viewStart) SetView(start, viewSpan, 0);
  }
  if (units != 0) {
    int32_t row = LimitFirstRow((int64_t{units} + vertStart) / kRowUnits, vertSpan);
    if (row != firstRow) {
      firstRow = row;
      vertStart = row * kRowUnits;
      viewChanged = true;
      RecomputeVertTotal();
      Invalidate(kAreaAll | kAreaHeader | kAreaUpdateNow);
    }
  }
}

bool TrackviewGeometry::ZoomToRange(int64_t start, int64_t length) {
  if (length < 0) {
    start = SatAdd(start, length);
    length = SatSub(0, length);
  }
  if (length == 0) return false;
  double leadIn = std::trunc(static_cast<double>(dataWidth - mapWidth) * static_cast<double>(length) / mapWidth * 0.5);
  int64_t viewFrom = std::max<int64_t>(SatSub(start, TruncToInt64(leadIn)), 0);
  if (viewFrom == viewStart && length == viewSpan) return false;
  int64_t oldStart = viewStart;
  int64_t oldSpan = viewSpan;
  SetView(viewFrom, length, kViewNoDetach);
  return viewStart != oldStart || viewSpan != oldSpan;
}

bool TrackviewGeometry::ZoomToStep(int64_t step, int64_t centre) {
  step = std::clamp<int64_t>(step, 0, maxZoomLevel);
  if (step == zoomLevel) return false;
  int64_t span = std::max<int64_t>(ZoomSpan(static_cast<int32_t>(step)), dataWidth);
  int64_t start = std::clamp<int64_t>(SatSub(centre, span / 2), 0, std::max<int64_t>(totalLength, 0));
  SetView(start, span, kViewNoDetach);
  return true;
}
