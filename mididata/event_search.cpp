// Finding events by time, pitch and selection, and changing the selected flag.
#include <algorithm>
#include <new>
#include <vector>

#include "mididata/event_store.h"
#include "mididata/host_bracket.h"
#include "mididata/host_enum.h"

namespace {

const ItemPath& EntryAt(KvList list, int32_t index) {
  return *static_cast<const ItemPath*>(KvList_At(list, index));
}

int64_t EndOf(const MidiEvent& e) { return e.type == kEvNoteOn ? e.start + e.duration : e.start; }

// Payload-owning record read from the host; frees the payload when it goes.
struct EventRecord {
  MidiEvent event{};
  EventRecord() = default;
  EventRecord(const EventRecord&) = delete;
  EventRecord& operator=(const EventRecord&) = delete;
  ~EventRecord() { FreeEventPayload(&event); }
  HRESULT Read(HostMidiData* data, const ItemPath& path) {
    FreeEventPayload(&event);
    ItemPath p = path;
    return data->GetItem(&p, kLevelEvent, &event, kGetEvent);
  }
};

}  // namespace

HRESULT EventStore::FindInWindow(int32_t* index, ItemPath* path, MidiEvent* record, int64_t start, int64_t length,
                                 uint32_t typeMask, bool points, bool stopPastWindow) {
  HRESULT hr = EnsureView();
  if (FAILED(hr)) return hr;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  const bool bounded = stopPastWindow && start != kNoWindow && otherFormats_ == 0;
  const int64_t windowEnd = length > INT64_MAX - start ? INT64_MAX : start + length;
  while (*index >= 0 && *index < KvList_Count(events_)) {
    if (bounded && ListedStart(*index) > windowEnd) return S_FALSE;
    const ItemPath p = EntryAt(events_, (*index)++);
    EventRecord r;
    hr = r.Read(host_.data, p);
    if (FAILED(hr)) return hr;
    if (!(r.event.type & typeMask)) continue;
    int64_t t = r.event.start;
    if (r.event.timeFormat != kTimeTicks && host_.time) {
      LONGLONG ticks = 0;
      hr = host_.time->Convert(static_cast<DWORD>(t), static_cast<LONG>(t >> 32), r.event.timeFormat, 0, &ticks,
                               kTimeTicks, 0);
      if (FAILED(hr)) return hr;
      t = ticks;
    }
    const int64_t end = (r.event.type == kEvNoteOn && !points && t <= INT64_MAX - r.event.duration)
                            ? t + r.event.duration
                            : t;
    if (start == kNoWindow || (end >= start && t <= windowEnd)) {
      *path = p;
      *record = r.event;
      r.event.type = 0;  // the payload now belongs to the caller
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT EventStore::FindFirstAt(ItemPath* path, int64_t time, uint32_t typeMask, uint32_t channelMask,
                                uint32_t flags) {
  HRESULT hr = EnsureView();
  if (FAILED(hr)) return hr;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  TrackKey track{};
  const int32_t n = KvList_Count(events_);
  // The list is in start order: nothing before the events that can reach the
  // time matters, and without kFindStartingAfter nothing after it.
  for (int32_t i = FirstIndexReaching(time); i < n; ++i) {
    if (!(flags & kFindStartingAfter) && otherFormats_ == 0 && ListedStart(i) > time) break;
    const ItemPath p = EntryAt(events_, i);
    EventRecord r;
    hr = r.Read(host_.data, p);
    if (FAILED(hr)) return hr;
    const MidiEvent& e = r.event;
    if (!(e.type & typeMask)) continue;
    if (track.trackId != p.trackId) {
      hr = ReadTrackKey(p.trackId, &track);
      if (FAILED(hr)) return hr;
    }
    if (!ChannelAdmitted(EffectiveChannel(track.channel, e.channel), channelMask)) continue;
    const bool covers = e.type == kEvNoteOn ? (e.start <= time && time < e.start + e.duration) : e.start == time;
    const bool after = (flags & kFindStartingAfter) && e.start > time;
    if (!covers && !after) continue;

    // Earlier events of the same block that still start at or after the time
    // come first for the user.
    ItemPath found = p;
    DWORD cursor = p.eventId;
    ItemPath walk{p.trackId, p.blockId, 0};
    MidiEvent prev{};
    hr = host_.data->EnumPrev(&walk, kLevelEvent, &prev, &cursor, typeMask);
    FreeEventPayload(&prev);
    while (SUCCEEDED(hr) && hr == S_OK && cursor != 0) {
      walk = ItemPath{p.trackId, p.blockId, 0};
      hr = host_.data->EnumPrev(&walk, kLevelEvent, &prev, &cursor, typeMask);
      if (FAILED(hr)) return hr;
      const bool earlierStart = prev.start < time;
      // Only an event the list holds, of an admitted channel, can be the one found.
      const int32_t channel = EffectiveChannel(track.channel, prev.channel);
      const bool listed = (prev.type & typeMask_) && ChannelAdmitted(channel, channelMask_) &&
                          ChannelAdmitted(channel, channelMask);
      FreeEventPayload(&prev);
      if (hr != S_OK || earlierStart) break;
      if (walk.eventId != 0 && listed) found = walk;
    }
    if (FAILED(hr)) return hr;
    *path = found;
    return S_OK;
  }
  return S_FALSE;
}

HRESULT EventStore::NextEvent(ItemPath* path, uint32_t typeFilter, uint32_t channelMask) {
  if (!host_.data) return E_UNEXPECTED;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  TrackKey track{};
  HRESULT hr = ReadTrackKey(path->trackId, &track);
  if (FAILED(hr)) return hr;
  DWORD cursor = path->eventId;
  bool skippedSelf = false;
  while (cursor != 0) {
    ItemPath walk{path->trackId, path->blockId, 0};
    MidiEvent e{};
    hr = host_.data->EnumNext(&walk, kLevelEvent, &e, &cursor, typeFilter);
    FreeEventPayload(&e);
    if (FAILED(hr)) return hr;
    if (hr != S_OK) break;
    if (!skippedSelf && walk.eventId == path->eventId) {
      skippedSelf = true;
      continue;
    }
    skippedSelf = true;
    if (walk.eventId != 0 && ChannelAdmitted(EffectiveChannel(track.channel, e.channel), channelMask)) {
      *path = walk;
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT EventStore::SelectRange(int64_t start, int64_t length, int32_t lowNote, int32_t highNote, bool select) {
  if (!host_.data) return E_UNEXPECTED;
  // With a start, the walk covers what can reach it and, with a length too,
  // stops at the first event that starts past the range (the list is in start
  // order when every start is in ticks).
  const int32_t first = start >= 0 ? FirstIndexReaching(start) : 0;
  const int64_t end = start >= 0 && length > 0 ? (length > INT64_MAX - start ? INT64_MAX : start + length) : INT64_MAX;
  HostBracket bracket(host_.data, 1, nullptr);
  if (!bracket.Opened()) return bracket.result();
  lowNote = lowNote < 0 ? 0 : std::min(lowNote, 127);
  highNote = highNote < 0 ? 127 : std::min(highNote, 127);
  const bool hasStart = start >= 0;
  const bool hasLength = length > 0;
  if (!select && !hasStart && !hasLength && lowNote == 0 && highNote == 127) {
    HRESULT hr = host_.data->DeselectAll(kLevelEvent, 0, typeMask_, 0, 0, 0, 0, 0, 2);
    if (SUCCEEDED(hr)) {
      bracket.SetCommit(1);
      // Only events of the types asked for were deselected. A deselection
      // never selects, so what may still be selected is what was: those
      // events are read again, whether or not the host reported them.
      if (selectionKnown_) {
        std::vector<ItemPath> held;
        try {
          selected_.ForEach([&](const ItemPath& p, uint8_t) { held.push_back(p); });
        } catch (const std::bad_alloc&) {
          selectionKnown_ = false;  // the next AnySelected looks
          return hr;
        }
        for (const ItemPath& p : held) {
          EventRecord r;
          if (FAILED(r.Read(host_.data, p))) {
            selectionKnown_ = false;  // the deselection stands; the next AnySelected looks
            break;
          }
          if (!(r.event.flags & kEventSelected)) selected_.Remove(p);
        }
      }
      return hr;
    }
  }
  HRESULT hr = EnsureView();
  if (FAILED(hr)) return hr;
  for (int32_t i = first; i < KvList_Count(events_); ++i) {
    if (otherFormats_ == 0 && ListedStart(i) >= end) break;
    const ItemPath p = EntryAt(events_, i);
    EventRecord r;
    hr = r.Read(host_.data, p);
    if (FAILED(hr)) return hr;
    MidiEvent& e = r.event;
    // The callers name rows, that is shown pitches.
    int32_t note = e.data[0];
    if ((lowNote > 0 || highNote < 127) && !IsLongEvent(e)) {
      MidiEvent shown = e;
      hr = ToDisplay(p, &shown);
      if (FAILED(hr)) return hr;
      note = shown.data[0];
    }
    bool considered = !IsLongEvent(e) && note >= lowNote && note <= highNote;
    if (hasStart && hasLength)
      considered = considered && e.start < end && (e.start == start || EndOf(e) > start);
    else if (hasStart)
      considered = considered && EndOf(e) >= start;
    const bool selected = (e.flags & kEventSelected) != 0;
    if (!considered || selected == select) continue;
    e.flags ^= kEventSelected;
    hr = host_.data->SetItem(&p, kLevelEvent, &e, kSetSelected);
    if (FAILED(hr)) return hr;
    NoteSelection(p, (e.flags & kEventSelected) != 0);
    bracket.SetCommit(1);
  }
  return S_OK;
}

HRESULT EventStore::SelectOnlyInRange(int64_t start, int64_t length, int32_t lowNote, int32_t highNote,
                                      int64_t walkStart, int64_t walkLength) {
  if (!host_.data) return E_UNEXPECTED;
  const int32_t first = FirstIndexReaching(walkStart);
  HostBracket bracket(host_.data, 1, nullptr);
  if (!bracket.Opened()) return bracket.result();
  const int64_t walkEnd = walkLength > INT64_MAX - walkStart ? INT64_MAX : walkStart + walkLength;
  const int64_t end = length > INT64_MAX - start ? INT64_MAX : start + length;
  for (int32_t i = first; i < KvList_Count(events_); ++i) {
    if (otherFormats_ == 0 && ListedStart(i) >= walkEnd) break;
    const ItemPath p = EntryAt(events_, i);
    EventRecord r;
    HRESULT hr = r.Read(host_.data, p);
    if (FAILED(hr)) return hr;
    MidiEvent& e = r.event;
    if (e.type != kEvNoteOn) continue;
    MidiEvent shown = e;
    hr = ToDisplay(p, &shown);
    if (FAILED(hr)) return hr;
    const bool inside = shown.data[0] >= lowNote && shown.data[0] <= highNote && e.start < end &&
                        (e.start == start || EndOf(e) > start);
    if (inside == ((e.flags & kEventSelected) != 0)) continue;
    e.flags ^= kEventSelected;
    hr = host_.data->SetItem(&p, kLevelEvent, &e, kSetSelected);
    if (FAILED(hr)) return hr;
    NoteSelection(p, (e.flags & kEventSelected) != 0);
    bracket.SetCommit(1);
  }
  return S_OK;
}

HRESULT EventStore::SetSelected(const ItemPath& path, bool select) {
  if (!host_.data) return E_UNEXPECTED;
  HostBracket bracket(host_.data, 1, nullptr);
  if (!bracket.Opened()) return bracket.result();
  EventRecord r;
  HRESULT hr = r.Read(host_.data, path);
  if (FAILED(hr)) return hr;
  if (((r.event.flags & kEventSelected) != 0) == select) return S_FALSE;
  r.event.flags ^= kEventSelected;
  hr = host_.data->SetItem(&path, kLevelEvent, &r.event, kSetSelected);
  if (SUCCEEDED(hr)) {
    NoteSelection(path, select);
    bracket.SetCommit(1);
  }
  return hr;
}

HRESULT EventStore::SelectAllNotes(bool select) {
  const uint32_t saved = typeMask_;
  SetTypeMask(kEvNoteOff | kEvNoteOn);
  HRESULT hr = SelectRange(-1, 0, 0, 127, select);
  SetTypeMask(saved);
  return hr;
}

int EventStore::IsSelectedAt(int64_t time, uint32_t typeMask, uint32_t channelMask) {
  if (FAILED(EnsureView())) return 0;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return 0;
  TrackKey track{};
  // Only events that start at the time count: in a list in tick order they
  // follow the last entry that starts before it.
  const int32_t first = otherFormats_ == 0 ? FirstStartingFrom(time) : 0;
  for (int32_t i = first; i < KvList_Count(events_); ++i) {
    const ItemPath p = EntryAt(events_, i);
    EventRecord r;
    if (FAILED(r.Read(host_.data, p))) return 0;
    const MidiEvent& e = r.event;
    if (e.start > time) break;  // the list is in time order
    if (e.start != time || !(e.type & typeMask) || !(e.flags & kEventSelected)) continue;
    if (track.trackId != p.trackId && FAILED(ReadTrackKey(p.trackId, &track))) return 0;
    if (ChannelAdmitted(EffectiveChannel(track.channel, e.channel), channelMask)) return 1;
  }
  return 0;
}

// Answered from the selected paths the store keeps, once the events changed
// since they were last read have been read again; a full walk only when the
// selection is not known (after a host-wide deselection).
HRESULT EventStore::AnySelected() {
  HRESULT hr = EnsureView();
  if (FAILED(hr)) return hr;
  hr = MeasureChangedLengths();
  if (FAILED(hr)) return hr;
  if (selectionKnown_) return selected_.empty() ? 0 : 1;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  PathSet selected;
  for (int32_t i = 0; i < KvList_Count(events_); ++i) {
    EventRecord r;
    const ItemPath& p = EntryAt(events_, i);
    hr = r.Read(host_.data, p);
    if (FAILED(hr)) return hr;
    if (r.event.flags & kEventSelected) selected.Add(p);
  }
  selected_ = std::move(selected);
  selectionKnown_ = true;
  return selected_.empty() ? 0 : 1;
}

void EventStore::NoteSelection(const ItemPath& path, bool selected) {
  if (!selectionKnown_) return;
  if (!selected) {
    selected_.Remove(path);
  } else if (Listed().Contains(path)) {
    selected_.Add(path);
  }
}
