// KvList core: the record, its lock and owner check, the slot array and its growth,
// creation and destruction, insertion and deletion, the item blocks of heap lists
// and the pending item, and the accessors.
#include "kvlib/kvlist.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "kvlib/kvlist_internal.h"

namespace kvlist_detail {

namespace {

constexpr int32_t kDefaultCount = 16;
constexpr int32_t kMinGrowBy = 4;
constexpr int32_t kMaxGrowBy = 66560;
// A private heap's options and the zero-memory flag added for its allocations.
constexpr uint32_t kHeapOptions = 1;  // no serialisation: the list's own lock serialises
constexpr uint32_t kHeapZeroMemory = 8;
constexpr int64_t kMaxBytes = INT32_MAX;

// The private heap of a heap list created with KVLIST_PRIVATEHEAP: the blocks it
// holds with their sizes. Blocks themselves come from the run-time allocator.
struct PrivateHeap {
  std::unordered_map<void*, std::size_t> blocks;
};

PrivateHeap* HeapOf(const tKVLIST* l) { return static_cast<PrivateHeap*>(l->privateHeap); }

std::size_t UsableSize(const void* block) {
#ifdef _WIN32
  return _msize(const_cast<void*>(block));
#else
  return malloc_usable_size(const_cast<void*>(block));
#endif
}

bool IsLive(const tKVLIST* l) { return l != nullptr && l->magic == KVLIST_MAGIC; }

}  // namespace

Guard::Guard(tKVLIST* list) : list_(list) {
  if (!IsLive(list)) {
    status_ = KV_E_INVALIDARG;
    return;
  }
  if (list->options & KVLIST_THREADSAFE) {
    KvLockEnter(&list->lock);
    locked_ = true;
  }
  if (!(list->options & KVLIST_NOOWNERCHECK) && list->ownerThread != KvCurrentThreadId()) status_ = KV_E_FAIL;
}

Guard::~Guard() {
  if (locked_) KvLockLeave(&list_->lock);
}

void SwapSlots(tKVLIST* l, int32_t a, int32_t b) {
  if (a == b) return;
  uint8_t* pa = Slot(l, a);
  uint8_t* pb = Slot(l, b);
  for (int32_t off = 0; off < l->itemSize; off += 4) {
    uint32_t t;
    std::memcpy(&t, pa + off, 4);
    std::memmove(pa + off, pb + off, 4);
    std::memcpy(pb + off, &t, 4);
  }
}

void SearchRange(const tKVLIST* l, int32_t start, int32_t n, int32_t* lo, int32_t* d) {
  if (start < 0) start = 0;
  *lo = start;
  int32_t remaining = l->count - start;
  if (remaining <= 0) {
    *d = 0;
    return;
  }
  *d = (n < 0 || n > remaining) ? remaining : n;
}

KVRESULT AddSlots(tKVLIST* l, int64_t slots) {
  if (slots <= 0) return KV_OK;
  int64_t newCapacity = static_cast<int64_t>(l->capacity) + slots;
  int64_t bytes = newCapacity * l->itemSize;
  if (newCapacity > INT32_MAX || bytes > kMaxBytes) return KV_E_OUTOFMEMORY;
  // The array holds at least one item even when capacity is 0 after a full shrink.
  int64_t oldBytes = std::max<int64_t>(static_cast<int64_t>(l->capacity) * l->itemSize, l->itemSize);
  void* grown = std::realloc(l->items, static_cast<std::size_t>(bytes));
  if (!grown) return KV_E_OUTOFMEMORY;
  l->items = static_cast<uint8_t*>(grown);
  if (bytes > oldBytes) std::memset(l->items + oldBytes, 0, static_cast<std::size_t>(bytes - oldBytes));
  // Slots past the count are always zero; the bytes of a fully shrunk array too.
  l->capacity = static_cast<int32_t>(newCapacity);
  return KV_OK;
}

KVRESULT EnsureRoomForInsert(tKVLIST* l, int32_t n) {
  if (static_cast<int64_t>(l->capacity) >= static_cast<int64_t>(l->count) + n) return KV_OK;
  int64_t steps = (static_cast<int64_t>(n) + l->growBy - 1) / l->growBy;
  return AddSlots(l, steps * l->growBy);
}

void ReleaseSlots(tKVLIST* l, int32_t k) {
  if (k <= 0) return;
  int32_t newCapacity = l->capacity - k;
  int64_t bytes = std::max<int64_t>(static_cast<int64_t>(newCapacity) * l->itemSize, l->itemSize);
  void* shrunk = std::realloc(l->items, static_cast<std::size_t>(bytes));
  if (!shrunk) return;  // keep the larger array: nothing is lost
  l->items = static_cast<uint8_t*>(shrunk);
  l->capacity = newCapacity;
}

void ShrinkAfterDelete(tKVLIST* l) {
  int32_t freeSlots = l->capacity - l->count;
  if (freeSlots > l->growBy) ReleaseSlots(l, freeSlots / l->growBy * l->growBy);
}

KVRESULT InsertRaw(tKVLIST* l, int32_t index, const void* items, int32_t n) {
  if (index < 0 || index >= l->count) index = l->count;
  KVRESULT hr = EnsureRoomForInsert(l, n);
  if (hr != KV_OK) return hr;
  if (n == 0) return KV_OK;
  std::size_t tail = static_cast<std::size_t>(l->count - index) * l->itemSize;
  std::memmove(Slot(l, index + n), Slot(l, index), tail);
  std::memcpy(Slot(l, index), items, static_cast<std::size_t>(n) * l->itemSize);
  l->count += n;
  return KV_OK;
}

void RemoveRaw(tKVLIST* l, int32_t index, int32_t n) {
  std::size_t tail = static_cast<std::size_t>(l->count - index - n) * l->itemSize;
  std::memmove(Slot(l, index), Slot(l, index + n), tail);
  std::memset(Slot(l, l->count - n), 0, static_cast<std::size_t>(n) * l->itemSize);
  l->count -= n;
}

void* BlockAlloc(tKVLIST* l, int32_t size) {
  void* block = std::calloc(size > 0 ? static_cast<std::size_t>(size) : 1, 1);
  if (!block) return nullptr;
  if (PrivateHeap* heap = HeapOf(l)) {
    try {
      heap->blocks.emplace(block, static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
      std::free(block);
      return nullptr;
    }
  }
  return block;
}

void BlockFree(tKVLIST* l, void* block) {
  if (!block) return;
  if (PrivateHeap* heap = HeapOf(l)) heap->blocks.erase(block);
  std::free(block);
}

void* BlockRealloc(tKVLIST* l, void* block, int32_t size) {
  PrivateHeap* heap = HeapOf(l);
  std::size_t oldSize = UsableSize(block);
  if (heap) {
    auto it = heap->blocks.find(block);
    if (it != heap->blocks.end()) oldSize = it->second;
    // Make room in the heap's record first so that nothing can fail after the realloc.
    try {
      heap->blocks.reserve(heap->blocks.size() + 1);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  std::size_t newSize = static_cast<std::size_t>(size);
  void* resized = std::realloc(block, newSize > 0 ? newSize : 1);
  if (!resized) return nullptr;
  if (newSize > oldSize) std::memset(static_cast<uint8_t*>(resized) + oldSize, 0, newSize - oldSize);
  if (heap) {
    heap->blocks.erase(block);
    heap->blocks.emplace(resized, newSize);
  }
  return resized;
}

int64_t BlockSize(const tKVLIST* l, const void* block) {
  if (!block) return 0;
  if (PrivateHeap* heap = HeapOf(l)) {
    auto it = heap->blocks.find(const_cast<void*>(block));
    if (it != heap->blocks.end()) return static_cast<int64_t>(it->second);
  }
  return static_cast<int64_t>(UsableSize(block));
}

int BlockAdopt(tKVLIST* l, void* block) {
  PrivateHeap* heap = HeapOf(l);
  if (!heap || !block || heap->blocks.count(block)) return 0;
  try {
    heap->blocks.emplace(block, UsableSize(block));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return 1;
}

void BlockRelease(tKVLIST* l, void* block) {
  if (PrivateHeap* heap = HeapOf(l)) heap->blocks.erase(block);
}

void FreeAllBlocks(tKVLIST* l) {
  if (!IsHeap(l)) return;
  if (PrivateHeap* heap = HeapOf(l)) {
    // The heap holds every block of the list, the pending item included.
    for (auto& entry : heap->blocks) std::free(entry.first);
    delete heap;
    l->privateHeap = nullptr;
  } else {
    for (int32_t i = 0; i < l->count; ++i) std::free(StoredPtr(l, i));
    std::free(l->pendingItem);
  }
  if (l->count > 0) std::memset(l->items, 0, static_cast<std::size_t>(l->count) * l->itemSize);
  l->count = 0;
  l->pendingItem = nullptr;
}

bool CreatePrivateHeap(tKVLIST* l) {
  PrivateHeap* heap = new (std::nothrow) PrivateHeap;
  if (!heap) return false;
  l->privateHeap = heap;
  return true;
}

}  // namespace kvlist_detail

using namespace kvlist_detail;

KVRESULT KvList_CreateExZ(KvList* out, int32_t itemSize, int32_t initialCount, int32_t growBy, uint32_t options,
                          void* /*reserved1*/, void* /*reserved2*/, void* /*reserved3*/) {
  options |= KVLIST_NOOWNERCHECK;
  tKVLIST* record = nullptr;
  if (options & KVLIST_INPLACE) {
    if (!out || !*out) return KV_E_FAIL;
    record = *out;
    std::memset(record, 0, sizeof(tKVLIST));
  } else {
    if (!out) return KV_E_INVALIDARG;
    *out = nullptr;
  }
  if ((options & KVLIST_ARRAY) && (options & KVLIST_HEAP)) return KV_E_FAIL;
  if ((options & KVLIST_ARRAY) && itemSize < 1) return KV_E_INVALIDARG;

  if (!record) {
    record = static_cast<tKVLIST*>(std::calloc(1, sizeof(tKVLIST)));
    if (!record) return KV_E_OUTOFMEMORY;
  }
  record->magic = KVLIST_MAGIC;

  int64_t size = (options & KVLIST_ARRAY) ? ((static_cast<int64_t>(itemSize) + 3) & ~int64_t{3})
                                         : static_cast<int64_t>(sizeof(void*));
  if (initialCount < 1) initialCount = kDefaultCount;
  if (growBy < 1) growBy = kDefaultCount;
  growBy = std::clamp(growBy, kMinGrowBy, kMaxGrowBy);
  int64_t capacity = (static_cast<int64_t>(initialCount) + growBy - 1) / growBy * growBy;
  int64_t bytes = capacity * size;

  void* slots = bytes <= kMaxBytes ? std::calloc(static_cast<std::size_t>(bytes), 1) : nullptr;
  if (!slots) {
    record->magic = 0;
    if (!(options & KVLIST_INPLACE)) std::free(record);
    return KV_E_OUTOFMEMORY;
  }
  record->itemSize = static_cast<int32_t>(size);
  record->items = static_cast<uint8_t*>(slots);
  if (options & KVLIST_THREADSAFE) KvLockInit(&record->lock);
  record->ownerThread = KvCurrentThreadId();
  record->options = options;
  record->capacity = static_cast<int32_t>(capacity);
  record->growBy = growBy;

  if ((options & KVLIST_HEAP) && (options & KVLIST_PRIVATEHEAP)) {
    record->heapAllocFlags = kHeapOptions | kHeapZeroMemory;
    record->heapFreeFlags = kHeapOptions;
    if (!CreatePrivateHeap(record)) {
      KvList list = record;
      KvList_Destroy(list);
      return KV_E_OUTOFMEMORY;
    }
  }
  *out = record;
  return KV_OK;
}

KVRESULT KvList_Destroy(KvList list) {
  if (!list) return KV_OK;
  {
    Guard guard(list);
    if (!guard.ok()) return guard.status();
    FreeAllBlocks(list);
    std::free(list->items);
    list->items = nullptr;
    list->count = 0;
    list->capacity = 0;
  }
  if (list->options & KVLIST_THREADSAFE) KvLockDestroy(&list->lock);
  list->magic = 0;
  if (!(list->options & KVLIST_INPLACE)) std::free(list);
  return KV_OK;
}

KVRESULT KvList_InsertList(KvList list, int32_t index, const void* items, int32_t n) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  void* pending = list->pendingItem;
  bool insertingPending = !items;
  if (!items) {
    if (n != -1 || !pending) return KV_E_FAIL;
    items = &pending;
    n = 1;
  } else if (n < 0) {
    if (n == INT32_MIN) return KV_E_INVALIDARG;
    n = -n;
  } else if (IsHeap(list)) {
    return KV_E_FAIL;
  }
  // Room first: after this the insert cannot fail.
  KVRESULT hr = EnsureRoomForInsert(list, n);
  if (hr != KV_OK) return hr;
  if (IsHeap(list) && list->privateHeap && n > 0) {
    // Blocks handed over by the caller join the private heap; on failure the ones
    // taken in by this call are given back.
    const auto* blocks = static_cast<void* const*>(items);
    std::vector<void*> adopted;
    try {
      adopted.reserve(static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
      return KV_E_OUTOFMEMORY;
    }
    for (int32_t i = 0; i < n; ++i) {
      int taken = BlockAdopt(list, blocks[i]);
      if (taken < 0) {
        for (void* block : adopted) BlockRelease(list, block);
        return KV_E_OUTOFMEMORY;
      }
      if (taken > 0) adopted.push_back(blocks[i]);
    }
  }
  // A successful insert ends the pending item: inserted (by null items, or
  // among the blocks handed over) or, when it was not, freed rather than lost.
  if (pending && IsHeap(list) && !insertingPending) {
    const auto* blocks = static_cast<void* const*>(items);
    insertingPending = std::find(blocks, blocks + n, pending) != blocks + n;
  }
  InsertRaw(list, index, items, n);
  if (pending && !insertingPending) BlockFree(list, pending);
  list->pendingItem = nullptr;
  return KV_OK;
}

KVRESULT KvList_DeleteList(KvList list, int32_t index, int32_t n, int32_t shrink) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (index < 0 && n < 0) {
    if (!list->pendingItem) return KV_E_FAIL;
    BlockFree(list, list->pendingItem);
    list->pendingItem = nullptr;
    return KV_OK;
  }
  if (n < 0) n = list->count - index;
  if (n == 0) return KV_OK;
  if (index < 0 || index > list->count - 1) return KV_E_FAIL;
  n = std::min(n, list->count - index);
  if (IsHeap(list)) {
    for (int32_t i = index; i < index + n; ++i) BlockFree(list, StoredPtr(list, i));
  }
  RemoveRaw(list, index, n);
  if (shrink) ShrinkAfterDelete(list);
  return KV_OK;
}

KVRESULT KvList_AllocItem(KvList list, int32_t size, void** outBlock) {
  if (outBlock) *outBlock = nullptr;
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (!IsHeap(list) || list->pendingItem) return KV_E_FAIL;
  if (!outBlock || size < 0) return KV_E_INVALIDARG;
  void* block = BlockAlloc(list, size);
  if (!block) return KV_E_OUTOFMEMORY;
  list->pendingItem = block;
  *outBlock = block;
  return KV_OK;
}

KVRESULT KvList_AllocAndInsertItem(KvList list, const void* data, int32_t size, int32_t index, int32_t* outIndex) {
  if (outIndex) *outIndex = -1;
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (index < 0 || index >= list->count) index = list->count;
  if (!IsHeap(list) || list->pendingItem) return KV_E_FAIL;
  if (size < 0) return KV_E_INVALIDARG;
  void* block = BlockAlloc(list, size);
  if (!block) return KV_E_OUTOFMEMORY;
  list->pendingItem = block;
  if (data && size > 0) std::memcpy(block, data, static_cast<std::size_t>(size));
  KVRESULT hr = InsertRaw(list, index, &block, 1);
  list->pendingItem = nullptr;
  if (hr != KV_OK) {
    BlockFree(list, block);
    return hr;
  }
  if (outIndex) *outIndex = index;
  return KV_OK;
}

KVRESULT KvList_ReAllocItem(KvList list, int32_t index, int32_t size) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (!IsHeap(list) || index < 0 || index >= list->count) return KV_E_FAIL;
  if (size < 0) return KV_E_INVALIDARG;
  void* block = StoredPtr(list, index);
  if (!block) return KV_E_FAIL;
  void* resized = BlockRealloc(list, block, size);
  if (!resized) return KV_E_OUTOFMEMORY;
  *reinterpret_cast<void**>(Slot(list, index)) = resized;
  return KV_OK;
}

int32_t KvList_AllocSize(KvList list, int32_t index) {
  Guard guard(list);
  if (!guard.ok()) return -1;
  int64_t total;
  if (index >= 0) {
    if (index >= list->count) return -1;
    total = IsHeap(list) ? BlockSize(list, StoredPtr(list, index)) : list->itemSize;
  } else {
    total = static_cast<int64_t>(sizeof(tKVLIST)) + static_cast<int64_t>(list->capacity) * list->itemSize;
    if (IsHeap(list)) {
      for (int32_t i = 0; i < list->count; ++i) total += BlockSize(list, StoredPtr(list, i));
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
}

KVRESULT KvList_GrowAllocated(KvList list, int32_t n) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (n <= 0) n = list->growBy;
  int64_t steps = (static_cast<int64_t>(n) + list->growBy - 1) / list->growBy;
  return AddSlots(list, steps * list->growBy);
}

KVRESULT KvList_Append(KvList list, const void* item) {
  if (!KvList_IsListFast(list)) return KV_E_INVALIDARG;
  if (list->count >= list->capacity && list->count > list->growBy) {
    const KVRESULT hr = KvList_GrowAllocated(list, list->count);
    if (hr != KV_OK) return hr;
  }
  return KvList_InsertList(list, -1, item, 1);
}

KVRESULT KvList_ShrinkAllocated(KvList list, int32_t n) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  int32_t freeSlots = list->capacity - list->count;
  int32_t m = (n < 0 || n > freeSlots) ? freeSlots : n;
  ReleaseSlots(list, m / list->growBy * list->growBy);
  return KV_OK;
}

KVRESULT KvList_ArrayForceItemCount(KvList list, int32_t n, int32_t shrink) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (!IsArray(list)) return KV_E_FAIL;
  if (n < 0) return KV_E_INVALIDARG;
  if (n > list->capacity) {
    int64_t missing = static_cast<int64_t>(n) - list->capacity;
    KVRESULT hr = AddSlots(list, (missing + list->growBy - 1) / list->growBy * list->growBy);
    if (hr != KV_OK) return hr;
  } else if (n < list->count) {
    // Slots past the count stay zero.
    std::memset(Slot(list, n), 0, static_cast<std::size_t>(list->count - n) * list->itemSize);
  }
  list->count = n;
  if (shrink) ShrinkAfterDelete(list);
  return KV_OK;
}

KVRESULT KvList_MoveItemsBetweenHeapLists(KvList destination, int32_t index, KvList source, int32_t first,
                                          int32_t n) {
  if (destination == source) return KV_E_FAIL;
  PairGuard guard(destination, source);
  if (!guard.ok()) return guard.status();
  if (!IsHeap(destination) || !IsHeap(source)) return KV_E_FAIL;
  if (first < 0 || first > source->count) return KV_E_FAIL;
  if (n < 0) n = source->count - first;
  if (n > source->count - first) return KV_E_FAIL;
  if (n == 0) return KV_OK;
  // Room for all of them first, so that no insert below can fail.
  KVRESULT hr = EnsureRoomForInsert(destination, n);
  if (hr != KV_OK) return hr;
  for (int32_t i = first + n - 1; i >= first; --i) {
    void* block = StoredPtr(source, i);
    if (BlockAdopt(destination, block) < 0) return KV_E_OUTOFMEMORY;
    BlockRelease(source, block);
    InsertRaw(destination, index, &block, 1);
    RemoveRaw(source, i, 1);
  }
  return KV_OK;
}

KVRESULT KvList_ConvertToInPlace(KvList* list, tKVLIST* record) {
  if (!list || !record || !KvList_IsListFast(*list)) return KV_E_INVALIDARG;
  tKVLIST* old = *list;
  if (old == record) return KV_E_FAIL;
  {
    Guard guard(old);
    if (!guard.ok()) return guard.status();
    if (old->options & KVLIST_INPLACE) return KV_E_FAIL;
    std::memcpy(static_cast<void*>(record), old, sizeof(tKVLIST));
    record->options |= KVLIST_INPLACE;
  }
  if (old->options & KVLIST_THREADSAFE) {
    // The lock is not copied: the new record gets its own.
    KvLockDestroy(&old->lock);
    KvLockInit(&record->lock);
  }
  old->magic = 0;
  std::free(old);
  *list = record;
  return KV_OK;
}

uint32_t KvList_GetCreateOptions(KvList list) {
  Guard guard(list);
  return guard.ok() ? list->options : 0;
}

bool KvList_IsList(const void* p, int32_t size) {
  return p != nullptr && size == static_cast<int32_t>(sizeof(tKVLIST)) && KvList_IsListFast(p);
}

bool KvList_IsListFast(const void* p) {
  return p != nullptr && static_cast<const tKVLIST*>(p)->magic == KVLIST_MAGIC;
}

uint32_t KvList_GetUserData(KvList list) {
  if (!IsLive(list)) return 0;
  return std::atomic_ref<uint32_t>(list->userData).load();
}

uint32_t KvList_SetUserData(KvList list, uint32_t value) {
  if (!IsLive(list)) return 0;
  return std::atomic_ref<uint32_t>(list->userData).exchange(value);
}

uint32_t KvList_GetSortCriteria(KvList list) {
  Guard guard(list);
  return guard.ok() ? list->sortCriteria : 0;
}

uint32_t KvList_GetThreadOwner(KvList list) {
  if (!IsLive(list)) return 0;
  return std::atomic_ref<uint32_t>(list->ownerThread).load();
}

KVRESULT KvList_SetThreadOwner(KvList list, uint32_t threadId) {
  // No owner check: this is how another thread takes a list over.
  if (!IsLive(list)) return KV_E_INVALIDARG;
  if (threadId == 0) threadId = KvCurrentThreadId();
  std::atomic_ref<uint32_t>(list->ownerThread).store(threadId);
  return KV_OK;
}

int32_t KvList_GetFileAndLine(KvList /*list*/, const char** file) {
  if (file) *file = "";
  return -1;
}

bool KvList_IsValidIndexSlow(KvList list, int32_t index) {
  Guard guard(list);
  return guard.ok() && index >= 0 && index < list->count;
}
