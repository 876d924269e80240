// The edits the note tools make: the preview that sounds while editing,
// selecting, and the move, sizing and drawing steps of one open edit that
// is committed under its label at the end of the gesture.
#include <algorithm>
#include <cstdlib>

#include "mididata/edit_commit.h"
#include "mididata/edit_gestures.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

constexpr int64_t kLongestDuration = 0x7FFFFFFF;
constexpr uint8_t kNewVelocity = 64;

int32_t ClampDuration(int64_t duration) {
  return static_cast<int32_t>(std::clamp<int64_t>(duration, 1, kLongestDuration));
}

int64_t EndOf(const MidiEvent& e) { return SatAdd(e.start, e.duration); }

// The shift between the shown and the stored pitch of the edited track.
int PitchShift(Trackview* view, const ItemPath& path, const MidiEvent& stored) {
  MidiEvent shown = stored;
  if (FAILED(Store(view).ToDisplay(path, &shown))) return 0;
  return shown.data[0] - stored.data[0];
}

bool IsDrawMode(int32_t mode) { return mode == kRollDrawing; }

}  // namespace

bool NewNote(Trackview* view, int64_t start, int64_t length, int pitch, bool selected, MidiEvent* shown,
             MidiEvent* stored) {
  EventStore& store = Store(view);
  ItemPath target{};
  if (FAILED(EditTargetPath(store, &target))) return false;
  int32_t channel = 0;
  TrackChannel(store, target.trackId, &channel);
  MidiEvent note{};
  note.type = kEvNoteOn;
  note.flags = selected ? uint32_t{kEventSelected} : 0u;
  note.channel = channel < 0 ? 0 : channel;
  note.start = start;
  note.timeFormat = kTimeTicks;
  note.duration = ClampDuration(length);
  note.data[0] = static_cast<uint8_t>(pitch);
  note.data[1] = kNewVelocity;
  *shown = note;
  *stored = note;
  return SUCCEEDED(store.ToStored(target, stored));
}

void StartPreview(Trackview* view, const MidiEvent& note) {
  PianoRoll* roll = Roll(view);
  StopPreview(view);
  EventStore& store = Store(view);
  if (!Prefs(view).monitor || !store.CanSendEvents()) return;
  MidiEvent on{};
  on.type = kEvNoteOn;
  on.channel = note.channel;
  on.timeFormat = kTimeTicks;
  on.duration = ClampDuration(note.duration);
  on.data[0] = note.data[0];
  on.data[1] = note.data[1] ? note.data[1] : kNewVelocity;
  if (SUCCEEDED(store.SendEvent(&on, 0))) {
    roll->previewing = true;
    roll->previewNote = on;
  }
}

void StopPreview(Trackview* view) {
  PianoRoll* roll = Roll(view);
  if (!roll->previewing) return;
  roll->previewing = false;
  MidiEvent off{};
  off.type = kEvNoteOff;
  off.channel = roll->previewNote.channel;
  off.port = roll->previewNote.port;
  off.timeFormat = kTimeTicks;
  off.data[0] = roll->previewNote.data[0];
  off.data[1] = 1;
  Store(view).SendEvent(&off, 0);
}

void SelectOnly(Trackview* view, const ItemPath& path) {
  EventStore& store = Store(view);
  store.SelectAllNotes(false);
  store.SetSelected(path, true);
  InvalidateNotes(Roll(view));
  PostStateRefresh(view);
}

HRESULT ToggleSelected(Trackview* view, const ItemPath& path) {
  MidiEvent note{};
  HRESULT hr = Store(view).GetEvent(path, &note);
  if (FAILED(hr)) return hr;
  hr = Store(view).SetSelected(path, !(note.flags & kEventSelected));
  InvalidateNotes(Roll(view));
  PostStateRefresh(view);
  return hr;
}

void ResetRangeSelection(Trackview* view) { Roll(view)->rangeApplied = false; }

