// KvList ordering: the selection sort, the heap sort, sorting into another list,
// and moving a range within a list.
#include <cstdlib>
#include <cstring>

#include "kvlib/kvlist.h"
#include "kvlib/kvlist_internal.h"

using namespace kvlist_detail;

namespace {

constexpr std::size_t kStackTemporary = 512;

void SiftDown(tKVLIST* l, uint32_t criterion, KvListCompare compare, int32_t root, int32_t end) {
  for (;;) {
    int32_t largest = root;
    int32_t left = 2 * root + 1;
    int32_t right = left + 1;
    if (left < end && compare(criterion, ItemArg(l, left), ItemArg(l, largest)) > 0) largest = left;
    if (right < end && compare(criterion, ItemArg(l, right), ItemArg(l, largest)) > 0) largest = right;
    if (largest == root) return;
    SwapSlots(l, root, largest);
    root = largest;
  }
}

}  // namespace

KVRESULT KvList_Sort(KvList list, uint32_t criterion, KvListCompare compare) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  list->sortCriteria = criterion;
  if (list->count < 2 || !compare) return KV_OK;
  for (int32_t q = list->count - 1; q >= 1; --q) {
    int32_t largest = 0;
    for (int32_t i = 1; i <= q; ++i) {
      // A later item replaces the largest only when strictly after it: the first
      // of equal largest items is the one moved to q.
      if (compare(criterion, ItemArg(list, i), ItemArg(list, largest)) > 0) largest = i;
    }
    SwapSlots(list, largest, q);
  }
  return KV_OK;
}

KVRESULT KvList_HeapSort(KvList list, uint32_t criterion, KvListCompare compare) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  list->sortCriteria = criterion;
  if (list->count < 2 || !compare) return KV_OK;
  const int32_t count = list->count;
  for (int32_t root = count / 2 - 1; root >= 0; --root) SiftDown(list, criterion, compare, root, count);
  for (int32_t end = count - 1; end >= 1; --end) {
    SwapSlots(list, 0, end);
    SiftDown(list, criterion, compare, 0, end);
  }
  return KV_OK;
}

KVRESULT KvList_SortTo(KvList source, KvList destination, uint32_t criterion, KvListCompare compare) {
  if (source == destination) return KV_E_FAIL;
  PairGuard guard(source, destination);
  if (!guard.ok()) return guard.status();
  if (!compare) return KV_E_INVALIDARG;
  // Array items are copied, so both lists must hold the same items; a heap list
  // cannot take pointers to blocks it does not own.
  if (IsArray(source) != IsArray(destination) || source->itemSize != destination->itemSize ||
      IsHeap(destination)) {
    return KV_E_FAIL;
  }
  destination->sortCriteria = criterion;
  for (int32_t i = 0; i < source->count; ++i) {
    const void* key = ItemArg(source, i);
    int32_t at = KvList_FindSortedInsertIndexRange(destination, key, 0, -1, compare);
    KVRESULT hr = InsertRaw(destination, at, Slot(source, i), 1);
    if (hr != KV_OK) return hr;
  }
  return KV_OK;
}

KVRESULT KvList_MoveRange(KvList list, int32_t from, int32_t to, int32_t n) {
  Guard guard(list);
  if (!guard.ok()) return guard.status();
  if (from < 0) return KV_E_INVALIDARG;
  if (n < 0) n = list->count - from;
  if (to < 0 || n < 0 || from > list->count - n || to > list->count - n) return KV_E_FAIL;
  if (n == 0 || from == to) return KV_OK;

  const std::size_t itemSize = static_cast<std::size_t>(list->itemSize);
  const std::size_t bytes = static_cast<std::size_t>(n) * itemSize;
  alignas(8) uint8_t stackTemp[kStackTemporary];
  uint8_t* temp = stackTemp;
  if (bytes > kStackTemporary) {
    temp = static_cast<uint8_t*>(std::malloc(bytes));
    if (!temp) return KV_E_OUTOFMEMORY;
  }
  std::memcpy(temp, Slot(list, from), bytes);
  if (to < from) {
    // The items in [to, from) move up behind the moved range.
    std::memmove(Slot(list, to + n), Slot(list, to), static_cast<std::size_t>(from - to) * itemSize);
  } else {
    // The items in [from + n, to + n) move down in front of it.
    std::memmove(Slot(list, from), Slot(list, from + n), static_cast<std::size_t>(to - from) * itemSize);
  }
  std::memcpy(Slot(list, to), temp, bytes);
  if (temp != stackTemp) std::free(temp);
  return KV_OK;
}
