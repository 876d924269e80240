// The Paint and Erase tools: notes of the paint length laid one after
// another along a row, and events removed along a row by sweeping; each
// stroke is one labelled host edit.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "mididata/edit_commit.h"
#include "mididata/edit_gestures.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

// One step never lays more notes than this (a far zoomed-out view could
// otherwise ask for millions).
constexpr int kMaxNotesPerStep = 512;

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The grid in force for these tools: both switches on, Shift up, and at
// least one tick between lines.
bool GridActive(Trackview* view, bool shift) {
  EditorPrefs& prefs = Prefs(view);
  return prefs.snapEnabled && prefs.gridSwitch && !shift && view->snapGrid >= 1.0;
}

int64_t PaintLength(Trackview* view) { return std::max<int64_t>(TruncToInt64(Roll(view)->paintLength + 0.5), 1); }

int32_t RowUnder(Trackview* view, int y) {
  int32_t row = view->YToRow(y);
  return row >= 0 && row < view->rowCount ? row : -1;
}

bool ClearRoom(Trackview* view, int64_t start, int64_t length, int pitch) {
  bool changed = false;
  EventStore& store = Store(view);
  ClearRoomForNote(store, start, length, pitch, pitch, store.ChannelMask(), nullptr, &changed);
  return changed;
}

// Queues a painted note and sounds it for its length (no note-off needed).
bool QueuePainted(Trackview* view, int64_t start, int64_t length, int pitch) {
  EventStore& store = Store(view);
  MidiEvent note{}, stored{};
  if (!NewNote(view, start, length, pitch, false, &note, &stored)) return false;
  if (store.pending().QueueInsert(stored, nullptr) != S_OK) return false;
  if (Prefs(view).monitor && store.CanSendEvents()) {
    MidiEvent sounding = note;
    store.SendEvent(&sounding, 0);
  }
  ExtendTrackLength(view, SatAdd(start, length));
  return true;
}

void PaintStart(Trackview* view, int64_t t, bool shift, bool alt) {
  PianoRoll* roll = Roll(view);
  int pitch = PitchOfRow(roll->paintRow);
  if (pitch < 0 || !ScaleAllows(view, pitch, alt)) {
    roll->spanStart = roll->spanEnd = -1;
    return;
  }
  bool grid = GridActive(view, shift);
  double g = view->snapGrid;
  int64_t length = PaintLength(view);
  int64_t start = grid ? GridFloor(g, t) : std::max<int64_t>(t, 0);
  int64_t end = SatAdd(start, length);
  int64_t whole = TruncToInt64(g + 0.5);
  if (grid && whole > 0 && length % whole != 0) end = GridCeiling(g, end);
  ClearRoom(view, start, end - start, pitch);
  if (!QueuePainted(view, start, length, pitch)) {
    roll->spanStart = roll->spanEnd = -1;
    return;
  }
  roll->spanStart = start;
  roll->spanEnd = SatAdd(start, length);
  roll->lastTime = start;
}

void PaintStep(Trackview* view, int64_t t, bool shift) {
  PianoRoll* roll = Roll(view);
  int pitch = PitchOfRow(roll->paintRow);
  if (pitch < 0 || roll->spanStart < 0) return;
  t = std::max<int64_t>(t, 0);
  bool grid = GridActive(view, shift);
  double g = view->snapGrid;
  int64_t length = PaintLength(view);
  int64_t whole = TruncToInt64(g + 0.5);
  bool offGrid = grid && whole > 0 && length % whole != 0;
  PendingEdits& pending = Store(view).pending();
  for (int added = 0; roll->spanStart > t && added < kMaxNotesPerStep; ++added) {
    int64_t start = roll->spanStart - length;
    if (grid) start = GridFloor(g, start);
    if (start < 0 || start >= roll->spanStart) break;
    if (pending.FindPendingInsert(start, kEvNoteOn, static_cast<uint8_t>(pitch)) < 0) {
      ClearRoom(view, start, roll->spanStart - start, pitch);
      if (!QueuePainted(view, start, length, pitch)) break;
    }
    roll->spanStart = start;
  }
  for (int added = 0; roll->spanEnd <= t && added < kMaxNotesPerStep; ++added) {
    int64_t start = roll->spanEnd;
    if (offGrid && GridFloor(g, start) != start) start = GridCeiling(g, start);
    ClearRoom(view, start, length, pitch);
    if (!QueuePainted(view, start, length, pitch)) break;
    roll->spanEnd = SatAdd(start, length);
  }
  roll->lastTime = t;
}

void EraseStep(Trackview* view, int64_t t, bool first, bool shift) {
  PianoRoll* roll = Roll(view);
  if (!first && t == roll->lastTime) return;
  int64_t a = t, b = SatAdd(t, 1);
  if (GridActive(view, shift)) {
    a = GridFloor(view->snapGrid, t);
    b = GridCeiling(view->snapGrid, SatAdd(t, 1));
  }
  if (!first) {
    a = std::min(a, roll->lastTime);
    b = std::max(b, roll->lastTime);
  }
  int pitch = PitchOfRow(roll->paintRow);
  if (pitch >= 0 && b > a && ClearRoom(view, std::max<int64_t>(a, 0), b - std::max<int64_t>(a, 0), pitch)) {
    InvalidateNotes(roll);
  }
  roll->lastTime = t;
}