// Each step selects what the range holds and deselects what it no longer
// holds: only the notes of the old and the new range are visited.
void SelectRangeTo(Trackview* view, int32_t row, int64_t t) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  int64_t from = std::min(roll->rangeTime, t), to = std::max(roll->rangeTime, t);
  if (to == from) to = from + 1;
  int32_t topRow = std::clamp(std::min(roll->rangeRow, row), 0, kRollRows - 1);
  int32_t bottomRow = std::clamp(std::max(roll->rangeRow, row), 0, kRollRows - 1);
  int64_t walkFrom = from, walkTo = to;
  if (!roll->rangeApplied) {
    store.SelectAllNotes(false);
    roll->rangeApplied = true;
  } else {
    walkFrom = std::min(walkFrom, roll->selectedFrom);
    walkTo = std::max(walkTo, roll->selectedTo);
  }
  store.SelectOnlyInRange(from, to - from, PitchOfRow(bottomRow), PitchOfRow(topRow), walkFrom, walkTo - walkFrom);
  roll->selectedFrom = from;
  roll->selectedTo = to;
  InvalidateNotes(roll);
  PostStateRefresh(view);
}

bool BeginMove(Trackview* view) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  if (!roll->pressNoteValid) return false;
  MidiEvent grabbed{};
  if (FAILED(ReadNote(view, roll->pressNote, &grabbed))) return false;
  if (FAILED(BeginMoveOrResize(store))) {
    store.pending().Clear();
    return false;
  }
  // One pass over what moves: the time limits, the pitch range and the ends.
  PendingEdits& pending = store.pending();
  int64_t earliest = INT64_MAX, latest = 0;
  int lowest = 127, highest = 0;
  for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
    ItemPath path{};
    MidiEvent e{};
    if (pending.PendingChangeAt(i, &path, &e) != S_OK || e.type != kEvNoteOn) continue;
    earliest = std::min(earliest, e.start);
    latest = std::max(latest, EndOf(e));
    lowest = std::min<int>(lowest, e.data[0]);
    highest = std::max<int>(highest, e.data[0]);
  }
  if (earliest == INT64_MAX) earliest = grabbed.start;
  MidiEvent stored{};
  pending.PendingChangeFor(roll->pressNote, &stored);
  int shift = grabbed.data[0] - stored.data[0];
  roll->grabbed = grabbed;
  roll->grabbedPath = roll->pressNote;
  roll->snapOffset = roll->pressTime - grabbed.start;
  roll->deltaLow = -earliest;
  roll->deltaHigh = std::max<int64_t>(kMaxTotalLength - latest, 0);
  // The grabbed note's pitch may move so far that every note stays on a row.
  roll->rowLow = grabbed.data[0] - (lowest + shift);
  roll->rowHigh = grabbed.data[0] + (127 - (highest + shift));
  roll->appliedDelta = 0;
  roll->appliedPitch = 0;
  roll->gestureEnd = latest;
  // Each note's own pitch at the start: a step tries that pitch plus the
  // grabbed note's change, so a note the scale refuses stays where it began.
  std::free(roll->movePitches);
  roll->movePitchCount = 0;
  roll->movePitches = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pending.PendingChangeCount()) + 1));
  for (int32_t i = 0; roll->movePitches && i < pending.PendingChangeCount(); ++i) {
    MidiEvent e{};
    pending.PendingChangeAt(i, nullptr, &e);
    roll->movePitches[roll->movePitchCount++] = e.data[0];
  }
  view->flags &= ~0x800000u;
  return true;
}

void MoveStep(Trackview* view, int64_t t, int32_t row, bool shift, bool alt) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  PendingEdits& pending = store.pending();
  const MidiEvent& g = roll->grabbed;
  int64_t delta = std::clamp(SatSub(t, roll->pressTime), roll->deltaLow, roll->deltaHigh);
  if (!shift) {
    int64_t start = SnapTime(view, SatAdd(g.start, delta), kSnapAll);
    delta = std::clamp(SatSub(start, g.start), roll->deltaLow, roll->deltaHigh);
  }
  int target = PitchOfRow(std::clamp(row, 0, kRollRows - 1));
  target = std::clamp(target, roll->rowLow, roll->rowHigh);
  int pitchChange = target - g.data[0];  // from the grabbed note's pitch at the start
  if (roll->axisLock == 2) delta = 0;
  if (roll->axisLock == 1) pitchChange = 0;
  if (delta == roll->appliedDelta && pitchChange == roll->appliedPitch) return;

  int64_t step = delta - roll->appliedDelta;
  for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
    ItemPath path{};
    MidiEvent e{};
    if (pending.PendingChangeAt(i, &path, &e) != S_OK) continue;
    e.start = std::max<int64_t>(SatAdd(e.start, step), 0);
    if (e.type == kEvNoteOn && i < roll->movePitchCount && pitchChange != roll->appliedPitch) {
      int original = roll->movePitches[i];
      int stored = original + pitchChange;
      int shown = stored + PitchShift(view, path, e);
      bool allowed = stored >= 0 && stored <= 127 && ScaleAllows(view, shown, alt);
      uint8_t pitch = static_cast<uint8_t>(allowed ? stored : original);
      if (SamePath(path, roll->grabbedPath) && pitch != e.data[0]) {
        MidiEvent sounding = e;
        sounding.data[0] = static_cast<uint8_t>(std::clamp(pitch + PitchShift(view, path, e), 0, 127));
        StopPreview(view);
        StartPreview(view, sounding);
      }
      e.data[0] = pitch;
    }
    if (e.type == kEvNoteOn) roll->gestureEnd = std::max(roll->gestureEnd, EndOf(e));
    pending.QueueChange(path, e, kSetAll);
  }
  roll->appliedDelta = delta;
  roll->appliedPitch = pitchChange;
  InvalidateNotes(roll);
}

