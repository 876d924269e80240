// The loop bar under the mouse: drag the loop region or either end of it,
// sweep a time selection, click to place the cursor, double and triple
// clicks, and the context menu with its commands.
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "kvlib/module.h"
#include "kvlib/printf.h"
#include "kvlib/ui_resources.h"
#include "resources/resource_ids.h"
#include "trackview/engine.h"
#include "trackview/wide_math.h"

namespace {

constexpr uint32_t kBarSweeps = 0x10;
constexpr uint32_t kCodeBand = 8, kCodeStart = 9, kCodeEnd = 10;
constexpr int kResizeCursor = 13, kBarCursor = 17;
constexpr int kTimeLength = 64;
constexpr int64_t kSweepBound = int64_t{1} << 61;

int64_t LoopEnd(const Trackview* view) { return SatAdd(view->loopStart, view->loopLength); }
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }
bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

int64_t TickAt(Trackview* view, TrackviewPane* pane, int32_t x) {
  return view->XToTime(std::clamp(x, pane->left, std::max(pane->right - 1, pane->left)));
}

int64_t Snapped(Trackview* view, int64_t tick) { return ShiftHeld() ? tick : view->SnapNearest(tick); }

void ReleaseDrag(Trackview* view) {
  StopAutoScroll(view);
  view->dragMode = 0;
  // A double click stays remembered: a press soon after makes a triple click.
  view->flags &= ~(kTvTripleClick | kTvSweepFromDouble);
  if (GetCapture() == view->window) ReleaseCapture();
}

void NotifyLoop(Trackview* view) {
  if (view->hooks && view->hooks->loopChanged) view->hooks->loopChanged(view, 0);
}

// The time selection made from the loop region while they are linked.
void FollowLoop(Trackview* view, uint32_t flags) {
  if (!LoopLinked(view, view->loopLength)) return;
  if (view->loopEndDragged) {
    SetCursorPos(view, LoopEnd(view), SatSub(0, view->loopLength), flags);
  } else {
    SetCursorPos(view, view->loopStart, view->loopLength, flags);
  }
}

// Loop region drags ------------------------------------------------------

void PressLoop(Trackview* view, TrackviewPane* pane, uint32_t code, POINT p) {
  view->dragMode = kDragPressed;
  SetCapture(view->window);
  ResetAutoScrollBounds(view);
  view->pressPoint = view->lastPoint = p;
  view->loopDragCode = static_cast<int32_t>(code);
  int64_t total = std::max<int64_t>(view->totalLength, 0);
  int64_t edge;
  if (code == kCodeEnd) {
    edge = LoopEnd(view);
    view->fixedEdge = view->loopStart;
    view->edgeLow = view->loopStart;
    view->edgeHigh = total;
  } else {
    edge = view->loopStart;
    view->fixedEdge = LoopEnd(view);
    view->edgeLow = 0;
    view->edgeHigh = code == kCodeStart ? LoopEnd(view) : std::max<int64_t>(total - view->loopLength, 0);
  }
  view->loopEndDragged = code == kCodeEnd;
  view->anchorOffset = SatSub(edge, TickAt(view, pane, p.x));
}

void MoveLoop(Trackview* view, TrackviewPane* pane, POINT p) {
  int64_t total = std::max<int64_t>(view->totalLength, 0);
  int64_t edge = SatAdd(TickAt(view, pane, p.x), view->anchorOffset);
  TimeRange region;
  if (view->loopDragCode == static_cast<int32_t>(kCodeBand)) {
    edge = std::clamp(Snapped(view, std::clamp(edge, view->edgeLow, view->edgeHigh)), view->edgeLow, view->edgeHigh);
    region = {edge, view->loopLength};
  } else {
    // Either end may cross the other by more than half a grid step, and the
    // markers swap roles; the region never turns negative.
    edge = std::clamp(Snapped(view, std::clamp<int64_t>(edge, 0, total)), int64_t{0}, total);
    int64_t fixed = view->fixedEdge;
    int64_t halfGrid = TruncToInt64(view->snapGrid / 2);
    if (!view->loopEndDragged && edge > SatAdd(fixed, halfGrid)) view->loopEndDragged = true;
    if (view->loopEndDragged && edge < SatSub(fixed, halfGrid)) view->loopEndDragged = false;
    edge = view->loopEndDragged ? std::max(edge, fixed) : std::min(edge, fixed);
    region = view->loopEndDragged ? TimeRange{fixed, edge - fixed} : TimeRange{edge, fixed - edge};
  }
  if (region.start != view->loopStart || region.length != view->loopLength) {
    SetLoopRegion(view, region.start, region.length);
    FollowLoop(view, view->loopFirstMove ? kCursorLoopLinked : kCursorLoopLinked | kCursorNoHistory);
    view->loopFirstMove = false;
  }
  StartAutoScroll(view, pane, p, PaneRect(pane), RECT{}, kScrollHorizontal);
}