// A step at the pointer: a new row starts over.
void Step(Trackview* view, POINT p, bool first) {
  PianoRoll* roll = Roll(view);
  bool shift = KeyHeld(VK_SHIFT), alt = KeyHeld(VK_MENU);
  int64_t t = view->XToTime(p.x);
  int32_t row = RowUnder(view, p.y);
  bool newRow = row != roll->paintRow;
  if (newRow) roll->paintRow = row;
  if (view->dragMode == kRollPainting) {
    if (first || newRow) {
      PaintStart(view, t, shift, alt);
    } else {
      PaintStep(view, t, shift);
    }
  } else {
    EraseStep(view, t, first || newRow, shift);
  }
  InvalidateNotes(roll);
}

const kvchar* Label(Trackview* view) {
  PendingEdits& pending = Store(view).pending();
  if (view->dragMode == kRollPainting) {
    bool many = pending.PendingInsertCount() > 1 || pending.PendingChangeCount() > 1;
    return many ? L"Paint MIDI Events" : L"Paint MIDI Event";
  }
  bool many = pending.PendingDeleteCount() > 1 || pending.PendingChangeCount() > 1;
  return many ? L"Erase MIDI Events" : L"Erase MIDI Event";
}

void End(Trackview* view, bool discard) {
  CommitPending(Store(view), Label(view), discard);
  view->dragMode = 0;
  StopAutoScroll(view);
  if (view->window && GetCapture() == view->window) ReleaseCapture();  // no drag left to cancel
  InvalidateNotes(Roll(view));
  PostStateRefresh(view);
}

void Press(Trackview* view, UINT msg, POINT p, bool paint) {
  PianoRoll* roll = Roll(view);
  if (view->dragMode != 0) return;
  if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK) {
    view->flags |= kTvDoubleClick;
  } else {
    view->flags &= ~kTvDoubleClick;
  }
  if (HitLocal(view->hitCode) == kHitOutside) return;
  view->pressPoint = view->lastPoint = p;
  roll->pressTime = view->XToTime(p.x);
  roll->paintRow = RowUnder(view, p.y);
  roll->pressRow = roll->paintRow;
  view->dragMode = paint ? kRollPainting : kRollErasing;
  Store(view).pending().Clear();
  Step(view, p, true);
  SetCapture(view->window);
}

// A click below the rows moves the edit cursor.
void ClickOutside(Trackview* view, POINT p, bool paint) {
  if (view->flags & kTvDoubleClick) return;
  int64_t t = view->XToTime(p.x);
  if (paint) t = SnapTime(view, t, kSnapGrid | kSnapLoop);
  uint32_t flags = kCursorFollow | (KeyHeld(VK_CONTROL) ? kCursorSetsLoop : 0) | (KeyHeld(VK_SHIFT) ? kCursorExtend : 0);
  SetCursorPos(view, t, 0, flags);
  view->flags |= kTvHitStale;
}

LRESULT Message(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam, bool paintTool) {
  POINT p = PointOf(lParam);
  bool painting = view->dragMode == kRollPainting || view->dragMode == kRollErasing;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(view, msg, p, paintTool);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (view->dragMode == 0 && !(wParam & MK_LBUTTON)) Press(view, msg, p, !paintTool);
      return 0;
    case WM_MOUSEMOVE:
      if (!painting) return 0;
      AutoScrollMouse(view, msg);
      if (p.x == view->lastPoint.x && p.y == view->lastPoint.y) return 0;
      view->lastPoint = p;
      Step(view, p, false);
      {
        const TvRect& d = view->dataRect;
        StartAutoScroll(view, pane, p, RECT{d.left, d.top, d.right, d.bottom}, RECT{},
                        kScrollHorizontal | kScrollVertical | kScrollPastEnd);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (painting) {
        End(view, false);
      } else if (msg == WM_LBUTTONUP && HitLocal(view->hitCode) == kHitOutside) {
        ClickOutside(view, p, paintTool);
      } else if (msg == WM_RBUTTONUP) {
        RequestContextMenu(view, p);
      }
      return 0;
    case WM_CANCELMODE:
      if (painting) End(view, true);
      return 0;
    case kMsgAutoScrollStep:
      if (!painting) return SharedToolMessage(view, pane, msg, wParam, lParam);
      ExtendTrackLength(view, view->XToTime(p.x));
      Step(view, p, false);
      return 0;
    default:
      return SharedToolMessage(view, pane, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT PaintToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Message(view, pane, msg, wParam, lParam, true);
}

LRESULT EraseToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Message(view, pane, msg, wParam, lParam, false);
}
