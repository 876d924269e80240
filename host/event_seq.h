// A block's events in time order. Blocks of a million events take edits one
// event at a time (a delete or paste of a large selection, its undo), so the
// events live in chunks: inserting or erasing one moves at most a chunk, and
// the chunks' sizes sit in a Fenwick tree that turns an index into a chunk in
// log time. An id index kept beside them finds any event's place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mididata/host_records.h"

namespace refhost {

struct SongEvent {
  uint32_t id = 0;
  MidiEvent record{};            // normalized: payload pointer always null
  std::vector<uint8_t> payload;  // long types only
  bool operator==(const SongEvent& other) const;
};

class EventSeq {
  struct Chunk {
    std::vector<SongEvent> items;
    std::vector<uint32_t> ids;  // items' ids, scanned to find one
    size_t pos = 0;             // place in chunks_
  };

 public:
  EventSeq() = default;
  EventSeq(const EventSeq& other);
  EventSeq& operator=(const EventSeq& other);
  EventSeq(EventSeq&&) noexcept = default;
  EventSeq& operator=(EventSeq&&) noexcept = default;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const SongEvent& operator[](size_t i) const;

  // Index of the event with that id, if the block holds it.
  std::optional<size_t> IndexOf(uint32_t id) const;

  void insert(size_t at, SongEvent event);
  void erase(size_t at);
  void push_back(SongEvent event) { insert(size_, std::move(event)); }
  void clear();

  bool operator==(const EventSeq& other) const;

  template <bool Const>
  class Iter {
    using Seq = std::conditional_t<Const, const EventSeq, EventSeq>;

   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = SongEvent;
    using difference_type = std::ptrdiff_t;
    using pointer = std::conditional_t<Const, const SongEvent*, SongEvent*>;
    using reference = std::conditional_t<Const, const SongEvent&, SongEvent&>;

    Iter() = default;
    Iter(Seq* seq, size_t chunk, size_t offset) : seq_(seq), chunk_(chunk), offset_(offset) {}
    reference operator*() const { return seq_->chunks_[chunk_]->items[offset_]; }
    pointer operator->() const { return &**this; }
    Iter& operator++() {
      if (++offset_ == seq_->chunks_[chunk_]->items.size()) {
        ++chunk_;
        offset_ = 0;
      }
      return *this;
    }
    Iter operator++(int) {
      Iter was = *this;
      ++*this;
      return was;
    }
    bool operator==(const Iter& o) const { return chunk_ == o.chunk_ && offset_ == o.offset_; }

   private:
    Seq* seq_ = nullptr;
    size_t chunk_ = 0, offset_ = 0;
  };
  // The record and payload may be changed through an iterator; the id may not.
  using iterator = Iter<false>;
  using const_iterator = Iter<true>;
  iterator begin() { return {this, 0, 0}; }
  iterator end() { return {this, chunks_.size(), 0}; }
  const_iterator begin() const { return {this, 0, 0}; }
  const_iterator end() const { return {this, chunks_.size(), 0}; }

 private:
  // The chunk holding index i (i < size_) and the index of its first event.
  struct Place {
    size_t chunk, start;
  };
  Place Locate(size_t i) const;
  size_t StartOf(size_t chunk) const;
  void AddToTree(size_t chunk, ptrdiff_t delta);
  // Renumbers the chunks from `from` on and makes the tree again: after a
  // chunk was added or removed.
  void Rebuild(size_t from);
  void Split(size_t chunk);
  void RemoveChunk(size_t chunk);

  std::vector<std::unique_ptr<Chunk>> chunks_;
  std::vector<size_t> tree_;  // Fenwick tree of the chunks' sizes, 1-based
  std::unordered_map<uint32_t, Chunk*> chunkOf_;
  size_t size_ = 0;
  // The last chunk located: walks by index stay in or step to the next chunk.
  mutable Place cache_{SIZE_MAX, 0};
};

}  // namespace refhost
