// Walking the event list for edit operations: one read bracket around the
// walk, each event read in its stored form and its payload freed after use,
// and the forced channels of the tracks met on the way.
#pragma once

#include "mididata/event_order.h"
#include "mididata/event_store.h"
#include "mididata/host_bracket.h"

// Calls each(index, path, event) for every entry of the event list; the first
// failure of a read or of each stops the walk and is returned.
template <class Each>
HRESULT WalkEvents(EventStore& store, Each&& each) {
  HostMidiData* data = store.host().data;
  if (!data) return E_UNEXPECTED;
  const int32_t count = store.EventCount();
  ReadBracket bracket(data);
  if (!bracket.Opened()) return bracket.result();
  for (int32_t i = 0; i < count; ++i) {
    ItemPath path{};
    HRESULT hr = store.PathAt(i, &path);
    if (hr != S_OK) return FAILED(hr) ? hr : S_OK;
    MidiEvent event{};
    ItemPath p = path;
    hr = data->GetItem(&p, kLevelEvent, &event, kGetEvent);
    if (FAILED(hr)) return hr;
    hr = each(i, path, event);
    FreeEventPayload(&event);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
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
