// Walks the items of one level under a parent path with EnumFirst/EnumNext.
#pragma once

#include "mididata/host_interfaces.h"

void FreeEventPayload(MidiEvent* event);

inline uint32_t& LevelId(ItemPath& path, LONG level) {
  return level == kLevelTrack ? path.trackId : level == kLevelBlock ? path.blockId : path.eventId;
}

// Calls each(path) for every item the host returns (items with id 0 are
// skipped). Event payloads handed out during the walk are freed after each
// call. Returns the first failure of the host or of each, else S_OK.
template <class Each>
HRESULT EnumerateLevel(HostMidiData* data, const ItemPath& parent, LONG level, void* record, DWORD filter,
                       Each&& each) {
  DWORD cursor = 0;
  ItemPath path = parent;
  LevelId(path, level) = 0;
  HRESULT hr = data->EnumFirst(&path, level, record, &cursor, filter);
  for (;;) {
    if (FAILED(hr)) return hr;
    if (hr != S_OK) return S_OK;  // nothing (more) found
    HRESULT r = S_OK;
    if (LevelId(path, level) != 0) r = each(path);
    if (level == kLevelEvent) FreeEventPayload(static_cast<MidiEvent*>(record));
    if (FAILED(r)) return r;
    if (cursor == 0) return S_OK;
    path = parent;
    LevelId(path, level) = 0;
    hr = data->EnumNext(&path, level, record, &cursor, filter);
  }
}
