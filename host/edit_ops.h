// Primitive changes of the song. Each keeps the item's place and state before
// and after, so one record serves the change itself, its report to the sinks
// and both directions of undo. No "before": an insert; no "after": a delete;
// both: a change or, for events, a move. Track and block changes carry the
// header only (no children).
#pragma once

#include <cstddef>
#include <optional>
#include <variant>

#include "host/song.h"

namespace refhost {

struct TrackPlace {
  size_t index = 0;
  SongTrack track;
};
struct TrackOp {
  std::optional<TrackPlace> before, after;
};

struct BlockPlace {
  uint32_t trackId = 0;
  size_t index = 0;
  SongBlock block;
};
struct BlockOp {
  std::optional<BlockPlace> before, after;
};

struct EventPlace {
  uint32_t trackId = 0;
  uint32_t blockId = 0;
  size_t index = 0;
  SongEvent event;
};
struct EventOp {
  std::optional<EventPlace> before, after;
};

using EditOp = std::variant<TrackOp, BlockOp, EventOp>;

// The same change in the other direction.
EditOp Reversed(const EditOp& op);
// True for an event change that only flips the selected flag in place.
bool IsSelectionOnly(const EditOp& op);

}  // namespace refhost
