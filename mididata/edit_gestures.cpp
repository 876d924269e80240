// Selection snapshots, velocities, room for new notes and deleting the selection.
#include "mididata/edit_gestures.h"

#include <algorithm>
#include <vector>

#include "mididata/edit_commit.h"
#include "mididata/edit_labels.h"
#include "mididata/edit_walk.h"

namespace {

constexpr uint32_t kVelocityTypes = kEvNoteOn | kEvNoteOff;

// The stored velocity byte for a velocity in the shown form: only byte 2 goes
// through the inverse transform, the stored pitch stays as it is.
HRESULT StoreVelocity(EventStore& store, const ItemPath& path, MidiEvent* stored, uint8_t shown) {
  MidiEvent probe = *stored;
  probe.data[1] = shown;
  HRESULT hr = store.ToStored(path, &probe);
  if (FAILED(hr)) return hr;
  stored->data[1] = probe.data[1];
  return S_OK;
}

// The record a reader shows for a path: its pending change, else the host's.
MidiEvent Current(EventStore& store, const ItemPath& path, const MidiEvent& host) {
  MidiEvent pending{};
  return store.pending().PendingChangeFor(path, &pending) == S_OK ? pending : host;
}

struct LineNote {
  ItemPath path;
  MidiEvent record;  // stored form, pending change applied
  uint8_t shownVelocity;
};

// Whether a Note On (stored form, of the given track) shows a pitch in lo..hi.
HRESULT ShownPitchIn(EventStore& store, const ItemPath& path, const MidiEvent& e, int32_t lo, int32_t hi, bool* in) {
  MidiEvent shown = e;
  HRESULT hr = store.ToDisplay(path, &shown);
  if (FAILED(hr)) return hr;
  *in = shown.data[0] >= lo && shown.data[0] <= hi;
  return S_OK;
}

}  // namespace

HRESULT BeginMoveOrResize(EventStore& store) {
  return WalkSelectedEvents(store, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (!(e.flags & kEventSelected)) return S_OK;
    return store.pending().QueueChange(path, e, kSetAll);
  });
}

HRESULT SetSelectedVelocity(EventStore& store, uint8_t velocity) {
  HRESULT hr = WalkSelectedEvents(store, [&](int32_t, const ItemPath& path, MidiEvent& e) -> HRESULT {
    if (!(e.flags & kEventSelected) || !(e.type & kVelocityTypes)) return S_OK;
    HRESULT r = StoreVelocity(store, path, &e, velocity);
    if (FAILED(r)) return r;
    return store.pending().QueueChange(path, e, kSetAll);
  });
  if (FAILED(hr)) {
    CommitPending(store, nullptr, true);
    return hr;
  }
  return CommitPending(store, EditLabel(EditKind::SetVelocity, store.pending()), false);
}

HRESULT VelocityLine(EventStore& store, int64_t time1, int32_t value1, int64_t time2, int32_t value2,
                     int64_t ticksPerPixel, uint32_t channelMask) {
  if (time1 > time2) {
    std::swap(time1, time2);
    std::swap(value1, value2);
  }
  const long double slope =
      time2 == time1 ? 0.0L : static_cast<long double>(value2 - value1) / static_cast<long double>(time2 - time1);
  const int64_t from = time1 - ticksPerPixel;
  std::vector<LineNote> notes;
  TrackChannels channels(store);
  HRESULT hr = WalkEventsIn(store, from, time2, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (e.type != kEvNoteOn || store.pending().FindPendingDelete(path) >= 0) return S_OK;
    const MidiEvent record = Current(store, path, e);
    if (record.start < from || record.start > time2) return S_OK;
    bool admitted = false;
    HRESULT r = channels.Admits(path.trackId, record, channelMask, &admitted);
    if (FAILED(r) || !admitted) return r;
    MidiEvent shown = record;
    r = store.ToDisplay(path, &shown);
    if (FAILED(r)) return r;
    notes.push_back(LineNote{path, record, shown.data[1]});
    return S_OK;
  });
  if (FAILED(hr)) return hr;

  // Notes sharing a start: when one of them is selected, only the selected change.
  for (size_t first = 0; first < notes.size();) {
    size_t last = first;
    bool anySelected = false;
    while (last < notes.size() && notes[last].record.start == notes[first].record.start)
      anySelected |= (notes[last++].record.flags & kEventSelected) != 0;
    for (size_t i = first; i < last; ++i) {
      LineNote& n = notes[i];
      if (anySelected && !(n.record.flags & kEventSelected)) continue;
      const long double exact = slope * static_cast<long double>(n.record.start - time1) + value1;
      const int32_t value = std::clamp(static_cast<int32_t>(std::clamp(exact, -1.0L, 128.0L)), 1, 127);
      if (value == n.shownVelocity) continue;
      hr = StoreVelocity(store, n.path, &n.record, static_cast<uint8_t>(value));
      if (SUCCEEDED(hr)) hr = store.pending().QueueChange(n.path, n.record, kSetAll);
      if (FAILED(hr)) return hr;
    }
    first = last;
  }
  return S_OK;
}

