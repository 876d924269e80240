// Walking the event list for edit operations: one read bracket around the
// walk, each event read in its stored form and its payload freed after use,
// and the forced channels of the tracks met on the way.
#pragma once

#include <algorithm>
#include <vector>

#include "mididata/event_order.h"
#include "mididata/event_store.h"
#include "mididata/host_bracket.h"

// Calls each(index, path, event) for the entries of the event list that can
// reach [from, to]: from the first whose start is at most the longest note
// (listed or pending) before from, up to the last that starts at or before
// to (the whole list when some start is not in ticks). The first failure of
// a read or of each stops the walk and is returned.
template <class Each>
HRESULT WalkEventsIn(EventStore& store, int64_t from, int64_t to, Each&& each, bool selectedOnly = false) {
  HostMidiData* data = store.host().data;
  if (!data) return E_UNEXPECTED;
  // A list that cannot be rebuilt is the host's failure, not an empty list.
  HRESULT built = store.EnsureView();
  if (FAILED(built)) return built;
  const int32_t count = store.EventCount();
  // A pending change may have lengthened a note beyond the listed bound.
  int64_t reach = 0;
  PendingEdits& pending = store.pending();
  for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
    MidiEvent e{};
    if (pending.PendingChangeAt(i, nullptr, &e) == S_OK && e.type == kEvNoteOn) reach = std::max<int64_t>(reach, e.duration);
  }
  const int32_t first = from == INT64_MIN ? 0 : store.FirstIndexReaching(from < INT64_MIN + reach ? INT64_MIN : from - reach);
  const bool ordered = store.StartsInTicks();
  if (selectedOnly) {
    built = store.RereadChanged();
    if (FAILED(built)) return built;
  }
  std::vector<int32_t> selected;
  const bool bySelection = selectedOnly && store.SelectedIndexes(&selected);
  ReadBracket bracket(data);
  if (!bracket.Opened()) return bracket.result();
  // S_FALSE ends the walk early.
  auto visit = [&](int32_t i) -> HRESULT {
    ItemPath path{};
    HRESULT hr = store.PathAt(i, &path);
    if (hr != S_OK) return FAILED(hr) ? hr : S_FALSE;
    if (selectedOnly && !store.MaybeSelected(path)) return S_OK;
    MidiEvent event{};
    ItemPath p = path;
    hr = data->GetItem(&p, kLevelEvent, &event, kGetEvent);
    if (FAILED(hr)) return hr;
    hr = each(i, path, event);
    FreeEventPayload(&event);
    return FAILED(hr) ? hr : S_OK;
  };
  if (bySelection) {
    for (int32_t i : selected) {
      const HRESULT hr = visit(i);
      if (hr != S_OK) return FAILED(hr) ? hr : S_OK;
    }
    return S_OK;
  }
  for (int32_t i = first; i < count; ++i) {
    if (ordered && store.ListedStart(i) > to) break;
    const HRESULT hr = visit(i);
    if (hr != S_OK) return FAILED(hr) ? hr : S_OK;
  }
  return S_OK;
}

// The same for every entry of the event list.
template <class Each>
HRESULT WalkEvents(EventStore& store, Each&& each) {
  return WalkEventsIn(store, INT64_MIN, INT64_MAX, each);
}

// The same for the entries that may be selected: the events the store knows
// to be unselected are not read, and a selection small beside the list is
// visited through its own entries, so that a walk costs what the selection
// holds (each must still test the flag it is given).
template <class Each>
HRESULT WalkSelectedEvents(EventStore& store, Each&& each) {
  return WalkEventsIn(store, INT64_MIN, INT64_MAX, each, true);
}

// The forced channel of the last track asked for, read once per track.
class TrackChannels {
 public:
  explicit TrackChannels(EventStore& store) : data_(store.host().data) {}
  // Whether the event's effective channel is admitted by the mask.
  HRESULT Admits(uint32_t trackId, const MidiEvent& event, uint32_t channelMask, bool* admitted) {
    if (trackId != trackId_) {
      ReadBracket bracket(data_);
      if (!bracket.Opened()) return bracket.result();
      ItemPath p{trackId, 0, 0};
      TrackInfo info{};
      HRESULT hr = data_->GetItem(&p, kLevelTrack, &info, kGetRecord);
      if (FAILED(hr)) return hr;
      trackId_ = trackId;
      forced_ = info.channel;
    }
    *admitted = ChannelAdmitted(EffectiveChannel(forced_, event.channel), channelMask);
    return S_OK;
  }

 private:
  HostMidiData* data_;
  uint32_t trackId_ = 0;
  int32_t forced_ = -1;
};
