// The five tool tables: hit tests, cursors, the keys every tool knows, tool
// selection, and the lookups of notes near the pointer that they share.
#include <algorithm>
#include <cstdlib>

#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

constexpr int kCycle[kToolCount] = {kToolDraw, kToolSelect, kToolPaint, kToolErase, kToolZoom};

// Ticks in a number of pixels, rounded.
int64_t TicksIn(Trackview* view, int pixels) { return view->PixelsToTicks(pixels); }

// The row under y, or -1 (code 1) off the rows.
int32_t RowAt(Trackview* view, int y) {
  int32_t row = view->YToRow(y);
  return row >= 0 && row < view->rowCount ? row : -1;
}

void ForgetHit(Trackview* view) {
  PianoRoll* roll = Roll(view);
  view->hitRow = -1;
  view->hitNote = 0;
  roll->pressNoteValid = false;
}

void RememberHit(Trackview* view, const NoteHit& hit) {
  PianoRoll* roll = Roll(view);
  view->hitNote = static_cast<uintptr_t>(hit.index) + 1;
  roll->pressNote = hit.path;
  roll->pressNoteValid = true;
}

uint32_t NoteHitTest(Trackview* view, TrackviewPane*, int x, int y) {
  ForgetHit(view);
  int32_t row = RowAt(view, y);
  if (row < 0) return kHitOutside;
  view->hitRow = row;
  int64_t t = view->XToTime(x);
  NoteHit hit;
  if (FindNoteNear(view, row, t, TicksIn(view, 8) / 2, &hit) != S_OK) return kHitEmpty;
  RememberHit(view, hit);
  int32_t left = view->TimeToX(hit.note.start);
  int32_t right = view->TimeToXUp(SatAdd(hit.note.start, std::max(hit.note.duration, 1)));
  int32_t edge = right - left < 3 ? -1 : std::min((right - left) / 3, 8) / 2;
  if (x >= left - 4 && x <= left + edge) return kHitNoteStart;
  if (x >= right - edge && x <= right + 4) return kHitNoteEnd;
  return kHitNote;
}

uint32_t SimpleHitTest(Trackview* view, TrackviewPane*, int x, int y) {
  ForgetHit(view);
  int32_t row = RowAt(view, y);
  if (row < 0) return kHitOutside;
  view->hitRow = row;
  NoteHit hit;
  if (FindNoteNear(view, row, view->XToTime(x), TicksIn(view, 4), &hit) != S_OK) return kHitEmpty;
  RememberHit(view, hit);
  return kHitNote;
}

int DrawCursor(Trackview* view, TrackviewPane*, uint32_t hitCode) {
  switch (HitLocal(hitCode)) {
    case kHitEmpty: return 3;
    case kHitNote: {
      int lock = Roll(view)->axisLock;
      if (view->dragMode == kRollMove && lock == 1) return 17;
      if (view->dragMode == kRollMove && lock == 2) return 18;
      return kArrowCursor;
    }
    case kHitNoteStart: return 100;
    case kHitNoteEnd: return 101;
    default: return kArrowCursor;
  }
}

int PaintCursor(uint32_t hitCode, int cursor) { return HitLocal(hitCode) == kHitOutside ? kArrowCursor : cursor; }

void CycleTools(Trackview* view, bool backwards) {
  int place = 0;
  for (int i = 0; i < kToolCount; ++i) {
    if (kCycle[i] == view->activeTool) place = i;
  }
  for (int step = 1; step <= kToolCount; ++step) {
    int next = backwards ? (place - step + kToolCount * 2) % kToolCount : (place + step) % kToolCount;
    if (SelectRollTool(view, kCycle[next])) return;
  }
}

// Keys every tool understands (key-down only).
LRESULT CommonKeys(Trackview* view, TrackviewPane*, UINT what, WPARAM key, LPARAM) {
  if (what == kQueryHoverChanged) {
    if (HitPane(view->hitCode) != kPaneLane) UpdateStripField(Roll(view));  // the lane shows its value
    return 0;
  }
  if (what != WM_KEYDOWN) return 0;
  bool shift = KeyHeld(VK_SHIFT), ctrl = KeyHeld(VK_CONTROL);
  HWND parent = view->window ? GetParent(view->window) : nullptr;
  bool used = false;
  if ((key == 'L' && !ctrl) || (key == 'Q' && !shift && !ctrl)) {
    if (key == 'L' && shift) {
      SetCursorRange(view, view->loopStart, view->loopLength, false);
    } else if (parent) {
      PostMessageW(parent, WM_COMMAND, kCmdLoopPlayback, 0);
    }
    used = true;
  }
  if (used || view->dragMode != 0) return used;
  if ((key == VK_UP || key == VK_DOWN) && shift) return ZoomVertical(view, key == VK_UP ? -1 : 1), 1;
  if (key == 'D') {
    if (ctrl) {
      SelectRollTool(view, kToolDraw);
    } else {
      CycleTools(view, shift);
    }
    PostStateRefresh(view);
    return 1;
  }
  if (key == VK_F5) {
    InvalidateNotes(Roll(view));
    InvalidateAreas(view, kAreaAll);
    PostStateRefresh(view);
    return 1;
  }
  return 0;
}