void BeginLoopDrag(Trackview* view, TrackviewPane* pane, POINT p) {
  view->dragMode = kDragMoving;
  if (!view->source || view->source->LoopLink() == 0) StartSnapshot(view, 3);
  view->savedLoop = {view->loopStart, view->loopLength};
  view->savedSelection = {view->cursorPos, view->cursorExtent};
  view->loopFirstMove = true;
  MoveLoop(view, pane, p);
}

// Sweeps and clicks ------------------------------------------------------

void Sweep(Trackview* view, TrackviewPane* pane, POINT p) {
  int64_t tick = (view->flags & kTvSweepFromDouble) ? TickAt(view, pane, p.x) : Snapped(view, TickAt(view, pane, p.x));
  SetCursorPos(view, view->sweepAnchor, SatSub(tick, view->sweepAnchor), kCursorLoopLinked);
  StartAutoScroll(view, pane, p, PaneRect(pane), RECT{}, kScrollHorizontal | kScrollUpdate);
}

void BeginSweep(Trackview* view, int64_t anchor) {
  view->dragMode = kDragSweep;
  SetAutoScrollBounds(view, -kSweepBound, kSweepBound);
  view->sweepAnchor = anchor;
}

bool IsTripleClick(const Trackview* view, POINT p) {
  if (!(view->flags & kTvDoubleClick)) return false;
  DWORD since = static_cast<DWORD>(GetMessageTime()) - view->lastDoubleClickTime;
  int slack = GetSystemMetrics(SM_CXDOUBLECLK);
  return since <= GetDoubleClickTime() && std::abs(p.x - view->lastDoubleClickPoint.x) <= slack &&
         std::abs(p.y - view->lastDoubleClickPoint.y) <= slack;
}

void PressSweep(Trackview* view, TrackviewPane* pane, POINT p, bool doubleClick) {
  PlaceCaret(view);
  bool triple = !doubleClick && IsTripleClick(view, p);
  view->pressPoint = view->lastPoint = p;
  view->savedSelection = {view->cursorPos, view->cursorExtent};
  view->savedLoop = {view->loopStart, view->loopLength};
  if (triple || (doubleClick && CtrlHeld())) {
    view->flags = (view->flags | kTvTripleClick) & ~kTvDoubleClick;
    SetCursorRange(view, 0, DataLength(view), false);
    return;
  }
  SetCapture(view->window);
  if (doubleClick) {
    view->flags |= kTvSweepFromDouble;
    BeginSweep(view, TickAt(view, pane, p.x));
    Sweep(view, pane, p);
  } else {
    view->flags &= ~kTvDoubleClick;
    view->dragMode = kDragSweepWait;
  }
}

void DoubleClick(Trackview* view, TrackviewPane* pane, uint32_t code, POINT p) {
  view->flags |= kTvDoubleClick;
  view->lastDoubleClickTime = static_cast<DWORD>(GetMessageTime());
  view->lastDoubleClickPoint = p;
  if ((pane->flags & kLoopBarShowsLoop) && code >= kCodeBand) {
    if (code == kCodeStart) {
      SetCursorVisible(view, view->loopStart, 0, kCursorFollow);
    } else if (code == kCodeEnd) {
      SetCursorVisible(view, LoopEnd(view), 0, kCursorFollow);
    } else {
      RunLoopBarCommand(view, kCmdSelectionToView, true);
    }
    return;
  }
  if (pane->flags & kBarSweeps) PressSweep(view, pane, p, true);
}

