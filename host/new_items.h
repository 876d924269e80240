// Song items from the front end's track and block descriptions and event records.
#pragma once

#include <vector>

#include "host/host_types.h"
#include "host/song.h"

namespace refhost {

SongTrack MakeTrack(const TrackSpec& setup, int32_t defaultOrder);
SongBlock MakeBlock(const BlockSpec& setup);
// Long events take their length from the payload.
SongEvent MakeEvent(const MidiEvent& record, std::vector<uint8_t> payload);

}  // namespace refhost
