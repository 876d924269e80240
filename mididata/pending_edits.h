// PendingEdits: the effect of a gesture in progress, held as three lists of not
// yet committed inserts, changes and deletes until the gesture is committed as
// one host edit or thrown away. Records are in the host's stored form.
// Platform-free.
//
// Long events (payload types) keep a private copy of their payload for as long
// as they are pending, so a record queued from a host read stays valid after
// the reader has freed the host's payload. Records handed out by the readers
// share that copy: it stays valid until the entry is replaced or removed, and
// the caller must not free it.
#pragma once

#include <cstdint>

#include "kvlib/kvlist.h"
#include "mididata/host_records.h"
#include "mididata/path_set.h"

// No pending change exists for the path.
inline constexpr KVRESULT kPendingNoChange = static_cast<KVRESULT>(0x8004E00Au);
// An index out of range, or nothing to do.
inline constexpr KVRESULT kPendingNone = 1;

// One pending change: the path, the new record and the host's change mask.
struct PendingChange {
  ItemPath path;
  uint32_t reserved0;
  MidiEvent event;
  uint32_t mask;
  uint32_t reserved1;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PendingChange) == 88, "the 32-bit pending change entry is 88 bytes");
#endif

class PendingEdits {
 public:
  PendingEdits() = default;
  ~PendingEdits();
  PendingEdits(const PendingEdits&) = delete;
  PendingEdits& operator=(const PendingEdits&) = delete;

  // Inserts. With *index naming an entry, that entry is replaced; otherwise the
  // event is appended and its index stored in *index (when given).
  KVRESULT QueueInsert(const MidiEvent& event, int32_t* index);
  KVRESULT PendingInsertAt(int32_t index, MidiEvent* out) const;
  KVRESULT RemovePendingInsert(int32_t index);
  int32_t PendingInsertCount() const { return KvList_Count(inserts_); }
  // Stable: inserts with equal starts keep their order.
  KVRESULT SortPendingInserts();
  // The first insert of the type hit at the time: a Note On of that note that
  // sounds at the time, a Pitch Bend starting at it, any other type starting at
  // it with that data byte 1. -1 when none.
  int32_t FindPendingInsert(int64_t time, uint32_t type, uint8_t data1) const;

  // Changes: at most one entry per path.
  KVRESULT QueueChange(const ItemPath& path, const MidiEvent& event, uint32_t mask);
  KVRESULT PendingChangeAt(int32_t index, ItemPath* path, MidiEvent* event, uint32_t* mask = nullptr) const;
  int32_t PendingChangeCount() const;
  int32_t FindPendingChange(const ItemPath& path) const;
  KVRESULT PendingChangeFor(const ItemPath& path, MidiEvent* out) const;

  // Deletes: any pending change of the path goes first. A path already pending
  // deletion is not queued twice (the host would fail the second delete and
  // stop the commit there).
  KVRESULT QueueDelete(const ItemPath& path);
  KVRESULT PendingDeleteAt(int32_t index, ItemPath* out) const;
  int32_t PendingDeleteCount() const { return KvList_Count(deletes_); }
  int32_t FindPendingDelete(const ItemPath& path) const;

  bool Empty() const { return PendingInsertCount() == 0 && PendingChangeCount() == 0 && PendingDeleteCount() == 0; }
  // Empties the three lists (they stay allocated for the next gesture).
  void Clear();
  void ClearDeletes();

 private:
  MidiEvent* InsertSlot(int32_t index) const;
  PendingChange* ChangeSlot(int32_t index) const;

  KvList inserts_ = nullptr;
  KvList changes_ = nullptr;
  KvList deletes_ = nullptr;
  // Closes the gaps that removed changes left (see droppedChanges_).
  void CompactChanges() const;
  // FindPendingChange without closing the gaps: for use inside this class.
  int32_t ChangeIndexOf(const ItemPath& path) const;

  // Where each pending change and pending delete is, so that queueing k
  // edits costs about k, not k * k. A change removed by a delete leaves a
  // gap (a zero path) so that the others keep their places; the gaps are
  // closed, and the index made again, when the list is next read by index.
  mutable PathMap<int32_t> changeIndex_;
  mutable int32_t droppedChanges_ = 0;
  PathMap<int32_t> deleteIndex_;
};

inline bool SamePath(const ItemPath& a, const ItemPath& b) {
  return a.trackId == b.trackId && a.blockId == b.blockId && a.eventId == b.eventId;
}