void Release(Trackview* view, TrackviewPane* pane, POINT p) {
  switch (view->dragMode) {
    case kDragMoving:
      MoveLoop(view, pane, p);
      ReleaseSnapshot(view);
      InvalidateAreas(view, kAreaLoopBar | kAreaRuler);
      NotifyLoop(view);
      FollowLoop(view, kCursorLoopLinked);
      break;
    case kDragSweepWait: {
      uint32_t flags = kCursorFollow | kCursorSnap | (ShiftHeld() ? kCursorExtend : 0);
      if (CtrlHeld()) flags |= kCursorSetsLoop;
      MoveCursorTo(view, TickAt(view, pane, p.x), flags);
      break;
    }
    case kDragSweep:
      Sweep(view, pane, p);
      NotifyLoop(view);
      break;
    default:
      break;
  }
  ReleaseDrag(view);
}

// The loop region and the time selection go back to where the drag found
// them (while linked, each drag moved both).
void Cancel(Trackview* view) {
  if (view->dragMode == kDragMoving || view->dragMode == kDragSweep) {
    SetCursorPos(view, view->savedSelection.start, view->savedSelection.length, kCursorNoHistory);
    SetLoopRegion(view, view->savedLoop.start, view->savedLoop.length);
  }
  if (view->dragMode == kDragMoving || view->dragMode == kDragPressed) {
    ReleaseSnapshot(view);
    InvalidateAreas(view, kAreaAll);
  }
  ReleaseDrag(view);
}

// The menu -----------------------------------------------------------------

void CheckItem(HMENU menu, UINT command, bool checked) {
  CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void ShowMenu(Trackview* view, POINT screen) {
  bool overLoop = view->menuFromMouse && HitLocal(view->menuHitCode) >= kCodeBand;
  HMENU resource = LoadMenuW(KvModule_Handle(), MAKEINTRESOURCEW(IDM_LOOP_BAR));
  if (!resource) return;
  HMENU menu = GetSubMenu(resource, overLoop ? 1 : 0);
  CheckItem(menu, kCmdLoopPlayback, IsLoopPlayback(view));
  if (!overLoop && view->source) {
    CheckItem(menu, kCmdSnapping, view->source->SnappingEnabled());
    UINT grid = view->source->GridCommand();
    if (grid) CheckMenuRadioItem(menu, 6005, 6018, grid, MF_BYCOMMAND);
  }
  HWND window = view->window;
  UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0,
                                window, nullptr);
  DestroyMenu(resource);
  // The menu's loop may have seen the window go.
  bool alive = IsWindow(window) && GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(view);
  if (command && alive) RunLoopBarCommand(view, command, false);
}

void ApplyRegion(Trackview* view, TimeRange region) {
  if (LoopLinked(view, region.length)) {
    SetCursorRange(view, region.start, region.length, false);
  } else {
    SetLoopRegion(view, region.start, region.length);
  }
}

// The region of a command: at least one grid step, within the time line.
TimeRange LimitRegion(const Trackview* view, int64_t start, int64_t length) {
  int64_t total = view->totalLength;
  if (total <= 0) return {0, int64_t{8} * std::max<uint32_t>(view->timeBase.ticksPerQuarter, 1)};
  start = std::clamp<int64_t>(start, 0, total);
  length = std::clamp<int64_t>(length, 0, total - start);
  int64_t step = std::max<int64_t>(view->SnapUp(1), 1);
  if (length < step) {
    length = std::min(step, total);
    start = std::min(start, total - length);
  }
  return {start, length};
}

}  // namespace

void RunLoopBarCommand(Trackview* view, UINT command, bool fromDoubleClick) {
  TimeRange current{view->loopStart, view->loopLength};
  switch (command) {
    case kCmdSelectionToView: {
      int64_t halfMargin = view->PixelsToTicks(view->rightMargin / 2);
      TimeRange region = view->viewStart == 0 ? LimitRegion(view, 0, SatAdd(view->viewSpan, halfMargin))
                                              : LimitRegion(view, SatAdd(view->viewStart, halfMargin), view->viewSpan);
      if (region.start == current.start && region.length == current.length) {
        if (!fromDoubleClick) return;
        region = view->previousLoop;
      }
      view->previousLoop = current;
      ApplyRegion(view, region);
      return;
    }
    case kCmdSelectionToProject: {
      TimeRange region = LimitRegion(view, 0, DataLength(view));
      if (region.start == current.start && region.length == current.length) {
        StepHistoryBack(view);
        return;
      }
      view->previousLoop = current;
      ApplyRegion(view, region);
      return;
    }
    case kCmdZoomLoop:
      ZoomToLoop(view);
      return;
    default:
      if (view->window) SendMessageW(GetParent(view->window), WM_COMMAND, command, 0);
      return;
  }
}

