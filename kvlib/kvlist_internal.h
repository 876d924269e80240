// Internals shared by the KvList implementation files: the guard that takes the
// lock and checks the owner, slot access, slot-array growth, and the item blocks
// of heap lists. Not part of the public interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "kvlib/kvlist.h"

namespace kvlist_detail {

// Entered at the start of every operation: checks that the pointer is a live list,
// takes the lock of a thread-safe list, then checks the owner thread unless the
// list has KVLIST_NOOWNERCHECK. The lock, once taken, is released by the destructor
// on every return path.
class Guard {
 public:
  explicit Guard(tKVLIST* list);
  ~Guard();
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

  // KV_OK, KV_E_INVALIDARG (null or not a list) or KV_E_FAIL (wrong thread).
  KVRESULT status() const { return status_; }
  bool ok() const { return status_ == KV_OK; }

 private:
  tKVLIST* list_;
  bool locked_ = false;
  KVRESULT status_ = KV_OK;
};

// Two lists guarded at once, their locks always taken in one global order
// (by address): two threads moving between the same lists in opposite
// directions cannot each hold the lock the other waits for.
class PairGuard {
 public:
  PairGuard(tKVLIST* a, tKVLIST* b)
      : first_(std::less<tKVLIST*>()(a, b) ? a : b), second_(std::less<tKVLIST*>()(a, b) ? b : a) {}
  KVRESULT status() const { return first_.ok() ? second_.status() : first_.status(); }
  bool ok() const { return first_.ok() && second_.ok(); }

 private:
  Guard first_, second_;
};

inline bool IsArray(const tKVLIST* l) { return (l->options & KVLIST_ARRAY) != 0; }
inline bool IsHeap(const tKVLIST* l) { return (l->options & KVLIST_HEAP) != 0; }

inline uint8_t* Slot(const tKVLIST* l, int32_t index) {
  return l->items + static_cast<std::ptrdiff_t>(index) * l->itemSize;
}
inline void* StoredPtr(const tKVLIST* l, int32_t index) { return *reinterpret_cast<void**>(Slot(l, index)); }

// What the callbacks see for an item: the inline item of an array list, the stored
// pointer of the others.
inline const void* ItemArg(const tKVLIST* l, int32_t index) {
  return IsArray(l) ? static_cast<const void*>(Slot(l, index)) : StoredPtr(l, index);
}

// Swaps two slots, 4 bytes at a time (item sizes are multiples of 4).
void SwapSlots(tKVLIST* l, int32_t a, int32_t b);

// The range [*lo, *lo + *d) of a search from start over n items (start < 0 is 0,
// n < 0 means all remaining). *d is 0 for an empty range.
void SearchRange(const tKVLIST* l, int32_t start, int32_t n, int32_t* lo, int32_t* d);

// Adds slots to the array (new slots zeroed); KV_E_OUTOFMEMORY changes nothing.
KVRESULT AddSlots(tKVLIST* l, int64_t slots);
// Grow rule of an insert of n items: if capacity < count + n, add
// grow-by * ceil(n / grow-by) slots.
KVRESULT EnsureRoomForInsert(tKVLIST* l, int32_t n);
// Releases k free slots (the array never goes below one item's size).
void ReleaseSlots(tKVLIST* l, int32_t k);
// Shrink rule of a delete: if more than grow-by slots are free, release the
// largest multiple of grow-by not above the free count.
void ShrinkAfterDelete(tKVLIST* l);
// Inserts n items (copied from items, n >= 0) at index (appends for an index
// outside 0..count-1). Growth as above; the pending item is not touched.
KVRESULT InsertRaw(tKVLIST* l, int32_t index, const void* items, int32_t n);
// Removes n slots at index (range already validated), without freeing blocks;
// vacated slots at the end are zeroed.
void RemoveRaw(tKVLIST* l, int32_t index, int32_t n);

// Item blocks of heap lists. They come from the run-time allocator (calloc/realloc/
// free); a list with a private heap also keeps them in its heap's record, so that
// destroying the heap frees every block it holds and sizes are exact.
void* BlockAlloc(tKVLIST* l, int32_t size);  // zeroed; null on failure
void BlockFree(tKVLIST* l, void* block);
// Resizes a block; bytes beyond the old size are zeroed. Null on failure (the
// block is unchanged).
void* BlockRealloc(tKVLIST* l, void* block, int32_t size);
int64_t BlockSize(const tKVLIST* l, const void* block);
// Takes a block handed over by the caller into the list's private heap: 1 when
// taken in, 0 without a private heap or when the heap already holds it, -1 when
// out of memory.
int BlockAdopt(tKVLIST* l, void* block);
// Drops a block from the list's private heap without freeing it (it is moving to
// another list).
void BlockRelease(tKVLIST* l, void* block);
// Frees every item block and the pending item of a heap list; the private heap,
// if any, is destroyed whole.
void FreeAllBlocks(tKVLIST* l);
bool CreatePrivateHeap(tKVLIST* l);

}  // namespace kvlist_detail
