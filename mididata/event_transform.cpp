// The display transform: stored pitch and velocity shifted by the offsets of
// the event's track and the project, read from the host at every call.
#include <algorithm>

#include "mididata/event_store.h"
#include "mididata/host_bracket.h"

namespace {

// Offsets are host values of any size: the sums are taken in 64 bits.
uint8_t Shift(uint8_t value, int64_t by) { return static_cast<uint8_t>(std::clamp<int64_t>(value + by, 0, 127)); }

// Pitch lives in data byte 1 of the note events; velocity in byte 2 of Note On and Off.
constexpr uint32_t kPitchTypes = kEvNoteOn | kEvNoteOff | kEvPolyPressure;
constexpr uint32_t kVelocityTypes = kEvNoteOn | kEvNoteOff;

}  // namespace

HRESULT EventStore::Transform(const ItemPath& path, MidiEvent* event, int sign) {
  if (!(event->type & kPitchTypes)) return S_OK;
  if (!host_.data) return E_UNEXPECTED;
  TrackInfo info{};
  {
    ReadBracket bracket(host_.data);
    if (!bracket.Opened()) return bracket.result();
    ItemPath p{path.trackId, 0, 0};
    HRESULT hr = host_.data->GetItem(&p, kLevelTrack, &info, kGetRecord);
    if (FAILED(hr)) return hr;
  }
  int32_t projectPitch = 0;
  if (host_.properties) {
    HRESULT hr = host_.properties->GetProperty(PROP_PitchOffset, 0, 0, 0, sizeof projectPitch, &projectPitch);
    if (FAILED(hr)) projectPitch = 0;
  }
  event->data[0] = Shift(event->data[0], sign * (int64_t{info.pitchOffset} + projectPitch));
  if (event->type & kVelocityTypes) event->data[1] = Shift(event->data[1], sign * int64_t{info.velocityOffset});
  return S_OK;
}

HRESULT EventStore::ToDisplay(const ItemPath& path, MidiEvent* event) { return Transform(path, event, +1); }

HRESULT EventStore::ToStored(const ItemPath& path, MidiEvent* event) { return Transform(path, event, -1); }
