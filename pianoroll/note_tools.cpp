// The Draw and Selection tools under the mouse, and the handler all five
// tools share: release, cancel, the right button, the context menu and the
// auto-scroll step.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "kvlib/module.h"
#include "mididata/clipboard.h"
#include "pianoroll/roll_internal.h"
#include "resources/resource_ids.h"
#include "trackview/wide_math.h"

namespace {

constexpr uint32_t kClickFlags = kTvDoubleClick | kTvTripleClick;
constexpr uint32_t kMenuFlags = 0x7000000;

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool BeyondThreshold(Trackview* view, POINT p, int factor) {
  return std::abs(p.x - view->pressPoint.x) > view->dragThresholdX * factor ||
         std::abs(p.y - view->pressPoint.y) > view->dragThresholdY * factor;
}


// Double clicks: the message itself, and a plain press soon after one.
void UpdateClickFlags(Trackview* view, UINT msg, POINT p) {
  PianoRoll* roll = Roll(view);
  view->flags &= ~kClickFlags;
  if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK) {
    view->flags |= kTvDoubleClick;
    roll->doubleClickTime = static_cast<DWORD>(GetMessageTime());
    roll->doubleClickPoint = p;
    return;
  }
  int cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
  if (roll->doubleClickTime && static_cast<DWORD>(GetMessageTime()) - roll->doubleClickTime <= GetDoubleClickTime() &&
      std::abs(p.x - roll->doubleClickPoint.x) <= cx && std::abs(p.y - roll->doubleClickPoint.y) <= cy) {
    view->flags |= kTvTripleClick;
  }
  roll->doubleClickTime = 0;
}

void Anchor(Trackview* view, POINT p) {
  PianoRoll* roll = Roll(view);
  roll->pressTime = view->XToTime(p.x);
  roll->pressRow = view->hitRow;
  roll->pressHit = HitLocal(view->hitCode);
  view->pressPoint = view->lastPoint = p;
  roll->appliedDelta = 0;
}

void Capture(Trackview* view, int32_t mode) {
  view->dragMode = mode;
  SetCapture(view->window);
}

void PreviewPressed(Trackview* view) {
  PianoRoll* roll = Roll(view);
  MidiEvent note{};
  if (roll->pressNoteValid && SUCCEEDED(ReadNote(view, roll->pressNote, &note))) StartPreview(view, note);
}

bool PressedSelected(Trackview* view) {
  PianoRoll* roll = Roll(view);
  MidiEvent note{};
  return roll->pressNoteValid && SUCCEEDED(Store(view).GetEvent(roll->pressNote, &note)) &&
         (note.flags & kEventSelected);
}

bool OnNote(uint32_t hit) { return hit == kHitNote || hit == kHitNoteStart || hit == kHitNoteEnd; }

void ClearSelection(Trackview* view) {
  Store(view).SelectAllNotes(false);
  InvalidateNotes(Roll(view));
  PostStateRefresh(view);
}

void KeepScrolling(Trackview* view, TrackviewPane* pane, POINT p) {
  const TvRect& d = view->dataRect;
  StartAutoScroll(view, pane, p, RECT{d.left, d.top, d.right, d.bottom}, RECT{},
                  kScrollHorizontal | kScrollVertical | kScrollPastEnd);
}

// The time selection that a Ctrl+Shift press in the Draw tool becomes.
void SweepTo(Trackview* view, int64_t t) {
  PianoRoll* roll = Roll(view);
  SetCursorPos(view, roll->pressTime, SatSub(t, roll->pressTime), kCursorLoopLinked);
}

// A step of the drag under way at the pointer.
void DragStep(Trackview* view, POINT p, bool shift, bool alt) {
  int64_t t = view->XToTime(p.x);
  switch (view->dragMode) {
    case kRollMove:
      MoveStep(view, t, view->YToRow(p.y), shift, alt);
      break;
    case kRollSizeStart:
    case kRollSizeEnd:
      SizeStep(view, t, shift);
      break;
    case kRollDrawing:
      DrawStep(view, t, shift);
      break;
    default:
      break;
  }
}

bool Editing(int32_t mode) {
  return mode == kRollMove || mode == kRollSizeStart || mode == kRollSizeEnd || mode == kRollDrawing;
}