bool BeginSizing(Trackview* view, bool endEdge) {
  PianoRoll* roll = Roll(view);
  if (!roll->pressNoteValid) return false;
  MidiEvent shown{}, stored{};
  if (FAILED(ReadNote(view, roll->pressNote, &shown))) return false;
  if (FAILED(Store(view).GetEvent(roll->pressNote, &stored))) return false;
  int64_t start = shown.start, end = EndOf(shown);
  roll->snapOffset = roll->pressTime - (endEdge ? end : start);
  if (endEdge) {
    roll->deltaLow = std::min<int64_t>(1 - shown.duration, 0);
    roll->deltaHigh = std::max<int64_t>(kLongestDuration - shown.duration, 0);
  } else {
    roll->deltaLow = std::min<int64_t>(-start, 0);
    roll->deltaHigh = std::max<int64_t>(shown.duration - 1, 0);
  }
  if (roll->deltaLow == 0 && roll->deltaHigh == 0) return false;
  roll->grabbed = shown;
  roll->grabbedPath = roll->pressNote;
  roll->gestureEnd = end;
  return Store(view).pending().QueueChange(roll->pressNote, stored, kSetAll) == S_OK;
}

void SizeStep(Trackview* view, int64_t t, bool shift) {
  PianoRoll* roll = Roll(view);
  const MidiEvent& g = roll->grabbed;
  int64_t delta = std::clamp(SatSub(t, roll->pressTime), roll->deltaLow, roll->deltaHigh);
  int64_t start = g.start, end = EndOf(g);
  bool snap = !shift && SnappingOn(view);
  SnapSources points = SnapPoints(view);
  if (view->dragMode == kRollSizeStart) {
    int64_t s = start + delta;
    if (snap) {
      s = SnapNearest(points, s, kSnapAll);
      if (s >= end) s = SnapBackward(points, end - 1, kSnapAll);
    }
    start = std::clamp(s, g.start + roll->deltaLow, g.start + roll->deltaHigh);
    if (start >= end) start = end - 1;
  } else {
    int64_t e = end + delta;
    if (snap) {
      e = SnapNearest(points, e, kSnapAll);
      if (e <= start) e = SnapForward(points, start + 1, kSnapAll);
    }
    end = std::clamp(e, end + roll->deltaLow, end + roll->deltaHigh);
  }
  int32_t duration = ClampDuration(end - start);
  EventStore& store = Store(view);
  MidiEvent e{};
  if (store.pending().PendingChangeFor(roll->grabbedPath, &e) != S_OK) return;
  if (e.start == start && e.duration == duration) return;
  e.start = start;
  e.duration = duration;
  store.pending().QueueChange(roll->grabbedPath, e, kSetAll);
  roll->gestureEnd = std::max(roll->gestureEnd, start + duration);
  InvalidateNotes(roll);
}

