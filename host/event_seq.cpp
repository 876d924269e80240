#include "host/event_seq.h"

#include <algorithm>
#include <cstring>

namespace refhost {
namespace {

// A full chunk splits in two; a chunk shrunk below a sixteenth is merged with a
// neighbour when the two fit in three quarters, so that chunks stay large
// after long runs of erases and a split is not due at the next insert.
constexpr size_t kChunkMax = 512;
constexpr size_t kChunkMin = kChunkMax / 16;
constexpr size_t kMergedMax = kChunkMax * 3 / 4;

}  // namespace

bool SongEvent::operator==(const SongEvent& other) const {
  return id == other.id && std::memcmp(&record, &other.record, sizeof record) == 0 && payload == other.payload;
}

EventSeq::EventSeq(const EventSeq& other) {
  for (const SongEvent& e : other) push_back(e);
}

EventSeq& EventSeq::operator=(const EventSeq& other) {
  if (this != &other) {
    EventSeq copy(other);
    *this = std::move(copy);
  }
  return *this;
}

const SongEvent& EventSeq::operator[](size_t i) const {
  const Place p = Locate(i);
  return chunks_[p.chunk]->items[i - p.start];
}

std::optional<size_t> EventSeq::IndexOf(uint32_t id) const {
  const auto it = chunkOf_.find(id);
  if (it == chunkOf_.end()) return std::nullopt;
  const Chunk& c = *it->second;
  const auto at = std::find(c.ids.begin(), c.ids.end(), id);
  return StartOf(c.pos) + static_cast<size_t>(at - c.ids.begin());
}

EventSeq::Place EventSeq::Locate(size_t i) const {
  const size_t n = chunks_.size();
  auto holds = [&](size_t chunk, size_t start) {
    return chunk < n && i >= start && i - start < chunks_[chunk]->items.size();
  };
  if (cache_.chunk < n) {
    if (holds(cache_.chunk, cache_.start)) return cache_;
    const size_t next = cache_.start + chunks_[cache_.chunk]->items.size();
    if (holds(cache_.chunk + 1, next)) return cache_ = {cache_.chunk + 1, next};
    if (cache_.chunk > 0) {
      const size_t prev = cache_.start - chunks_[cache_.chunk - 1]->items.size();
      if (holds(cache_.chunk - 1, prev)) return cache_ = {cache_.chunk - 1, prev};
    }
  }
  // The largest count of whole chunks that ends at or before i.
  size_t pos = 0, rest = i, step = 1;
  while (step * 2 <= n) step *= 2;
  for (; step; step /= 2) {
    if (pos + step <= n && tree_[pos + step] <= rest) {
      pos += step;
      rest -= tree_[pos];
    }
  }
  return cache_ = {pos, i - rest};
}

size_t EventSeq::StartOf(size_t chunk) const {
  size_t sum = 0;
  for (size_t k = chunk; k > 0; k -= k & (~k + 1)) sum += tree_[k];
  return sum;
}

void EventSeq::AddToTree(size_t chunk, ptrdiff_t delta) {
  for (size_t k = chunk + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += static_cast<size_t>(delta);
}

void EventSeq::Rebuild(size_t from) {
  for (size_t c = from; c < chunks_.size(); ++c) chunks_[c]->pos = c;
  const size_t n = chunks_.size();
  tree_.assign(n + 1, 0);
  for (size_t k = 1; k <= n; ++k) {
    tree_[k] += chunks_[k - 1]->items.size();
    if (const size_t up = k + (k & (~k + 1)); up <= n) tree_[up] += tree_[k];
  }
  cache_ = {SIZE_MAX, 0};
}

void EventSeq::Split(size_t chunk) {
  Chunk& left = *chunks_[chunk];
  auto right = std::make_unique<Chunk>();
  const size_t half = left.items.size() / 2;
  right->items.assign(std::make_move_iterator(left.items.begin() + static_cast<ptrdiff_t>(half)),
                      std::make_move_iterator(left.items.end()));
  right->ids.assign(left.ids.begin() + static_cast<ptrdiff_t>(half), left.ids.end());
  left.items.resize(half);
  left.ids.resize(half);
  for (uint32_t id : right->ids) chunkOf_[id] = right.get();
  chunks_.insert(chunks_.begin() + static_cast<ptrdiff_t>(chunk) + 1, std::move(right));
  Rebuild(chunk + 1);
}

void EventSeq::RemoveChunk(size_t chunk) {
  chunks_.erase(chunks_.begin() + static_cast<ptrdiff_t>(chunk));
  Rebuild(chunk);
}

void EventSeq::insert(size_t at, SongEvent event) {
  at = std::min(at, size_);
  size_t chunk = 0, offset = 0;
  if (chunks_.empty() || (at == size_ && chunks_.back()->items.size() == kChunkMax)) {
    // Appending past a full last chunk starts a new one: a block filled in
    // order keeps its chunks full.
    chunks_.push_back(std::make_unique<Chunk>());
    Rebuild(chunks_.size() - 1);
    chunk = chunks_.size() - 1;
  } else if (at == size_) {
    chunk = chunks_.size() - 1;
    offset = chunks_[chunk]->items.size();
  } else {
    const Place p = Locate(at);
    chunk = p.chunk;
    offset = at - p.start;
    if (chunks_[chunk]->items.size() == kChunkMax) {
      Split(chunk);
      if (const size_t half = chunks_[chunk]->items.size(); offset > half) {
        ++chunk;
        offset -= half;
      }
    }
  }
  Chunk& c = *chunks_[chunk];
  chunkOf_[event.id] = &c;
  c.ids.insert(c.ids.begin() + static_cast<ptrdiff_t>(offset), event.id);
  c.items.insert(c.items.begin() + static_cast<ptrdiff_t>(offset), std::move(event));
  AddToTree(chunk, 1);
  ++size_;
  cache_ = {SIZE_MAX, 0};
}

void EventSeq::erase(size_t at) {
  if (at >= size_) return;
  const Place p = Locate(at);
  Chunk& c = *chunks_[p.chunk];
  const auto offset = static_cast<ptrdiff_t>(at - p.start);
  chunkOf_.erase(c.ids[static_cast<size_t>(offset)]);
  c.ids.erase(c.ids.begin() + offset);
  c.items.erase(c.items.begin() + offset);
  AddToTree(p.chunk, -1);
  --size_;
  cache_ = {SIZE_MAX, 0};
  if (c.items.empty()) {
    RemoveChunk(p.chunk);
    return;
  }
  if (c.items.size() >= kChunkMin) return;
  // Merge the smaller neighbour's pair into one chunk when it fits.
  size_t left = p.chunk;
  if (left + 1 >= chunks_.size() || c.items.size() + chunks_[left + 1]->items.size() > kMergedMax) {
    if (left == 0 || c.items.size() + chunks_[left - 1]->items.size() > kMergedMax) return;
    --left;
  }
  Chunk& into = *chunks_[left];
  Chunk& from = *chunks_[left + 1];
  for (uint32_t id : from.ids) chunkOf_[id] = &into;
  into.ids.insert(into.ids.end(), from.ids.begin(), from.ids.end());
  into.items.insert(into.items.end(), std::make_move_iterator(from.items.begin()),
                    std::make_move_iterator(from.items.end()));
  RemoveChunk(left + 1);
}

void EventSeq::clear() {
  chunks_.clear();
  tree_.clear();
  chunkOf_.clear();
  size_ = 0;
  cache_ = {SIZE_MAX, 0};
}

bool EventSeq::operator==(const EventSeq& other) const {
  return size_ == other.size_ && std::equal(begin(), end(), other.begin());
}

}  // namespace refhost
