#include "host/new_items.h"

namespace refhost {

SongTrack MakeTrack(const TrackSpec& setup, int32_t defaultOrder) {
  SongTrack track;
  track.info.channel = setup.channel;
  track.info.velocityOffset = setup.velocityOffset;
  track.info.pitchOffset = setup.pitchOffset;
  track.info.orderKey = setup.orderKey.value_or(defaultOrder);
  SetTrackFlags(&track.info, setup.solo ? kTrackSolo : 0);
  track.name = setup.name;
  return track;
}

SongBlock MakeBlock(const BlockSpec& setup) {
  SongBlock block;
  block.info.kind = setup.kind;
  block.info.start = setup.start;
  block.info.end = setup.end;
  block.info.timeFormat = kTimeTicks;
  block.name = setup.name;
  return block;
}

SongEvent MakeEvent(const MidiEvent& record, std::vector<uint8_t> payload) {
  SongEvent event;
  event.record = NormalizedEvent(record);
  if (IsLongEvent(record)) {
    event.record.duration = static_cast<int32_t>(payload.size());
    event.payload = std::move(payload);
  }
  return event;
}

}  // namespace refhost