void Click(Trackview* view, POINT p, bool doubleClick) {
  PianoRoll* roll = Roll(view);
  bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
  int64_t tc = SnapTime(view, view->XToTime(p.x), kSnapGrid | kSnapLoop);
  MidiEvent note{};
  bool hit = roll->pressNoteValid && OnNote(roll->pressHit) && SUCCEEDED(ReadNote(view, roll->pressNote, &note));
  if (hit && roll->pressHit == kHitNoteStart) tc = note.start;
  if (hit && roll->pressHit == kHitNoteEnd) tc = SatAdd(note.start, note.duration);
  if (!ctrl || shift) {
    if (hit) SelectOnly(view, roll->pressNote);
    roll->rangeRow = roll->pressRow;
    roll->rangeTime = tc;
  } else if (hit) {
    ToggleSelected(view, roll->pressNote);
    return;
  }
  if (doubleClick) return;
  uint32_t flags = (ctrl ? kCursorSetsLoop : 0) | (shift ? kCursorExtend : 0);
  if (roll->pressHit == kHitOutside) flags |= kCursorFollow;
  SetCursorPos(view, tc, 0, flags);
}

void EndDrag(Trackview* view) {
  StopAutoScroll(view);
  view->dragMode = 0;
  if (view->window && GetCapture() == view->window) ReleaseCapture();
}

LRESULT Release(Trackview* view, POINT p) {
  bool shift = KeyHeld(VK_SHIFT), alt = KeyHeld(VK_MENU);
  bool doubleClick = view->flags & kTvDoubleClick;
  switch (view->dragMode) {
    case kRollPressed:
    case kRollPressedEmpty:
    case kRollMaySelectTime:
      StopPreview(view);
      Click(view, p, doubleClick);
      break;
    case kRollRange:
      if (Roll(view)->bandVisible) {
        FinishBand(view, p, false);
        break;
      }
      SelectRangeTo(view, view->YToRow(p.y), view->XToTime(p.x));
      StopPreview(view);
      break;
    case kRollMove:
    case kRollSizeStart:
    case kRollSizeEnd:
    case kRollDrawing:
      ExtendTrackLength(view, 0);
      DragStep(view, p, shift, alt);
      ExtendTrackLength(view, 0);
      CommitGesture(view, false);
      break;
    case kRollSelectTime:
      SweepTo(view, view->XToTime(std::clamp<int>(p.x, view->dataRect.left, view->dataRect.right)));
      if (view->hooks && view->hooks->loopChanged) view->hooks->loopChanged(view, 0);
      break;
    default:
      break;
  }
  EndDrag(view);
  return 0;
}

void Cancel(Trackview* view) {
  if (view->dragMode == kRollPressed || view->dragMode == kRollRange) StopPreview(view);
  if (Roll(view)->bandVisible) FinishBand(view, view->lastPoint, false);
  if (Editing(view->dragMode)) CommitGesture(view, true);
  view->flags &= ~kMenuFlags;
  EndDrag(view);
  if (view->window) UpdateWindow(view->window);
}

