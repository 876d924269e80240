// Mouse routing, context-menu requests and the cursor shape.
#include <windowsx.h>

#include <algorithm>

#include "kvlib/ui_resources.h"
#include "kvlib/wheel_routing.h"
#include "trackview/engine.h"

namespace {

LRESULT SendToPane(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  const PaneCallbacks& ops = Ops(pane);
  return ops.message ? ops.message(view, pane, msg, wParam, lParam) : 0;
}

void RouteWheel(Trackview* view, WPARAM wParam, LPARAM lParam) {
  EndMiddleScroll(view);
  if (KvWheel_RouteToHover(view->window, WM_MOUSEWHEEL, wParam, lParam)) return;
  LRESULT answer = SendToPane(view, HoveredPane(view), WM_MOUSEWHEEL, wParam, lParam);
  if (answer != kWheelHandled) {
    int pane = HitPane(view->hitCode);
    bool ctrl = GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL;
    bool shift = GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT;
    if (pane == kPaneData || (pane == kPaneLane && (!ctrl || shift))) {
      WheelAction(view, GET_WHEEL_DELTA_WPARAM(wParam), ctrl, shift, GetKeyState(VK_MENU) < 0);
    }
  }
  if ((view->flags & kTvHitStale) && view->dragMode == 0) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void ChooseFocusPane(Trackview* view) {
  TrackviewPane* pressed = HoveredPane(view);
  int focus = kPaneData;
  const PaneCallbacks& ops = Ops(pressed);
  if ((pressed->flags & kPaneChoosesFocus) && ops.query) {
    LRESULT chosen = ops.query(view, pressed, kQueryFocusPane, 0, 0);
    if (chosen < 0 || chosen >= kPaneCount) return;
    focus = static_cast<int>(chosen);
  }
  SetFocusPane(view, focus);
}

}  // namespace

LRESULT RouteMouse(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEWHEEL && view->dragMode == 0) {
    RouteWheel(view, wParam, lParam);
    return 0;
  }
  if (MiddleScrollMouse(view, msg, wParam, lParam)) return 0;
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
    if ((view->flags & kTvHitStale) && view->dragMode == 0) {
      HitTestAt(view, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
    }
    HideTooltip(view);
    ChooseFocusPane(view);
  }
  if (msg == WM_MOUSEMOVE && (view->flags & kTvHover) && view->hoverPane != HitPane(view->hitCode)) ClearHover(view);
  if (view->flags & kTvTipActive) RelayToTooltip(view, msg, wParam, lParam);
  return SendToPane(view, HoveredPane(view), msg, wParam, lParam);
}

void OnContextMenu(Trackview* view, WPARAM wParam, LPARAM lParam) {
  TrackviewPane* pane;
  LPARAM point = lParam;
  if (lParam != -1) {
    view->menuHitCode = view->hitCode;
    view->menuFromMouse = TRUE;
    view->menuPoint = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    pane = HoveredPane(view);
  } else {
    // From the keyboard: below the top of the data area at the cursor, kept
    // clear of the left edge and inside the right one.
    const TvRect& data = view->dataRect;
    int x = view->TimeToX(view->cursorPos);
    x = x < data.left + 16 ? data.left + 16 : std::min(x, data.right);
    POINT anchor{x, data.top + 16};
    ClientToScreen(view->window, &anchor);
    pane = view->panes[kPaneData];
    view->menuHitCode = pane->paneId;
    view->menuFromMouse = FALSE;
    view->menuPoint = anchor;
    point = MAKELPARAM(anchor.x, anchor.y);
  }
  SendToPane(view, pane, WM_CONTEXTMENU, wParam, point);
  view->menuHitCode = 0;
  view->menuFromMouse = FALSE;
  view->menuPoint = {};
}

void RequestContextMenu(Trackview* view, POINT client) {
  if (!view->window) return;
  ClientToScreen(view->window, &client);
  SendMessageW(view->window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->window), MAKELPARAM(client.x, client.y));
}

void UpdateCursor(Trackview* view) {
  TrackviewPane* pane = HoveredPane(view);
  const PaneCallbacks& ops = Ops(pane);
  int id = ops.cursor ? ops.cursor(view, pane, view->hitCode) : kArrowCursor;
  HCURSOR cursor = KvGetUICursor(id);
  if (GetCursor() != cursor) SetCursor(cursor);
}

bool OnSetCursor(Trackview* view, HWND target, UINT hitArea) {
  if (target != view->window || hitArea != HTCLIENT) return false;
  UpdateCursor(view);
  return true;
}
