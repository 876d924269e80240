// Zoom by steps with its special values, paging the cursor, and fitting the
// time selection or the loop region to the width.
#include <algorithm>
#include <cmath>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

bool ZoomHorizontal(Trackview* view, int32_t delta) {
  int64_t step;
  if (delta == kZoomWhole) {
    step = view->maxZoomLevel;
  } else if (delta == kZoomDeepest) {
    step = 0;
  } else if (delta == kZoomDefault) {
    int32_t preferred = view->source ? view->source->DefaultZoomStep() : -1;
    step = preferred >= 0 && preferred < view->maxZoomLevel ? preferred : view->maxZoomLevel;
  } else {
    step = int64_t{view->zoomLevel} + delta;
  }
  return view->ZoomToStep(step, CursorOrPlayPosition(view));
}

bool ZoomVertical(Trackview* view, int32_t delta) {
  int32_t largest = std::max(view->maxRowHeightIndex, 0);
  int64_t index;
  if (delta == kZoomWhole) {
    index = 0;
  } else if (delta == kZoomDeepest) {
    index = largest;
  } else if (delta == kZoomDefault) {
    index = view->defaultRowHeightIndex;
  } else {
    index = int64_t{view->rowHeightIndex} - delta;
  }
  index = std::clamp<int64_t>(index, 0, largest);
  if (index == view->rowHeightIndex) return false;
  view->rowHeightIndex = static_cast<int32_t>(index);
  const TrackviewPane* control = view->panes[kPaneVScroll];
  if (control && (control->flags & kPaneFixedRows)) {
    InvalidateAreas(view, kAreaPane9);
    return true;
  }
  int32_t span = static_cast<int32_t>(std::trunc(static_cast<double>(view->vertExtentPx) / (index + 5) * kRowUnits));
  view->SetVertView(view->vertStart, span, kVertNewSpan | kViewNoDetach);
  return true;
}

void CentreOnCursor(Trackview* view) { view->PlaceAt(CursorOrPlayPosition(view), 0); }

void PageCursor(Trackview* view, int direction, bool extend) {
  int64_t base = view->cursorPos;
  if (FollowsPlayback(view)) {
    base = view->transport && view->transport->getPosition ? view->transport->getPosition(view) : view->playPos;
  }
  int64_t span = view->viewSpan;
  int64_t target;
  if (view->snapGrid <= 1.0) {
    target = SatAdd(base, TruncToInt64(static_cast<double>(span) * direction * 100 * 0.001));
  } else {
    // Ten pixels' worth, then onto the grid in the direction of travel.
    int64_t step = TruncToInt64(static_cast<double>(span) * (direction * 10) / view->mapWidth + 0.5);
    target = SatAdd(base, step);
    target = direction < 0 ? view->SnapDown(target) : view->SnapUp(target);
  }
  SetCursorVisible(view, target, 0, kCursorFollow | (extend ? kCursorExtend : 0));
}

bool ZoomToSelection(Trackview* view) {
  int64_t start = view->cursorPos, length = view->cursorExtent;
  if (length < 0) {
    start = SatAdd(start, length);
    length = SatSub(0, length);
  }
  return view->ZoomToRange(std::max<int64_t>(start, 0), length);
}

bool ZoomToLoop(Trackview* view) { return view->ZoomToRange(view->loopStart, view->loopLength); }