void Move(Trackview* view, TrackviewPane* pane, POINT p, WPARAM keys, bool selectionTool) {
  PianoRoll* roll = Roll(view);
  bool shift = KeyHeld(VK_SHIFT), alt = KeyHeld(VK_MENU), ctrl = KeyHeld(VK_CONTROL);
  bool rightDown = keys & MK_RBUTTON;
  switch (view->dragMode) {
    case kRollPressed: {
      if (!BeyondThreshold(view, p, rightDown ? 2 : 1)) return;
      if (selectionTool && !rightDown) {
        view->dragMode = roll->pressHit == kHitNote && BeginMove(view) ? kRollMove : kRollInert;
        if (view->dragMode == kRollInert) StopPreview(view);
        return;
      }
      if (rightDown && !(keys & MK_LBUTTON)) return;
      int32_t mode = kRollInert;
      if (roll->pressHit == kHitNoteStart || roll->pressHit == kHitNoteEnd) {
        bool endEdge = roll->pressHit == kHitNoteEnd;
        SelectOnly(view, roll->pressNote);
        StopPreview(view);
        if (BeginSizing(view, endEdge)) mode = endEdge ? kRollSizeEnd : kRollSizeStart;
      } else if (roll->pressHit == kHitNote) {
        roll->axisLock = alt ? (std::abs(p.x - view->pressPoint.x) > view->dragThresholdX ? 1 : 2) : 0;
        if (!PressedSelected(view)) {
          if (ctrl) {
            ToggleSelected(view, roll->pressNote);
          } else {
            SelectOnly(view, roll->pressNote);
          }
        }
        if (BeginMove(view)) mode = kRollMove;
      }
      if (mode == kRollInert) StopPreview(view);
      view->dragMode = mode;
      if (mode != kRollInert) DragStep(view, p, shift, alt);
      return;
    }
    case kRollRange:
      if (roll->bandVisible) {
        BandStep(view, pane, p);
        return;
      }
      SelectRangeTo(view, view->YToRow(p.y), view->XToTime(p.x));
      KeepScrolling(view, pane, p);
      return;
    case kRollMove:
    case kRollSizeStart:
    case kRollSizeEnd:
    case kRollDrawing:
      if (p.x == view->lastPoint.x && p.y == view->lastPoint.y) return;
      view->lastPoint = p;
      DragStep(view, p, shift, alt);
      ExtendTrackLength(view, 0);
      KeepScrolling(view, pane, p);
      return;
    case kRollMaySelectTime:
      if (!BeyondThreshold(view, p, selectionTool ? 1 : 2)) return;
      if (selectionTool) {
        StartBand(view, p, true);
      } else {
        view->dragMode = kRollSelectTime;
        SweepTo(view, view->XToTime(p.x));
      }
      return;
    case kRollSelectTime:
      SweepTo(view, view->XToTime(p.x));
      KeepScrolling(view, pane, p);
      return;
    case kRollPressedEmpty: {
      if (!BeyondThreshold(view, p, 1)) return;
      int x = std::clamp<int>(p.x, view->dataRect.left, view->dataRect.right - 1);
      if (BeginDrawing(view, view->XToTime(x), shift, alt)) {
        view->dragMode = kRollDrawing;
        view->lastPoint = p;
        DragStep(view, {x, p.y}, shift, alt);
      }
      return;
    }
    default:
      return;
  }
}

void RightPress(Trackview* view, UINT msg, POINT p) {
  PianoRoll* roll = Roll(view);
  UpdateClickFlags(view, msg, p);
  Anchor(view, p);
  SetCapture(view->window);
  if (roll->pressHit == kHitNote) {
    if (!PressedSelected(view)) SelectOnly(view, roll->pressNote);
    view->dragMode = kRollPressed;
  } else if (roll->pressHit == kHitEmpty) {
    ClearSelection(view);
    view->dragMode = kRollPressed;
  }
}

void RightRelease(Trackview* view, POINT p) {
  bool moving = Editing(view->dragMode);
  view->dragMode = 0;
  if (GetCapture() != view->window) return;
  ReleaseCapture();
  if (!moving) RequestContextMenu(view, p);
}

// Which pop-up of menu 1050: 0 "Event", 1 "Track Non-data", 2 "NonData".
int MenuKind(Trackview* view) {
  if (view->menuFromMouse) {
    uint32_t hit = HitLocal(view->menuHitCode);
    if (OnNote(hit)) return 0;
    return hit == kHitEmpty ? 1 : 2;
  }
  if (view->rowCount <= 0) return 2;
  return AnyNoteSelected(view) ? 0 : 1;
}

void ContextMenu(Trackview* view, POINT screen) {
  HMENU resource = LoadMenuW(KvModule_Handle(), MAKEINTRESOURCEW(IDM_NOTE_MENU));
  if (!resource) return;
  HMENU menu = GetSubMenu(resource, MenuKind(view));
  UINT noSelection = AnyNoteSelected(view) ? MF_ENABLED : MF_GRAYED;
  for (UINT id : {4000u, 4001u, 4003u, 4060u, 4061u, 4062u, 4063u}) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | noSelection);
  }
  EnableMenuItem(menu, 4002, MF_BYCOMMAND | (ClipboardHasEvents() ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(menu, kCmdSnapping, MF_BYCOMMAND | (SnappingOn(view) ? MF_CHECKED : MF_UNCHECKED));
  int grid = GridRowOf(Prefs(view).gridValue);
  if (grid >= 0) CheckMenuRadioItem(menu, 6005, 6018, kFirstGridCommand + grid, MF_BYCOMMAND);
  int32_t row = view->hitRow;
  HWND window = view->window;
  UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0,
                                window, nullptr);
  DestroyMenu(resource);
  if (!StillAlive(window, Roll(view))) return;
  if (command) RunRollCommand(Roll(view), command, row);
  view->flags &= ~kMenuFlags;
}

}  // namespace

