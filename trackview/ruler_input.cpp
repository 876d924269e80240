// The time ruler under the mouse: grab the time line and drag it sideways;
// past the ruler's ends it auto-scrolls the other way.
#include <windowsx.h>

#include <algorithm>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

namespace {

constexpr uint32_t kRulerOwnMenu = 0x8;  // the client opens its own menu

void EndDrag(Trackview* view) {
  StopAutoScroll(view);
  view->flags &= ~kTvRulerDrag;
  InvalidateAreas(view, kAreaAll);
  view->dragMode = 0;
  if (GetCapture() == view->window) ReleaseCapture();
}

void Drag(Trackview* view, TrackviewPane* pane, POINT p) {
  if (view->dragMode == kDragPressed) {
    InvalidateAreas(view, kAreaAll);
    view->dragMode = kDragMoving;
  }
  if (p.x >= pane->left && p.x < pane->right) {
    StopAutoScroll(view);
    int32_t pixels = std::clamp<int32_t>(p.x - view->lastPoint.x, kMinPixel, kMaxPixel);
    // The content follows the pointer.
    view->ScrollBy(SatSub(0, MulDivRound(view->viewSpan, pixels, view->mapWidth)), 0);
    view->lastPoint = p;
    return;
  }
  view->lastPoint = p;
  StartAutoScroll(view, pane, p, PaneRect(pane), RECT{}, kScrollHorizontal | kScrollReverse);
}

}  // namespace

LRESULT RulerMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (wParam & MK_RBUTTON) return 0;
      view->flags |= kTvRulerDrag;
      view->dragMode = kDragPressed;
      view->pressPoint = view->lastPoint = p;
      SetCapture(view->window);
      return 0;
    case WM_MOUSEMOVE:
      if (view->flags & kTvRulerDrag) Drag(view, pane, p);
      AutoScrollMouse(view, msg);
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      if (view->flags & kTvRulerDrag) EndDrag(view);
      return 0;
    case WM_RBUTTONDOWN:
      if (wParam & MK_LBUTTON) return 0;
      SetCapture(view->window);
      view->flags = (view->flags | kTvDetached) & ~kTvMayReturn;
      return 0;
    case WM_RBUTTONUP:
      if (GetCapture() == view->window) ReleaseCapture();
      if (!(pane->flags & kRulerOwnMenu)) RequestContextMenu(view, p);
      return 0;
    default:
      return DefWindowProcW(view->window, msg, wParam, lParam);
  }
}