HRESULT ClearRoomForNote(EventStore& store, int64_t start, int64_t length, int32_t note1, int32_t note2,
                         uint32_t channelMask, int32_t* drawnInsert, bool* changed) {
  *changed = false;
  const int32_t lo = std::min(note1, note2);
  const int32_t hi = std::max(note1, note2);
  const int64_t end = start + length;
  PendingEdits& pending = store.pending();
  TrackChannels channels(store);

  // Shortened when it reaches into the window from before, deleted when it starts inside.
  auto verdict = [&](const MidiEvent& e) {
    if (e.start < start && e.start + e.duration > start) return 1;
    if (e.start >= start && e.start < end) return 2;
    return 0;
  };

  HRESULT hr = WalkEventsIn(store, start, end, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (e.type != kEvNoteOn || pending.FindPendingDelete(path) >= 0) return S_OK;
    MidiEvent record = Current(store, path, e);
    const int action = verdict(record);
    if (action == 0) return S_OK;
    bool admitted = false, inRange = false;
    HRESULT r = channels.Admits(path.trackId, record, channelMask, &admitted);
    if (SUCCEEDED(r) && admitted) r = ShownPitchIn(store, path, record, lo, hi, &inRange);
    if (FAILED(r) || !admitted || !inRange) return r;
    *changed = true;
    if (action == 2) return pending.QueueDelete(path);
    record.duration = static_cast<int32_t>(start - record.start);
    return pending.QueueChange(path, record, kSetAll);
  });
  if (FAILED(hr)) return hr;
  if (pending.PendingInsertCount() == 0) return S_OK;

  ItemPath target{};
  hr = EditTargetPath(store, &target);
  if (FAILED(hr)) return hr;
  for (int32_t i = 0; i < pending.PendingInsertCount();) {
    MidiEvent e{};
    pending.PendingInsertAt(i, &e);
    const int action = (drawnInsert && i == *drawnInsert) || e.type != kEvNoteOn ? 0 : verdict(e);
    bool admitted = false, inRange = false;
    if (action != 0) {
      hr = channels.Admits(target.trackId, e, channelMask, &admitted);
      if (SUCCEEDED(hr) && admitted) hr = ShownPitchIn(store, target, e, lo, hi, &inRange);
      if (FAILED(hr)) return hr;
    }
    if (action == 0 || !admitted || !inRange) {
      ++i;
      continue;
    }
    *changed = true;
    if (action == 1) {
      e.duration = static_cast<int32_t>(start - e.start);
      hr = pending.QueueInsert(e, &i);
      ++i;
    } else {
      hr = pending.RemovePendingInsert(i);
      if (drawnInsert && *drawnInsert > i) --*drawnInsert;
    }
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT DeleteSelection(EventStore& store) {
  HRESULT hr = WalkSelectedEvents(store, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    return (e.flags & kEventSelected) ? store.pending().QueueDelete(path) : S_OK;
  });
  if (FAILED(hr)) {
    CommitDeletes(store, true);
    return hr;
  }
  return CommitDeletes(store, false);
}
