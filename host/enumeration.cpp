#include "host/enumeration.h"

namespace refhost {
namespace {

// The items of one level under a parent, read in place: a walk over a large
// block must not copy it at every step.
struct Items {
  const Song& song;
  int32_t level;
  const SongTrack* track = nullptr;
  const SongBlock* block = nullptr;
  uint32_t filter = 0;

  long Size() const {
    switch (level) {
      case kLevelTrack: return static_cast<long>(song.tracks.size());
      case kLevelBlock: return static_cast<long>(track->blocks.size());
      default: return static_cast<long>(block->events.size());
    }
  }
  uint32_t Id(long i) const {
    switch (level) {
      case kLevelTrack: return song.tracks[i].id;
      case kLevelBlock: return track->blocks[i].id;
      default: return block->events[i].id;
    }
  }
  bool Passes(long i) const { return level != kLevelEvent || (block->events[i].record.type & filter) != 0; }

  // The first passing item from index i in direction dir, or -1.
  long Seek(long i, long dir) const {
    for (; i >= 0 && i < Size(); i += dir)
      if (Passes(i)) return i;
    return -1;
  }
  // Index of the item a cursor names, or -1. Events are found through the
  // song's lookup, which starts beside the previous find.
  long IndexOf(uint32_t id) const {
    if (id == 0) return -1;
    if (level == kLevelEvent) {
      const auto index = song.FindEvent(ItemPath{track->id, block->id, id});
      return index ? static_cast<long>(*index) : -1;
    }
    for (long i = 0; i < Size(); ++i)
      if (Id(i) == id) return i;
    return -1;
  }
};

}  // namespace

HRESULT Enumerate(const Song& song, int32_t level, const ItemPath& parent, uint32_t filter, EnumStep step,
                  uint32_t cursor, EnumResult* out) {
  *out = {};
  Items items{song, level};
  items.filter = filter;
  switch (level) {
    case kLevelTrack: break;
    case kLevelBlock:
      items.track = song.FindTrack(parent.trackId);
      if (!items.track) return E_INVALIDARG;
      break;
    case kLevelEvent:
      items.track = song.FindTrack(parent.trackId);
      items.block = song.FindBlock(parent.trackId, parent.blockId);
      if (!items.block) return E_INVALIDARG;
      break;
    default: return E_INVALIDARG;
  }
  long start = 0;
  if (step != EnumStep::First) {
    // A cursor that names no item of this parent (0, or an item since deleted) ends the walk.
    start = items.IndexOf(cursor);
    if (start < 0) return S_FALSE;
  }
  const long dir = step == EnumStep::Prev ? -1 : 1;
  const long found = items.Seek(start, dir);
  if (found < 0) return S_FALSE;
  out->id = items.Id(found);
  const long following = items.Seek(found + dir, dir);
  out->cursor = following < 0 ? 0 : items.Id(following);
  return S_OK;
}

}  // namespace refhost