bool BeginDrawing(Trackview* view, int64_t t, bool shift, bool alt) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  int pitch = PitchOfRow(roll->pressRow);
  if (roll->pressHit != kHitEmpty || pitch < 0) return false;
  if (!ScaleAllows(view, pitch, alt)) return false;
  int64_t ts = roll->pressTime;
  int64_t length = SatSub(t, ts);
  if (length > -2 && length < 2) length = 1;
  if (length < 0) length = SatSub(0, length);
  int64_t start = ts;
  if (!shift && SnappingOn(view)) {
    SnapSources points = SnapPoints(view);
    start = SnapNearest(points, ts, kSnapAll);
    int64_t end = SnapForward(points, SatAdd(start, length), kSnapAll);
    if (end != kNoSnapAfter) length = end - start;
    roll->snapOffset = start - ts;
  }
  if (length <= 0 || start < 0) return false;

  MidiEvent note{}, stored{};
  if (!NewNote(view, start, length, pitch, true, &note, &stored)) return false;
  store.SelectAllNotes(false);
  roll->drawnInsert = -1;
  if (store.pending().QueueInsert(stored, &roll->drawnInsert) != S_OK) return false;
  roll->grabbed = note;
  roll->gestureEnd = EndOf(note);
  ExtendTrackLength(view, roll->gestureEnd);
  StartPreview(view, note);
  InvalidateNotes(roll);
  return true;
}

// The new note spans from the press to the pointer; its moving edge goes to
// the snap point the pointer is nearer to, never onto the fixed edge.
void DrawStep(Trackview* view, int64_t t, bool shift) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  MidiEvent stored{};
  if (store.pending().PendingInsertAt(roll->drawnInsert, &stored) != S_OK) return;
  int64_t anchor = roll->grabbed.start;
  bool rightward = t >= anchor;
  int64_t fixed = anchor;  // the snapped press: the start to the right, the end to the left
  int64_t moving = t;
  if (!shift && SnappingOn(view)) {
    SnapSources points = SnapPoints(view);
    int64_t previous = SnapBackward(points, SatAdd(t, 1), kSnapAll);
    int64_t next = SnapForward(points, t, kSnapAll);
    bool nearerPrevious = next == kNoSnapAfter || SatSub(t, previous) <= SatSub(next, t);
    moving = nearerPrevious ? previous : next;
    if (rightward && moving <= fixed) moving = next;
    if (!rightward && moving >= fixed) moving = previous;
    if (moving == kNoSnapAfter || moving == kNoSnapBefore) moving = t;
  }
  int64_t start = rightward ? fixed : std::max<int64_t>(std::min(moving, fixed - 1), 0);
  int64_t end = rightward ? std::max(moving, fixed + 1) : fixed;
  int32_t duration = ClampDuration(end - start);
  if (stored.start == start && stored.duration == duration) return;
  stored.start = start;
  stored.duration = duration;
  store.pending().QueueInsert(stored, &roll->drawnInsert);
  roll->gestureEnd = std::max(roll->gestureEnd, start + duration);
  InvalidateNotes(roll);
}

// The time line grows to hold the gesture's notes: whole measures, then
// whole grid steps; it never shrinks here.
void ExtendTrackLength(Trackview* view, int64_t atLeast) {
  PianoRoll* roll = Roll(view);
  int64_t length = std::max({view->totalLength, atLeast, roll->gestureEnd});
  if (length <= view->totalLength) return;
  int64_t measure = TicksPerMeasure(view->timeBase);
  if (measure > 0) length = MulDivTrunc(SatAdd(length, measure - 1), 1, measure) * measure;
  int64_t grid = TruncToInt64(view->snapGrid + 0.5);
  if (grid > 0) length = MulDivTrunc(SatAdd(length, grid - 1), 1, grid) * grid;
  view->SetTotalLength(std::min(length, kMaxTotalLength));
}

void CommitGesture(Trackview* view, bool discard) {
  PianoRoll* roll = Roll(view);
  EventStore& store = Store(view);
  const kvchar* label = L"Draw MIDI Event";
  if (view->dragMode == kRollMove) {
    StopPreview(view);
    label = store.pending().PendingChangeCount() > 1 ? L"Move MIDI Events" : L"Move MIDI Event";
  } else if (view->dragMode == kRollSizeStart || view->dragMode == kRollSizeEnd) {
    label = L"Size MIDI Event";
  } else if (IsDrawMode(view->dragMode)) {
    StopPreview(view);
  }
  CommitPending(store, label, discard);
  std::free(roll->movePitches);
  roll->movePitches = nullptr;
  roll->movePitchCount = 0;
  roll->axisLock = 0;
  roll->drawnInsert = -1;
  InvalidateNotes(roll);
  PostStateRefresh(view);
}

void StopSounding(PianoRoll* roll) {
  StopPreview(roll);
  ReleaseKey(roll);
}
