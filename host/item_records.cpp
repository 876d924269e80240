#include "host/item_records.h"

#include <cstring>

#include "host/host_text.h"

namespace refhost {

HRESULT WriteTrack(HostState& state, const SongTrack& track, bool withName, TrackInfo* out, const char* via) {
  wchar_t* name = nullptr;
  if (withName) {
    name = state.HandOutString(track.name, "name of track t" + std::to_string(track.id) + " (" + via + ")");
    if (!name) return E_OUTOFMEMORY;
  }
  *out = track.info;
  out->name = name;
  return S_OK;
}

HRESULT WriteBlock(HostState& state, uint32_t trackId, const SongBlock& block, bool withName, BlockInfo* out,
                   const char* via) {
  wchar_t* name = nullptr;
  if (withName) {
    name = state.HandOutString(block.name, "name of block " + PathText(kLevelBlock, {trackId, block.id, 0}) + " (" +
                                               via + ")");
    if (!name) return E_OUTOFMEMORY;
  }
  *out = block.info;
  out->name = name;
  return S_OK;
}

HRESULT WriteEvent(HostState& state, const ItemPath& path, const SongEvent& event, MidiEvent* out, const char* via) {
  uint8_t* payload = nullptr;
  if (IsLongEvent(event.record) && !event.payload.empty()) {
    payload = static_cast<uint8_t*>(
        state.HandOut(event.payload.size(), "payload of event " + PathText(kLevelEvent, path) + " (" + via + ")"));
    if (!payload) return E_OUTOFMEMORY;
    std::memcpy(payload, event.payload.data(), event.payload.size());
  }
  *out = event.record;
  if (IsLongEvent(event.record)) out->payload = payload;
  return S_OK;
}

std::optional<SongEvent> ReadEvent(const MidiEvent& record) {
  const uint32_t type = record.type;
  if (type == 0 || (type & (type - 1)) != 0 || (type & kEvAllTypes) == 0) return std::nullopt;
  if (record.timeFormat != kTimeTicks && record.timeFormat != kTimeAbsolute) return std::nullopt;
  SongEvent event;
  event.record = NormalizedEvent(record);
  if (IsLongEvent(record)) {
    if (record.duration < 0 || (record.duration > 0 && !record.payload)) return std::nullopt;
    event.payload.assign(record.payload, record.payload + record.duration);
  }
  return event;
}

SongTrack ReadTrack(const TrackInfo& record, bool withName) {
  SongTrack track;
  track.info = record;
  track.info.name = nullptr;
  if (withName && record.name) track.name = record.name;
  return track;
}

SongBlock ReadBlock(const BlockInfo& record, bool withName) {
  SongBlock block;
  block.info = record;
  block.info.name = nullptr;
  if (withName && record.name) block.name = record.name;
  return block;
}

}  // namespace refhost
