// Presses on the scroll-and-zoom controls: arrows and track pages repeat on
// timer 2, zoom buttons step the zoom, the slider and the thumb (with its
// zoom handles) drag, the corner box switches to the Zoom tool.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "trackview/scroll_control.h"
#include "trackview/wide_math.h"

namespace {

constexpr int32_t kSliderPixels = 100;      // the whole ladder
constexpr int32_t kRowSliderPixels = 200;   // the whole row-height range
constexpr int32_t kRepeatSlack = 10;        // pixels across the band
constexpr int kZoomTool = 2;

bool IsHorizontal(const Trackview* view, const TrackviewPane* pane) { return pane == view->panes[kPaneHScroll]; }

ScrollControlPane* Control(TrackviewPane* pane) { return static_cast<ScrollControlPane*>(pane); }

int32_t Along(POINT p, bool horizontal) { return horizontal ? p.x : p.y; }

void InvalidateControl(Trackview* view, bool horizontal) {
  InvalidateAreas(view, kAreaNoData | (horizontal ? kAreaHScroll : kAreaVScroll));
}

// Arrows and track pages; the direction of travel from the part.
void Scroll(Trackview* view, int32_t part, bool horizontal) {
  int direction = part == kPartLessArrow || part == kPartPageLess ? -1 : 1;
  bool page = part == kPartPageLess || part == kPartPageMore;
  if (horizontal) {
    view->ScrollBy(direction * (page ? view->viewSpan / 2 : view->viewSpan / 20), 0);
  } else {
    view->ScrollBy(0, direction * (page ? view->vertSpan : kRowUnits));
  }
}

// One zoom button step; false when the zoom is at its limit.
bool ZoomButton(Trackview* view, int32_t part, bool horizontal, bool repeat) {
  int direction = part == kPartZoomIn ? -1 : 1;
  if (horizontal) return ZoomHorizontal(view, direction);
  int32_t rows = repeat ? std::max(view->rowHeightIndex / 5, 5) : std::max(view->rowHeightIndex / 15, 1);
  return ZoomVertical(view, direction * rows);
}

void EndPress(Trackview* view, ScrollControlPane* control, bool horizontal) {
  control->pressed = kPartNone;
  view->flags &= ~(kTvControlHeld | kTvControlComplete);
  view->dragMode = 0;
  StopRepeatTimer(view);
  if (view->window && GetCapture() == view->window) ReleaseCapture();
  InvalidateControl(view, horizontal);
}

void Capture(Trackview* view) {
  view->dragMode = kDragControl;
  SetCapture(view->window);
}

void Repeat(Trackview* view, void*) {
  TrackviewPane* pane = view->panes[HitPane(view->hitCode)];
  if (HitPane(view->hitCode) != kPaneHScroll && HitPane(view->hitCode) != kPaneVScroll) return;
  ScrollControlPane* control = Control(pane);
  bool horizontal = IsHorizontal(view, pane);
  if (!view->window || GetCapture() != view->window || control->pressed == kPartNone) return;
  POINT p = view->lastPoint;
  int32_t across = horizontal ? p.y : p.x;
  int32_t bandLow = (horizontal ? pane->top : pane->left) - kRepeatSlack;
  int32_t bandHigh = (horizontal ? pane->bottom : pane->right) + kRepeatSlack;
  ScrollPart under = HitScrollPart(control->parts, CurrentThumb(view, control, horizontal), Along(p, horizontal),
                                   !(pane->flags & kPaneNoZoomHandles));
  if (across < bandLow || across >= bandHigh || under != control->pressed) return;
  int32_t part = control->pressed;
  if (part == kPartZoomIn || part == kPartZoomOut) {
    if (!ZoomButton(view, part, horizontal, true)) {
      EndPress(view, control, horizontal);
      return;
    }
  } else {
    Scroll(view, part, horizontal);
  }
  InvalidateControl(view, horizontal);
  UpdateWindow(view->window);
}

// The view for the thumb or slider dragged to the pointer.
void Drag(Trackview* view, ScrollControlPane* control, bool horizontal, POINT p) {
  int32_t distance = Along(p, horizontal) - Along(view->pressPoint, horizontal);
  int32_t part = control->pressed;
  if (part == kPartZoomSlider) {
    if (horizontal) {
      int32_t step = MulDiv(Along(p, true) - view->pressPoint.x, view->maxZoomLevel, kSliderPixels);
      view->ZoomToStep(std::clamp(step, 0, view->maxZoomLevel), CursorOrPlayPosition(view));
    } else {
      int32_t largest = std::max(view->maxRowHeightIndex, 0);
      int32_t index = std::clamp(MulDiv(p.y - view->pressPoint.y, largest, -kRowSliderPixels), 0, largest);
      ZoomVertical(view, view->rowHeightIndex - index);
    }
    return;
  }
  int32_t track = control->parts.trackLength;
  if (horizontal) {
    int64_t total = view->totalLength;
    int64_t moved = ThumbPosition(distance, total, track);
    int64_t narrowest = std::min<int64_t>(int64_t{view->mapWidth} * kDeepestTicksPerPixel, total);
    int64_t start = view->pressStart, end = SatAdd(view->pressStart, view->pressSpan);
    if (part == kPartThumb) {
      start = std::clamp<int64_t>(SatAdd(start, moved), 0, std::max<int64_t>(total - view->pressSpan, 0));
      view->SetView(start, view->pressSpan, kViewSkipUnchanged);
    } else if (part == kPartNearHandle) {
      start = std::clamp<int64_t>(SatAdd(start, moved), std::max<int64_t>(end - total, 0), end - narrowest);
      view->SetView(start, end - start, kViewSkipUnchanged);
    } else if (part == kPartFarHandle) {
      end = std::clamp<int64_t>(SatAdd(end, moved), SatAdd(start, narrowest), SatAdd(start, total));
      view->SetView(start, end - start, kViewSkipUnchanged);
    }
    return;
  }
  int32_t moved = static_cast<int32_t>(std::clamp<int64_t>(ThumbPosition(distance, view->vertTotal, track),
                                                           -kMaxVertTotal, kMaxVertTotal));
  int32_t start = view->pressVertStart, span = view->pressVertSpan, end = start + span;
  if (part == kPartThumb) {
    view->SetVertView(std::max(start + moved, 0), view->vertSpan, 0);
  } else if (part == kPartNearHandle) {
    int32_t first = std::clamp(start + moved, 0, std::max(end - kRowUnits, 0));
    view->SetVertView(first, end - first, kVertNewSpan);
  } else if (part == kPartFarHandle) {
    view->SetVertView(start, std::max(span + moved, kRowUnits), kVertNewSpan);
  }
}

void Press(Trackview* view, TrackviewPane* pane, POINT p) {
  ScrollControlPane* control = Control(pane);
  bool horizontal = IsHorizontal(view, pane);
  int32_t part = static_cast<int32_t>(HitLocal(view->hitCode));
  if (part == kPartNone) return;
  control->pressed = part;
  view->flags |= kTvControlHeld;
  view->pressPoint = view->lastPoint = p;
  switch (part) {
    case kPartLessArrow:
    case kPartMoreArrow:
    case kPartPageLess:
    case kPartPageMore:
      Scroll(view, part, horizontal);
      Capture(view);
      StartRepeatTimer(view, Repeat);
      break;
    case kPartZoomIn:
    case kPartZoomOut:
      if (!ZoomButton(view, part, horizontal, false)) {
        EndPress(view, control, horizontal);
        return;
      }
      Capture(view);
      view->flags |= kTvControlComplete;
      StartRepeatTimer(view, Repeat);
      break;
    case kPartZoomSlider:
      // The press point shifted so that the current step lies under it.
      if (horizontal) {
        view->pressPoint.x -= MulDiv(view->zoomLevel, kSliderPixels, std::max(view->maxZoomLevel, 1));
      } else {
        view->pressPoint.y += MulDiv(view->rowHeightIndex, kRowSliderPixels, std::max(view->maxRowHeightIndex, 1));
      }
      Capture(view);
      break;
    case kPartCorner:
      Capture(view);
      break;
    default:  // the thumb and its handles
      view->pressStart = view->viewStart;
      view->pressSpan = view->viewSpan;
      view->pressVertStart = view->vertStart;
      view->pressVertSpan = view->vertSpan;
      Capture(view);
      break;
  }
  InvalidateControl(view, horizontal);
}

void Release(Trackview* view, TrackviewPane* pane, POINT p) {
  ScrollControlPane* control = Control(pane);
  bool horizontal = IsHorizontal(view, pane);
  int32_t part = control->pressed;
  if (part == kPartNone) return;
  int64_t start = view->viewStart, span = view->viewSpan;
  if (part >= kPartNearHandle || part == kPartZoomSlider) Drag(view, control, horizontal, p);
  if ((view->flags & kTvControlComplete) || start != view->viewStart || span != view->viewSpan) {
    InvalidateAreas(view, kAreaAll);
  }
  bool corner = part == kPartCorner;
  EndPress(view, control, horizontal);
  if (corner && (pane->flags & kPaneCornerMask) == 3 && view->tools[kZoomTool] && view->activeTool != kZoomTool) {
    view->returnTool = view->activeTool;
    SelectTool(view, kZoomTool);
    PostUpdateUi(view);
  }
}

// Double clicks; true when the click is used up, false when it goes on as a press.
bool DoubleClick(Trackview* view, TrackviewPane* pane) {
  bool horizontal = IsHorizontal(view, pane);
  int32_t part = static_cast<int32_t>(HitLocal(view->hitCode));
  if (part == kPartCorner) {
    if ((pane->flags & kPaneCornerMask) != 3) return true;
    if (view->returnTool >= 0 && view->returnTool < kToolCount) SelectTool(view, view->returnTool);
    view->returnTool = -1;
    PostUpdateUi(view);
    ZoomHorizontal(view, kZoomWhole);
    ZoomVertical(view, kZoomWhole);
    return true;
  }
  if (part == kPartThumb) {
    if (horizontal) {
      if (!ZoomHorizontal(view, kZoomWhole)) ZoomToSelection(view);
    } else if (!ZoomVertical(view, kZoomWhole)) {
      ZoomVertical(view, kZoomDefault);
    }
  }
  return false;
}

}  // namespace

LRESULT ScrollControlMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScrollControlPane* control = Control(pane);
  bool horizontal = IsHorizontal(view, pane);
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      if (DoubleClick(view, pane)) return 0;
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      Press(view, pane, p);
      return 0;
    case WM_MOUSEMOVE:
      if (control->pressed == kPartNone) return 0;
      view->lastPoint = p;
      if (control->pressed >= kPartNearHandle || control->pressed == kPartZoomSlider) Drag(view, control, horizontal, p);
      return 0;
    case WM_LBUTTONUP:
      view->lastPoint = p;
      Release(view, pane, p);
      return 0;
    case WM_CANCELMODE:
      if (control->pressed != kPartNone || view->dragMode == kDragControl) EndPress(view, control, horizontal);
      return 0;
    default:
      return DefWindowProcW(view->window, msg, 0, lParam);
  }
}
