// Middle-button auto-scroll over the data area and the lane: a press shows
// the origin mark; leaving it scrolls towards the pointer; a release on the
// mark keeps the mode on until the next click, wheel or key.
#include <windowsx.h>

#include "trackview/engine.h"

namespace {

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool Begin(Trackview* view, WPARAM keys, POINT point) {
  int pane = HitPane(view->hitCode);
  if (pane != kPaneData && pane != kPaneLane) return false;
  uint32_t axes = 0;
  if (view->viewStart != 0 || view->viewSpan < view->totalLength) axes |= kScrollHorizontal;
  bool rows = view->vertStart != 0 || view->vertSpan < view->vertTotal;
  if (rows && !(keys & MK_SHIFT)) axes |= kScrollVertical;
  if (axes == 0) return false;
  SetFocus(view->window);
  UINT ways = ((axes & kScrollHorizontal) ? kKvScrollAcross : 0) | ((axes & kScrollVertical) ? kKvScrollDown : 0);
  if (!KvAutoScroll_Begin(&view->middleScroll, view->window, point, kKvMarkOrigin, ways)) return false;
  view->middleAxes = axes;
  view->flags |= kTvMiddleScroll;
  return true;
}

void Follow(Trackview* view, POINT point) {
  KvAutoScroll& scroll = view->middleScroll;
  KvAutoScroll_SetCursor(&scroll, point);
  view->lastPoint = point;
  if (!scroll.left) {
    if (KvAutoScroll_OnMark(&scroll, point)) return;
    scroll.left = true;
    view->dragMode = kDragMiddleScroll;
    SetCapture(view->window);
  }
  RECT mark = KvAutoScroll_MarkRect(&scroll);
  StartAutoScroll(view, nullptr, point, mark, RECT{}, view->middleAxes | kScrollSpeedByDistance);
}

}  // namespace

void EndMiddleScroll(Trackview* view) {
  if (!(view->flags & kTvMiddleScroll)) return;
  InvalidateAreas(view, kAreaAll);
  view->dragMode = 0;
  StopAutoScroll(view);
  view->flags &= ~kTvMiddleScroll;
  if (view->window && GetCapture() == view->window) ReleaseCapture();
  KvAutoScroll_End(&view->middleScroll);
}

bool MiddleScrollMouse(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam) {
  bool on = (view->flags & kTvMiddleScroll) != 0;
  switch (msg) {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (on) {
        EndMiddleScroll(view);
        return true;
      }
      return view->dragMode == 0 && Begin(view, GET_KEYSTATE_WPARAM(wParam), PointOf(lParam));
    case WM_MBUTTONUP:
      if (!on) return false;
      if (view->middleScroll.left) EndMiddleScroll(view);  // else click-to-scroll stays on
      return true;
    case WM_MOUSEMOVE:
      if (!on) return false;
      Follow(view, PointOf(lParam));
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      if (!on) return false;
      EndMiddleScroll(view);
      return true;
    default:
      return false;
  }
}
