// The hover highlight that panes put on their buttons, and the engine's
// three window timers.
#include "trackview/engine.h"
#include "trackview/gdi.h"

namespace {

enum TimerId : UINT_PTR { kRepeatTimer = 2, kStepTimer = 3, kHoverTimer = 4 };
constexpr UINT kRepeatMs = 75;
constexpr UINT kStepMs = 100;
constexpr UINT kHoverMs = 100;

void DrawHover(Trackview* view, int phase) {
  ScopedGetDC dc(view->window);
  if (!dc) return;
  if (!IsRectEmpty(&view->hoverClip)) {
    const RECT& clip = view->hoverClip;
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  }
  if (view->hoverDraw) {
    view->hoverDraw(view, dc, phase);
    return;
  }
  RECT rect = view->hoverRect;
  if (phase) {
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  // Erase: a 2-pixel frame in the face colour.
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  const RECT sides[] = {
      {rect.left, rect.top, rect.right, rect.top + 2},
      {rect.left, rect.bottom - 2, rect.right, rect.bottom},
      {rect.left, rect.top, rect.left + 2, rect.bottom},
      {rect.right - 2, rect.top, rect.right, rect.bottom},
  };
  for (const RECT& side : sides) FillSolid(dc, side, face);
}

}  // namespace

void SetHover(Trackview* view, int pane, uint32_t code, const RECT& rect, const RECT* clip, HoverDraw draw) {
  if (!view->window) return;
  if (pane == view->hoverPane && code == view->hoverCode) return;
  if (view->flags & kTvHover) {
    DrawHover(view, 0);
    KillTimer(view->window, kHoverTimer);
    view->flags &= ~kTvHover;
  }
  view->hoverPane = pane;
  view->hoverCode = code;
  view->hoverRect = rect;
  view->hoverClip = clip ? *clip : RECT{};
  view->hoverDraw = draw;
  if (code == 0) return;
  view->flags |= kTvHover;
  SetTimer(view->window, kHoverTimer, kHoverMs, nullptr);
  DrawHover(view, 1);
}

void ClearHover(Trackview* view) { SetHover(view, 0, 0, RECT{}, nullptr, nullptr); }

void StartRepeatTimer(Trackview* view, TimerCallback callback) {
  if (!view->window) return;
  view->repeatCallback = callback;
  SetTimer(view->window, kRepeatTimer, kRepeatMs, nullptr);
}

void StopRepeatTimer(Trackview* view) {
  view->repeatCallback = nullptr;
  if (view->window) KillTimer(view->window, kRepeatTimer);
}

void StartStepTimer(Trackview* view, TimerCallback callback, void* argument) {
  if (!view->window) return;
  bool running = view->stepCallback != nullptr;
  view->stepCallback = callback;
  view->stepArgument = argument;
  if (!running) SetTimer(view->window, kStepTimer, kStepMs, nullptr);
}

void StopStepTimer(Trackview* view) {
  // The timer itself is killed at its next tick.
  view->stepCallback = nullptr;
  view->stepArgument = nullptr;
}

void OnTimer(Trackview* view, UINT_PTR id) {
  switch (id) {
    case kRepeatTimer:
      if (view->repeatCallback) view->repeatCallback(view, nullptr);
      break;
    case kStepTimer:
      if (view->stepCallback) view->stepCallback(view, view->stepArgument);
      if (!view->stepCallback && view->window) KillTimer(view->window, kStepTimer);
      break;
    case kHoverTimer: {
      POINT cursor;
      GetCursorPos(&cursor);
      if ((view->flags & kTvHover) && WindowFromPoint(cursor) == view->window) break;
      KillTimer(view->window, kHoverTimer);
      if (view->flags & kTvHover) SendMessageW(view->window, WM_MOUSELEAVE, 0, 0);
      break;
    }
  }
}
