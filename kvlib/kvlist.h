// KvList: the growable sequence container used for every list of the system.
// An array list stores fixed-size items inline; a pointer list stores pointers;
// a heap list owns the blocks its pointers refer to. Platform-free.
#pragma once

#include <cstdint>

#include "kvlib/kvlock.h"

typedef int32_t KVRESULT;

// Result codes, as the operating system defines them.
inline constexpr KVRESULT KV_OK = 0;
inline constexpr KVRESULT KV_E_FAIL = static_cast<KVRESULT>(0x80004005u);
inline constexpr KVRESULT KV_E_OUTOFMEMORY = static_cast<KVRESULT>(0x8007000Eu);
inline constexpr KVRESULT KV_E_INVALIDARG = static_cast<KVRESULT>(0x80070057u);

// Create options.
enum : uint32_t {
  KVLIST_THREADSAFE = 0x80000000u,
  KVLIST_NOOWNERCHECK = 0x40000000u,
  KVLIST_PRIVATEHEAP = 0x10000000u,
  KVLIST_INPLACE = 0x8u,
  KVLIST_ARRAY = 0x4u,
  KVLIST_HEAP = 0x2u,
};

inline constexpr uint32_t KVLIST_MAGIC = 0x54525543u;

struct tKVLIST {
  int32_t count;
  int32_t itemSize;
  uint8_t* items;
  KvLockStorage lock;  // initialised only for thread-safe lists
  uint32_t magic;
  uint32_t options;
  uint32_t userData;
  uint32_t sortCriteria;
  uint32_t ownerThread;
  int32_t capacity;
  int32_t growBy;
  void* privateHeap;
  uint32_t heapAllocFlags;
  uint32_t heapFreeFlags;
  void* pendingItem;
  uint32_t reserved;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(tKVLIST) == 84, "tKVLIST is 84 bytes in the 32-bit build");
#endif

typedef tKVLIST* KvList;

// match(key, item) returns 0 when the item matches.
typedef int (*KvListMatch)(const void* key, const void* item);
// compare(criterion, a, b): negative, 0 or positive as a is before, equal to or after b.
// Array lists pass pointers to the inline items, the others the stored pointers.
typedef int (*KvListCompare)(uint32_t criterion, const void* a, const void* b);

KVRESULT KvList_CreateExZ(KvList* out, int32_t itemSize, int32_t initialCount, int32_t growBy, uint32_t options,
                          void* reserved1, void* reserved2, void* reserved3);
KVRESULT KvList_Destroy(KvList list);
KVRESULT KvList_InsertList(KvList list, int32_t index, const void* items, int32_t n);
KVRESULT KvList_DeleteList(KvList list, int32_t index, int32_t n, int32_t shrink);
KVRESULT KvList_AllocAndInsertItem(KvList list, const void* data, int32_t size, int32_t index, int32_t* outIndex);
int32_t KvList_FindItemRange(KvList list, int32_t start, int32_t n, const void* key, KvListMatch match);
int32_t KvList_FindSortedItemRange(KvList list, const void* key, int32_t start, int32_t n, KvListCompare compare);
int32_t KvList_FindSortedInsertIndexRange(KvList list, const void* key, int32_t start, int32_t n,
                                          KvListCompare compare);
KVRESULT KvList_Sort(KvList list, uint32_t criterion, KvListCompare compare);
uint32_t KvList_GetCreateOptions(KvList list);

// The rest of the interface.
bool KvList_IsList(const void* p, int32_t size);
bool KvList_IsListFast(const void* p);
uint32_t KvList_GetUserData(KvList list);
uint32_t KvList_SetUserData(KvList list, uint32_t value);
uint32_t KvList_GetSortCriteria(KvList list);
uint32_t KvList_GetThreadOwner(KvList list);
KVRESULT KvList_SetThreadOwner(KvList list, uint32_t threadId);
int32_t KvList_GetFileAndLine(KvList list, const char** file);
bool KvList_IsValidIndexSlow(KvList list, int32_t index);
KVRESULT KvList_GrowAllocated(KvList list, int32_t n);
// Appends one item; a full list first doubles its room (in steps of its
// growth), so that n appends copy the items about log n times, not n / growth.
KVRESULT KvList_Append(KvList list, const void* item);
KVRESULT KvList_ShrinkAllocated(KvList list, int32_t n);
KVRESULT KvList_MoveRange(KvList list, int32_t from, int32_t to, int32_t n);
KVRESULT KvList_AllocItem(KvList list, int32_t size, void** outBlock);
KVRESULT KvList_ReAllocItem(KvList list, int32_t index, int32_t size);
int32_t KvList_AllocSize(KvList list, int32_t index);
int32_t KvList_FindSpecificItemRange(KvList list, int32_t start, int32_t n, const void* item);
KVRESULT KvList_HeapSort(KvList list, uint32_t criterion, KvListCompare compare);
KVRESULT KvList_SortTo(KvList source, KvList destination, uint32_t criterion, KvListCompare compare);
KVRESULT KvList_MoveItemsBetweenHeapLists(KvList destination, int32_t index, KvList source, int32_t first, int32_t n);
KVRESULT KvList_ConvertToInPlace(KvList* list, tKVLIST* record);
KVRESULT KvList_ArrayForceItemCount(KvList list, int32_t n, int32_t shrink);

// Inline accessors for the owner of a list (no lock, no checks).
inline int32_t KvList_Count(const tKVLIST* list) { return list ? list->count : 0; }
inline void* KvList_At(const tKVLIST* list, int32_t index) {
  return list->items + static_cast<intptr_t>(index) * list->itemSize;
}
// Pointer and heap lists: the stored pointer.
inline void* KvList_PtrAt(const tKVLIST* list, int32_t index) {
  return *reinterpret_cast<void**>(KvList_At(list, index));
}