#define ROLL_TOOL(hitTest, message, cursor)                                                              \
  PaneCallbacks {                                                                                        \
    RollDataCreate, RollDataLayout, hitTest, message, PaintNotes, cursor, nullptr, CommonKeys, nullptr \
  }

}  // namespace

const PaneCallbacks kRollTools[kToolCount] = {
    ROLL_TOOL(NoteHitTest, DrawToolMessage, DrawCursor),
    ROLL_TOOL(NoteHitTest, SelectToolMessage, [](Trackview*, TrackviewPane*, uint32_t) { return 104; }),
    ROLL_TOOL(NoteHitTest, ZoomToolMessage, [](Trackview*, TrackviewPane*, uint32_t) { return 2; }),
    ROLL_TOOL(SimpleHitTest, PaintToolMessage, [](Trackview*, TrackviewPane*, uint32_t h) { return PaintCursor(h, 129); }),
    ROLL_TOOL(SimpleHitTest, EraseToolMessage, [](Trackview*, TrackviewPane*, uint32_t h) { return PaintCursor(h, 130); }),
};

BOOL SelectRollTool(Trackview* view, int tool) {
  if (!SelectTool(view, tool)) return FALSE;
  view->returnTool = -1;
  Prefs(view).activeTool = tool;
  return TRUE;
}

HRESULT ReadNote(Trackview* view, const ItemPath& path, MidiEvent* shown) {
  EventStore& store = Store(view);
  if (store.pending().PendingChangeFor(path, shown) != S_OK) {
    HRESULT hr = store.GetEvent(path, shown);
    if (FAILED(hr)) return hr;
  }
  return store.ToDisplay(path, shown);
}

HRESULT FindNoteNear(Trackview* view, int32_t row, int64_t t, int64_t tolerance, NoteHit* hit) {
  int pitch = PitchOfRow(row);
  if (pitch < 0) return S_FALSE;
  EventStore& store = Store(view);
  int64_t from = SatSub(t, tolerance);
  int32_t index = store.FirstIndexReaching(from);
  bool found = false;
  for (;;) {
    ItemPath path{};
    MidiEvent note{};
    HRESULT hr = store.FindInWindow(&index, &path, &note, from, 2 * tolerance, kEvNoteOn, false, true);
    if (FAILED(hr)) return hr;
    if (hr != S_OK) break;
    int32_t at = index - 1;
    hr = store.ToDisplay(path, &note);
    if (FAILED(hr)) return hr;
    if (note.data[0] != pitch || store.pending().FindPendingDelete(path) >= 0) continue;
    if (!found || (note.flags & kEventSelected)) {
      *hit = NoteHit{at, path, note};
      found = true;
      if (note.flags & kEventSelected) break;
    }
  }
  return found ? S_OK : S_FALSE;
}

void PostStateRefresh(Trackview* view) { PostUpdateUi(view); }

SnapSources SnapPoints(Trackview* view) {
  SnapSources s;
  s.grid = view->snapGrid;
  s.cursorValid = !IsPlaying(view);
  s.cursor = view->cursorPos;
  s.loopValid = IsLoopPlayback(view) && view->cursorExtent == 0 && Prefs(view).loopMode <= 1;
  s.loopStart = view->loopStart;
  s.loopEnd = SatAdd(view->loopStart, view->loopLength);
  return s;
}

int64_t SnapTime(Trackview* view, int64_t t, uint32_t mask) {
  return SnappingOn(view) ? SnapNearest(SnapPoints(view), t, mask) : t;
}

bool ScaleAllows(Trackview* view, int pitch, bool alt) {
  EditorPrefs& prefs = Prefs(view);
  if (!prefs.scaleSnap || alt) return true;
  return InScale(pitch, std::clamp(prefs.keyRoot, 0, 11), prefs.scaleIndex);
}
