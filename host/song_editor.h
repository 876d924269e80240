// Every change of the song goes through here: the placement rules of the host
// (which block an event belongs to, blocks widened to hold their events, time
// order), id allocation, and one report per primitive change to the listener,
// which journals it for undo and hands the notification to the sinks.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/edit_ops.h"
#include "host/song.h"
#include "host/time_map.h"

namespace refhost {

class ChangeListener {
 public:
  virtual void OnApplied(const EditOp& op) = 0;
  virtual void OnReport(const HostNotification& record) = 0;

 protected:
  ~ChangeListener() = default;
};

// Separate counters per level: ids are unique and non-zero within a level.
struct IdCounters {
  uint32_t track = 1;
  uint32_t block = 1;
  uint32_t event = 1;
};

// Index hint meaning "the sorted place".
inline constexpr size_t kSortedIndex = static_cast<size_t>(-1);

class SongEditor {
 public:
  SongEditor(Song& song, const TimeMap& time, IdCounters& ids, ChangeListener& listener)
      : song_(song), time_(time), ids_(ids), listener_(listener) {}

  // Applies a primitive change; the "before" state is re-read from the song by
  // id, so only its ids matter. Index hints that would break time order fall
  // back to the sorted place.
  HRESULT Apply(EditOp op);

  // Inserts an event into path's track. A zero block id picks the last block
  // starting at or before the event (the first block when none does; a new
  // block when the track has none). Writes the block and new event id to path.
  HRESULT InsertEvent(ItemPath* path, SongEvent event);
  // Replaces an event's record and payload, keeping its id. A start that left
  // the block's range moves the event to the block holding the new start.
  HRESULT ReplaceEvent(const ItemPath& path, SongEvent event, ItemPath* newPath);
  HRESULT MoveEvent(const ItemPath& path, uint32_t toTrack, uint32_t toBlock, ItemPath* newPath);
  HRESULT DeleteEvent(const ItemPath& path);

  HRESULT InsertBlock(uint32_t trackId, SongBlock header, ItemPath* path);
  HRESULT ChangeBlock(uint32_t trackId, SongBlock header);
  HRESULT DeleteBlock(uint32_t trackId, uint32_t blockId);
  HRESULT InsertTrack(SongTrack header, ItemPath* path);
  HRESULT ChangeTrack(SongTrack header);
  HRESULT DeleteTrack(uint32_t trackId);

  int64_t StartTick(const MidiEvent& e) const { return time_.TicksOf(e.start, e.timeFormat); }
  // Note On events span their duration; every other event is a point.
  int64_t EndTick(const MidiEvent& e) const;

 private:
  HRESULT ApplyTrack(TrackOp op);
  HRESULT ApplyBlock(BlockOp op);
  HRESULT ApplyEvent(EventOp op);
  // The block the host files an event at this tick under; 0 when the track has none.
  uint32_t BlockFor(const SongTrack& track, int64_t tick) const;
  // Widens a block so that [from, to] lies inside it.
  HRESULT Cover(uint32_t trackId, uint32_t blockId, int64_t from, int64_t to);
  // Where an event of that tick goes among the block's events: at the hint
  // when the hint keeps the time order, else after every event of the same time.
  size_t PlaceFor(const SongBlock& block, size_t hint, int64_t tick) const;

  Song& song_;
  const TimeMap& time_;
  IdCounters& ids_;
  ChangeListener& listener_;
};

}  // namespace refhost
