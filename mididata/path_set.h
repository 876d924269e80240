// PathMap and PathSet: event paths to values, and sets of paths, with
// constant-time add, remove and lookup, so that a host report or a pending
// edit is matched without walking a list. Open addressing with linear
// probing over one array (a probe touches one cache line); removed slots stay
// as tombstones until the next growth. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "mididata/host_records.h"

template <class Value>
class PathMap {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // The path's value, or null.
  const Value* Find(const ItemPath& p) const {
    if (slots_.empty()) return nullptr;
    for (size_t i = Home(p);; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.state == kEmpty) return nullptr;
      if (s.state == kFull && Same(s.path, p)) return &s.value;
    }
  }
  bool Contains(const ItemPath& p) const { return Find(p) != nullptr; }

  // False (and the value left as it was) when the path was there already.
  bool Add(const ItemPath& p, const Value& v = Value{}) {
    if ((used_ + 1) * 2 > slots_.size()) Grow(size_ + 1);
    size_t tomb = SIZE_MAX;
    size_t i = Home(p);
    for (;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.state == kEmpty) break;
      if (s.state == kTomb) {
        if (tomb == SIZE_MAX) tomb = i;
      } else if (Same(s.path, p)) {
        return false;
      }
    }
    if (tomb != SIZE_MAX) {
      i = tomb;
    } else {
      ++used_;
    }
    slots_[i] = Slot{p, kFull, v};
    ++size_;
    return true;
  }

  // False when the path was not there.
  bool Remove(const ItemPath& p) {
    if (slots_.empty()) return false;
    for (size_t i = Home(p);; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.state == kEmpty) return false;
      if (s.state == kFull && Same(s.path, p)) {
        s.state = kTomb;
        --size_;
        return true;
      }
    }
  }

  void Clear() {
    slots_.clear();
    mask_ = 0;
    size_ = used_ = 0;
  }

  // Calls f(path, value) for every path held, in no particular order; the
  // cost follows the table's room, not only what it holds.
  template <class F>
  void ForEach(F&& f) const {
    for (const Slot& s : slots_)
      if (s.state == kFull) f(s.path, s.value);
  }
  size_t Room() const { return slots_.size(); }

  // Room for n paths without growing.
  void Reserve(size_t n) {
    if (n * 2 > slots_.size()) Grow(n);
  }

 private:
  enum : uint8_t { kEmpty, kFull, kTomb };
  struct Slot {
    ItemPath path;
    uint8_t state;
    Value value;
  };

  static bool Same(const ItemPath& a, const ItemPath& b) {
    return a.eventId == b.eventId && a.blockId == b.blockId && a.trackId == b.trackId;
  }
  size_t Home(const ItemPath& p) const {
    uint64_t h = (uint64_t{p.trackId} << 32 | p.blockId) * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) ^ uint64_t{p.eventId} * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 32;
    return static_cast<size_t>(h) & mask_;
  }
  // Rehashes into a table at most half full with room for n paths.
  void Grow(size_t n) {
    size_t capacity = 16;
    while (capacity < n * 2 + 2) capacity *= 2;
    std::vector<Slot> old(capacity, Slot{ItemPath{}, kEmpty, Value{}});
    old.swap(slots_);
    mask_ = capacity - 1;
    size_ = used_ = 0;
    for (const Slot& s : old)
      if (s.state == kFull) Add(s.path, s.value);
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;  // paths held
  size_t used_ = 0;  // slots full or tombstones
};

using PathSet = PathMap<uint8_t>;
