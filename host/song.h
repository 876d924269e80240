// The project's MIDI data as the reference host keeps it: tracks holding blocks
// holding events in time order. Records are kept in the host's wire layout with
// their pointer fields cleared; names and payloads live beside them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/event_seq.h"
#include "mididata/host_records.h"

namespace refhost {

// Bit 0 of the first word of a track's host fields: the track plays solo.
inline constexpr uint32_t kTrackSolo = 0x1;
uint32_t TrackFlags(const TrackInfo& info);
void SetTrackFlags(TrackInfo* info, uint32_t flags);

// Clears the pointer fields and, for short events, the union bytes past the four
// data bytes, so that equal content compares equal byte for byte.
MidiEvent NormalizedEvent(const MidiEvent& e);

struct SongBlock {
  uint32_t id = 0;
  BlockInfo info{};  // name pointer always null
  std::wstring name;
  EventSeq events;  // time order
  // No event of the block has a larger id: lets a fresh id skip the search for
  // a collision. Raised by every insert, never lowered.
  uint32_t maxEventId = 0;
  bool SameHeader(const SongBlock& other) const;
  bool operator==(const SongBlock& other) const;
};

struct SongTrack {
  uint32_t id = 0;
  TrackInfo info{};  // name pointer always null
  std::wstring name;
  std::vector<SongBlock> blocks;
  bool SameHeader(const SongTrack& other) const;
  bool operator==(const SongTrack& other) const;
};

struct Song {
  std::vector<SongTrack> tracks;  // project order

  bool operator==(const Song& other) const { return tracks == other.tracks; }

  SongTrack* FindTrack(uint32_t trackId);
  const SongTrack* FindTrack(uint32_t trackId) const;
  SongBlock* FindBlock(uint32_t trackId, uint32_t blockId);
  const SongBlock* FindBlock(uint32_t trackId, uint32_t blockId) const;
  // Index of an event inside its block; the path must name the exact track and block.
  std::optional<size_t> FindEvent(const ItemPath& path) const;
  std::optional<size_t> TrackIndex(uint32_t trackId) const;
  std::optional<size_t> BlockIndex(uint32_t trackId, uint32_t blockId) const;

  // Where the last event lookup found its event. Plug-ins read events in block
  // order, so trying beside it first keeps a walk over a block linear.
  mutable ItemPath lookupHint{};
  mutable size_t lookupHintIndex = 0;
};

// A readable dump, one line per item, used for failure messages and summaries.
std::string Describe(const Song& song);
void PrintTo(const Song& song, std::ostream* os);

}  // namespace refhost
