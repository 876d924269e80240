// Reading records out of the song for the plug-in and taking them in from it.
// Out: copies in the wire layout with task-allocated names and payloads that
// the receiver frees; all or nothing, so a record is untouched on failure.
// In: validation and copying of what the caller's pointers refer to.
#pragma once

#include <windows.h>

#include <optional>

#include "host/host_state.h"

namespace refhost {

// via names the call for the leak report ("GetItem", "EnumNext").
HRESULT WriteTrack(HostState& state, const SongTrack& track, bool withName, TrackInfo* out, const char* via);
HRESULT WriteBlock(HostState& state, uint32_t trackId, const SongBlock& block, bool withName, BlockInfo* out,
                   const char* via);
HRESULT WriteEvent(HostState& state, const ItemPath& path, const SongEvent& event, MidiEvent* out, const char* via);

// An event record as the plug-in passes it: exactly one known type bit, time
// format 1 or 2, and for long types a payload of duration bytes. Copies the payload.
std::optional<SongEvent> ReadEvent(const MidiEvent& record);
SongTrack ReadTrack(const TrackInfo& record, bool withName);
SongBlock ReadBlock(const BlockInfo& record, bool withName);

}  // namespace refhost
