#include "host/song_editor.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "host/notices.h"

namespace refhost {
namespace {

ItemPath EventPath(const EventPlace& p) { return {p.trackId, p.blockId, p.event.id}; }
ItemPath BlockPath(const BlockPlace& p) { return {p.trackId, p.block.id, 0}; }
ItemPath TrackPath(const TrackPlace& p) { return {p.track.id, 0, 0}; }

template <class Place> HostNotification ItemNotice(const std::optional<Place>& before, const std::optional<Place>& after,
                                                   int32_t level, ItemPath (*pathOf)(const Place&)) {
  if (before && after) return DataNotice(kChangeChanged, level, pathOf(*before), pathOf(*after));
  if (after) return DataNotice(kChangeInserted, level, {}, pathOf(*after));
  return DataNotice(kChangeDeleted, level, pathOf(*before), {});
}

SongBlock HeaderOf(const SongBlock& b) {
  SongBlock h;
  h.id = b.id;
  h.info = b.info;
  h.name = b.name;
  return h;
}

SongTrack HeaderOf(const SongTrack& t) {
  SongTrack h;
  h.id = t.id;
  h.info = t.info;
  h.name = t.name;
  return h;
}

}  // namespace

int64_t SongEditor::EndTick(const MidiEvent& e) const {
  const int64_t start = StartTick(e);
  return e.type == kEvNoteOn && e.duration > 0 ? start + e.duration : start;
}

HRESULT SongEditor::Apply(EditOp op) {
  return std::visit(
      [this](auto& o) -> HRESULT {
        using T = std::decay_t<decltype(o)>;
        if constexpr (std::is_same_v<T, TrackOp>) return ApplyTrack(std::move(o));
        else if constexpr (std::is_same_v<T, BlockOp>) return ApplyBlock(std::move(o));
        else return ApplyEvent(std::move(o));
      },
      op);
}

HRESULT SongEditor::ApplyTrack(TrackOp op) {
  if (!op.before && !op.after) return E_INVALIDARG;
  std::optional<size_t> index;
  if (op.before) {
    index = song_.TrackIndex(op.before->track.id);
    if (!index) return E_INVALIDARG;
    SongTrack& current = song_.tracks[*index];
    op.before->index = *index;
    op.before->track = op.after ? HeaderOf(current) : current;
  } else if (song_.TrackIndex(op.after->track.id)) {
    return E_INVALIDARG;
  }
  if (op.before && op.after) {
    SongTrack& current = song_.tracks[*index];
    current.info = op.after->track.info;
    current.info.name = nullptr;
    current.name = op.after->track.name;
    op.after->index = *index;
  } else if (op.before) {
    song_.tracks.erase(song_.tracks.begin() + *index);
  } else {
    const size_t at = std::min(op.after->index, song_.tracks.size());
    op.after->track.info.name = nullptr;
    song_.tracks.insert(song_.tracks.begin() + at, op.after->track);
    op.after->index = at;
  }
  listener_.OnApplied(op);
  listener_.OnReport(ItemNotice(op.before, op.after, kLevelTrack, &TrackPath));
  return S_OK;
}

HRESULT SongEditor::ApplyBlock(BlockOp op) {
  if (!op.before && !op.after) return E_INVALIDARG;
  if (op.before && op.after && op.before->trackId != op.after->trackId) return E_INVALIDARG;
  std::optional<size_t> index;
  if (op.before) {
    index = song_.BlockIndex(op.before->trackId, op.before->block.id);
    if (!index) return E_INVALIDARG;
    const SongBlock& current = song_.FindTrack(op.before->trackId)->blocks[*index];
    op.before->index = *index;
    op.before->block = op.after ? HeaderOf(current) : current;
  } else if (!song_.FindTrack(op.after->trackId) || song_.BlockIndex(op.after->trackId, op.after->block.id)) {
    return E_INVALIDARG;
  }
  if (op.before && op.after) {
    SongBlock& current = song_.FindTrack(op.before->trackId)->blocks[*index];
    current.info = op.after->block.info;
    current.info.name = nullptr;
    current.name = op.after->block.name;
    op.after->index = *index;
  } else if (op.before) {
    auto& blocks = song_.FindTrack(op.before->trackId)->blocks;
    blocks.erase(blocks.begin() + *index);
  } else {
    auto& blocks = song_.FindTrack(op.after->trackId)->blocks;
    const size_t at = std::min(op.after->index, blocks.size());
    op.after->block.info.name = nullptr;
    blocks.insert(blocks.begin() + at, op.after->block);
    op.after->index = at;
  }
  listener_.OnApplied(op);
  listener_.OnReport(ItemNotice(op.before, op.after, kLevelBlock, &BlockPath));
  return S_OK;
}

HRESULT SongEditor::ApplyEvent(EventOp op) {
  if (!op.before && !op.after) return E_INVALIDARG;
  std::optional<size_t> index;
  SongBlock* from = nullptr;
  if (op.before) {
    const ItemPath path = EventPath(*op.before);
    index = song_.FindEvent(path);
    if (!index) return E_INVALIDARG;
    from = song_.FindBlock(path.trackId, path.blockId);
    op.before->index = *index;
    op.before->event = from->events[*index];
  }
  SongBlock* to = nullptr;
  if (op.after) {
    to = song_.FindBlock(op.after->trackId, op.after->blockId);
    if (!to) return E_INVALIDARG;
    // A new id must not collide with an event already in that block.
    if (!op.before && song_.FindEvent(EventPath(*op.after))) return E_INVALIDARG;
  }
  if (to) op.after->event.record = NormalizedEvent(op.after->event.record);
  if (from) from->events.erase(*index);
  if (to) {
    // A change within the block is placed among the others, as if taken out first.
    const size_t at = PlaceFor(*to, op.after->index, StartTick(op.after->event.record));
    to->events.insert(at, op.after->event);
    to->maxEventId = std::max(to->maxEventId, op.after->event.id);
    op.after->index = at;
  }
  listener_.OnApplied(op);
  HostNotification notice = ItemNotice(op.before, op.after, kLevelEvent, &EventPath);
  if (op.before && op.after) {
    const MidiEvent& a = op.before->event.record;
    const MidiEvent& b = op.after->event.record;
    if (op.before->trackId != op.after->trackId || op.before->blockId != op.after->blockId)
      notice.flags = kChangeMoved;
    else if (a.start != b.start || a.timeFormat != b.timeFormat)
      notice.flags |= kChangeResort;
  }
  listener_.OnReport(notice);
  return S_OK;
}

size_t SongEditor::PlaceFor(const SongBlock& block, size_t hint, int64_t tick) const {
  const EventSeq& ev = block.events;
  const size_t n = ev.size();
  auto tickAt = [&](size_t k) { return StartTick(ev[k].record); };
  if (hint <= n && (hint == 0 || tickAt(hint - 1) <= tick) && (hint == n || tick <= tickAt(hint))) return hint;
  // After every event at the same time: later inserts list later.
  size_t lo = 0, hi = n;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (tick < tickAt(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

uint32_t SongEditor::BlockFor(const SongTrack& track, int64_t tick) const {
  const SongBlock* best = nullptr;
  for (const SongBlock& b : track.blocks)
    if (b.info.start <= tick && (!best || b.info.start >= best->info.start)) best = &b;
  if (best) return best->id;
  for (const SongBlock& b : track.blocks)
    if (!best || b.info.start < best->info.start) best = &b;
  return best ? best->id : 0;
}

HRESULT SongEditor::Cover(uint32_t trackId, uint32_t blockId, int64_t from, int64_t to) {
  const SongBlock* block = song_.FindBlock(trackId, blockId);
  if (!block) return E_INVALIDARG;
  if (block->info.start <= from && to <= block->info.end) return S_OK;
  SongBlock header = HeaderOf(*block);
  header.info.start = std::min(header.info.start, from);
  header.info.end = std::max(header.info.end, to);
  return ChangeBlock(trackId, std::move(header));
}

HRESULT SongEditor::InsertEvent(ItemPath* path, SongEvent event) {
  const SongTrack* track = song_.FindTrack(path->trackId);
  if (!track) return E_INVALIDARG;
  const int64_t start = StartTick(event.record);
  const int64_t end = EndTick(event.record);
  uint32_t blockId = path->blockId;
  if (blockId == 0) blockId = BlockFor(*track, start);
  if (blockId == 0) {
    SongBlock block;
    block.info.kind = 2;
    block.info.start = start;
    block.info.end = end;
    block.info.timeFormat = kTimeTicks;
    ItemPath blockPath{path->trackId, 0, 0};
    if (HRESULT hr = InsertBlock(path->trackId, std::move(block), &blockPath); FAILED(hr)) return hr;
    blockId = blockPath.blockId;
  }
  if (HRESULT hr = Cover(path->trackId, blockId, start, end); FAILED(hr)) return hr;
  event.id = ids_.event++;
  EventOp op;
  op.after = EventPlace{path->trackId, blockId, kSortedIndex, std::move(event)};
  const uint32_t id = op.after->event.id;
  if (HRESULT hr = ApplyEvent(std::move(op)); FAILED(hr)) return hr;
  path->blockId = blockId;
  path->eventId = id;
  return S_OK;
}

HRESULT SongEditor::ReplaceEvent(const ItemPath& path, SongEvent event, ItemPath* newPath) {
  const std::optional<size_t> index = song_.FindEvent(path);
  if (!index) return E_INVALIDARG;
  const SongTrack& track = *song_.FindTrack(path.trackId);
  const SongBlock& block = *song_.FindBlock(path.trackId, path.blockId);
  event.id = path.eventId;
  event.record = NormalizedEvent(event.record);
  if (event == block.events[*index]) {  // nothing to change, nothing to report
    if (newPath) *newPath = path;
    return S_OK;
  }
  const MidiEvent& old = block.events[*index].record;
  const bool startMoved = old.start != event.record.start || old.timeFormat != event.record.timeFormat;
  const int64_t start = StartTick(event.record);
  uint32_t target = path.blockId;
  if (startMoved && (start < block.info.start || start >= block.info.end)) target = BlockFor(track, start);
  if (HRESULT hr = Cover(path.trackId, target, start, EndTick(event.record)); FAILED(hr)) return hr;
  EventOp op;
  op.before = EventPlace{path.trackId, path.blockId, *index, {}};
  op.before->event.id = path.eventId;
  op.after = EventPlace{path.trackId, target, startMoved || target != path.blockId ? kSortedIndex : *index,
                        std::move(event)};
  if (HRESULT hr = ApplyEvent(std::move(op)); FAILED(hr)) return hr;
  if (newPath) *newPath = {path.trackId, target, path.eventId};
  return S_OK;
}

HRESULT SongEditor::MoveEvent(const ItemPath& path, uint32_t toTrack, uint32_t toBlock, ItemPath* newPath) {
  const std::optional<size_t> index = song_.FindEvent(path);
  if (!index || !song_.FindBlock(toTrack, toBlock)) return E_INVALIDARG;
  SongEvent event = song_.FindBlock(path.trackId, path.blockId)->events[*index];
  if (HRESULT hr = Cover(toTrack, toBlock, StartTick(event.record), EndTick(event.record)); FAILED(hr)) return hr;
  EventOp op;
  op.before = EventPlace{path.trackId, path.blockId, *index, event};
  op.after = EventPlace{toTrack, toBlock, kSortedIndex, std::move(event)};
  if (HRESULT hr = ApplyEvent(std::move(op)); FAILED(hr)) return hr;
  if (newPath) *newPath = {toTrack, toBlock, path.eventId};
  return S_OK;
}

HRESULT SongEditor::DeleteEvent(const ItemPath& path) {
  EventOp op;
  op.before = EventPlace{path.trackId, path.blockId, 0, {}};
  op.before->event.id = path.eventId;
  return ApplyEvent(std::move(op));
}

HRESULT SongEditor::InsertBlock(uint32_t trackId, SongBlock header, ItemPath* path) {
  const SongTrack* track = song_.FindTrack(trackId);
  if (!track) return E_INVALIDARG;
  header.id = ids_.block++;
  header.events.clear();
  // Blocks are kept in order of their start; a new block goes after equal starts.
  size_t at = 0;
  while (at < track->blocks.size() && track->blocks[at].info.start <= header.info.start) ++at;
  BlockOp op;
  op.after = BlockPlace{trackId, at, std::move(header)};
  const uint32_t id = op.after->block.id;
  if (HRESULT hr = ApplyBlock(std::move(op)); FAILED(hr)) return hr;
  if (path) *path = {trackId, id, 0};
  return S_OK;
}

HRESULT SongEditor::ChangeBlock(uint32_t trackId, SongBlock header) {
  header.events.clear();
  BlockOp op;
  op.before = BlockPlace{trackId, 0, {}};
  op.before->block.id = header.id;
  op.after = BlockPlace{trackId, 0, std::move(header)};
  return ApplyBlock(std::move(op));
}

HRESULT SongEditor::DeleteBlock(uint32_t trackId, uint32_t blockId) {
  BlockOp op;
  op.before = BlockPlace{trackId, 0, {}};
  op.before->block.id = blockId;
  return ApplyBlock(std::move(op));
}

HRESULT SongEditor::InsertTrack(SongTrack header, ItemPath* path) {
  header.id = ids_.track++;
  header.blocks.clear();
  TrackOp op;
  op.after = TrackPlace{song_.tracks.size(), std::move(header)};
  const uint32_t id = op.after->track.id;
  if (HRESULT hr = ApplyTrack(std::move(op)); FAILED(hr)) return hr;
  if (path) *path = {id, 0, 0};
  return S_OK;
}

HRESULT SongEditor::ChangeTrack(SongTrack header) {
  header.blocks.clear();
  TrackOp op;
  op.before = TrackPlace{0, {}};
  op.before->track.id = header.id;
  op.after = TrackPlace{0, std::move(header)};
  return ApplyTrack(std::move(op));
}

HRESULT SongEditor::DeleteTrack(uint32_t trackId) {
  TrackOp op;
  op.before = TrackPlace{0, {}};
  op.before->track.id = trackId;
  return ApplyTrack(std::move(op));
}

}  // namespace refhost