uint32_t LoopBarHitTest(Trackview* view, TrackviewPane* pane, int x, int y) {
  if (!(pane->flags & kLoopBarShowsLoop)) return 0;
  int32_t zoneTop = std::min(pane->bottom - 12, (pane->top + pane->bottom) / 2);
  if (y < zoneTop || y - pane->top < 2 || y > pane->bottom - 2) return 0;
  int32_t startX = view->TimeToX(view->loopStart), endX = view->TimeToX(LoopEnd(view));
  int32_t h = std::clamp((endX - startX) / 3, 1, 8);
  uint32_t code = 0;
  if (x >= startX - 2 && x <= startX + h) {
    code = kCodeStart;
  } else if (x >= endX - h && x <= endX + 2) {
    code = kCodeEnd;
  } else if (x > startX && x < endX) {
    code = kCodeBand;
  }
  if (code && view->source) {
    wchar_t from[kTimeLength], to[kTimeLength], format[kTimeLength], tip[kTipTextLength];
    view->source->TimeText(view->loopStart, false, from, kTimeLength);
    view->source->TimeText(LoopEnd(view), false, to, kTimeLength);
    if (LoadStringW(KvModule_Handle(), IDS_LOOP_REGION_TIP, format, kTimeLength) > 0) {
      KvPrintF(tip, format, static_cast<const wchar_t*>(from), static_cast<const wchar_t*>(to));
      if (std::wcscmp(tip, view->tipText) != 0) {
        std::wcscpy(view->tipText, tip);
        view->flags |= kTvTipChanged;
      }
      view->flags |= kTvTipText;
    }
  }
  return code;
}

int LoopBarCursor(Trackview*, TrackviewPane* pane, uint32_t hitCode) {
  uint32_t code = HitLocal(hitCode);
  if (code == kCodeStart || code == kCodeEnd) return kResizeCursor;
  if ((pane->flags & kLoopBarShowsLoop) && !(code & 8)) return kBarCursor;
  return kArrowCursor;
}

LRESULT LoopBarMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p = PointOf(lParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      uint32_t code = LoopBarHitTest(view, pane, p.x, p.y);
      if (msg == WM_LBUTTONDBLCLK) {
        DoubleClick(view, pane, code, p);
      } else if ((pane->flags & kLoopBarShowsLoop) && code >= kCodeBand) {
        PressLoop(view, pane, code, p);
      } else if (pane->flags & kBarSweeps) {
        PressSweep(view, pane, p, false);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
    case kMsgAutoScrollStep:
      if (msg == WM_MOUSEMOVE) AutoScrollMouse(view, msg);
      if (view->dragMode == kDragPressed) {
        if (std::abs(p.x - view->pressPoint.x) > view->dragThresholdX ||
            std::abs(p.y - view->pressPoint.y) > view->dragThresholdY) {
          BeginLoopDrag(view, pane, p);
        }
      } else if (view->dragMode == kDragMoving) {
        MoveLoop(view, pane, p);
      } else if (view->dragMode == kDragSweepWait) {
        if (std::abs(p.x - view->pressPoint.x) > view->dragThresholdX) {
          BeginSweep(view, Snapped(view, TickAt(view, pane, view->pressPoint.x)));
          SetCursor(KvGetUICursor(kResizeCursor));
          Sweep(view, pane, p);
        }
      } else if (view->dragMode == kDragSweep) {
        Sweep(view, pane, p);
      }
      return 0;
    case WM_RBUTTONDOWN:
      AutoScrollMouse(view, msg);
      return 0;
    case WM_LBUTTONUP:
      Release(view, pane, p);
      return 0;
    case WM_CANCELMODE:
      Cancel(view);
      return 0;
    case WM_CONTEXTMENU:
      ShowMenu(view, p);
      return 0;
    default:
      return DefWindowProcW(view->window, msg, wParam, lParam);
  }
}