LRESULT SharedToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p = PointOf(lParam);
  switch (msg) {
    case WM_MOUSEMOVE:
      AutoScrollMouse(view, msg);
      if (view->dragMode) Move(view, pane, p, wParam, view->activeTool == kToolSelect);
      return 0;
    case WM_LBUTTONUP:
      if (view->dragMode == 0) return 0;
      return Release(view, p);
    case WM_CANCELMODE:
      Cancel(view);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      AutoScrollMouse(view, msg);
      if (Roll(view)->bandVisible && (wParam & MK_LBUTTON)) {
        CycleBandConstraint(view);
        return 0;
      }
      if (view->dragMode == 0 && !(wParam & MK_LBUTTON)) RightPress(view, msg, p);
      return 0;
    case WM_RBUTTONUP:
      if (!(wParam & MK_LBUTTON)) RightRelease(view, p);
      return 0;
    case WM_CONTEXTMENU:
      ContextMenu(view, p);
      return 0;
    case kMsgAutoScrollStep:
      if (view->dragMode == kRollRange && Roll(view)->bandVisible) {
        BandStep(view, pane, p);
      } else if (view->dragMode == kRollRange) {
        SelectRangeTo(view, view->YToRow(p.y), view->XToTime(p.x));
      } else if (Editing(view->dragMode)) {
        ExtendTrackLength(view, view->XToTime(p.x));
        DragStep(view, p, true, false);
      } else if (view->dragMode == kRollSelectTime) {
        SweepTo(view, view->XToTime(std::clamp<int>(p.x, view->dataRect.left, view->dataRect.right)));
      } else {
        StopAutoScroll(view);
      }
      return 0;
    default:
      return 0;
  }
}

LRESULT DrawToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK) return SharedToolMessage(view, pane, msg, wParam, lParam);
  if (view->dragMode != 0) return 0;
  PianoRoll* roll = Roll(view);
  POINT p = PointOf(lParam);
  UpdateClickFlags(view, msg, p);
  if (msg == WM_LBUTTONDBLCLK && HitLocal(view->hitCode) == kHitNote) {
    OpenVelocityBox(view, roll->pressNoteValid ? &roll->pressNote : nullptr);
    return 0;
  }
  Anchor(view, p);
  bool shift = wParam & MK_SHIFT, ctrl = wParam & MK_CONTROL;
  if (ctrl && shift) {
    Capture(view, kRollMaySelectTime);
    return 0;
  }
  if (!OnNote(roll->pressHit)) {
    ClearSelection(view);
    Capture(view, roll->pressHit == kHitEmpty ? kRollPressedEmpty : kRollPressed);
    return 0;
  }
  PreviewPressed(view);
  if (shift) {
    if (!AnyNoteSelected(view)) {
      roll->rangeRow = roll->pressRow;
      roll->rangeTime = roll->pressTime;
    }
    ResetRangeSelection(view);
    SelectRangeTo(view, roll->pressRow, roll->pressTime);
    Capture(view, kRollRange);
    return 0;
  }
  if (!ctrl && !PressedSelected(view)) {
    SelectOnly(view, roll->pressNote);
    roll->rangeRow = roll->pressRow;
    roll->rangeTime = roll->pressTime;
  }
  Capture(view, kRollPressed);
  return 0;
}

LRESULT SelectToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK) return SharedToolMessage(view, pane, msg, wParam, lParam);
  if (view->dragMode != 0) return 0;
  POINT p = PointOf(lParam);
  UpdateClickFlags(view, msg, p);
  if (msg == WM_LBUTTONDBLCLK && HitLocal(view->hitCode) == kHitNote) {
    PianoRoll* roll = Roll(view);
    OpenVelocityBox(view, roll->pressNoteValid ? &roll->pressNote : nullptr);
    return 0;
  }
  Anchor(view, p);
  bool modifiers = wParam & (MK_SHIFT | MK_CONTROL);
  if (!modifiers && PressedSelected(view)) {
    PreviewPressed(view);
    Capture(view, kRollPressed);
  } else {
    Capture(view, kRollMaySelectTime);
  }
  return 0;
}
