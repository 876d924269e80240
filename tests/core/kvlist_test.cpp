// KvList: creation, growth, insertion, deletion and shrinking, capacity
// control, MoveRange, ArrayForceItemCount, in-place records and the accessors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "kvlib/kvlist.h"
#include "tests/core/kvlist_test_util.h"

using kvtest::AppendInts;
using kvtest::Ints;
using kvtest::ListPtr;
using kvtest::MakeIntList;
using kvtest::MakeList;

namespace {

// True when every byte of the slots from `from` to the capacity is zero.
bool SlotsZeroFrom(const tKVLIST* list, int32_t from) {
  const uint8_t* p = list->items + static_cast<std::ptrdiff_t>(from) * list->itemSize;
  const uint8_t* end = list->items + static_cast<std::ptrdiff_t>(list->capacity) * list->itemSize;
  for (; p < end; ++p) {
    if (*p != 0) return false;
  }
  return true;
}

std::vector<int32_t> Range(int32_t n) {
  std::vector<int32_t> v(n);
  std::iota(v.begin(), v.end(), 0);
  return v;
}

}  // namespace

// ---- Creation ----

TEST(KvListCreate, DefaultsGiveCapacity16) {
  ListPtr list = MakeIntList(0, 0);
  EXPECT_EQ(list->capacity, 16);
  EXPECT_EQ(list->growBy, 16);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->magic, KVLIST_MAGIC);
  EXPECT_NE(list->items, nullptr);
}

TEST(KvListCreate, CapacityIsWholeGrowSteps) {
  EXPECT_EQ(MakeIntList(8, 8)->capacity, 8);
  EXPECT_EQ(MakeIntList(17, 16)->capacity, 32);
  EXPECT_EQ(MakeIntList(1, 8)->capacity, 8);
  EXPECT_EQ(MakeIntList(-5, 8)->capacity, 16);  // initial count < 1 is 16
  EXPECT_EQ(MakeIntList(9, -1)->capacity, 16);  // grow-by < 1 is 16
}

TEST(KvListCreate, GrowByIsLimited) {
  ListPtr small = MakeIntList(1, 3);
  EXPECT_EQ(small->growBy, 4);
  EXPECT_EQ(small->capacity, 4);
  ListPtr large = MakeIntList(1, 100000);
  EXPECT_EQ(large->growBy, 66560);
  EXPECT_EQ(large->capacity, 66560);
}

TEST(KvListCreate, ItemSizes) {
  EXPECT_EQ(MakeList(10, 0, 0, KVLIST_ARRAY)->itemSize, 12);
  EXPECT_EQ(MakeList(12, 0, 0, KVLIST_ARRAY)->itemSize, 12);
  EXPECT_EQ(MakeList(1, 0, 0, KVLIST_ARRAY)->itemSize, 4);
  EXPECT_EQ(MakeList(180, 0, 0, KVLIST_ARRAY)->itemSize, 180);
  // Pointer and heap lists store one pointer whatever size is asked for.
  EXPECT_EQ(MakeList(64, 0, 0, 0)->itemSize, static_cast<int32_t>(sizeof(void*)));
  EXPECT_EQ(MakeList(4, 0, 0, KVLIST_HEAP)->itemSize, static_cast<int32_t>(sizeof(void*)));
}

TEST(KvListCreate, SlotsStartZeroed) {
  ListPtr list = MakeList(64, 20, 8, KVLIST_ARRAY);
  EXPECT_EQ(list->capacity, 24);
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 0));
}

TEST(KvListCreate, OptionsAlwaysGetNoOwnerCheck) {
  EXPECT_EQ(KvList_GetCreateOptions(MakeList(72, 8, 8, 0x4).get()), 0x40000004u);
  EXPECT_EQ(KvList_GetCreateOptions(MakeList(4, 16, 16, 0x2).get()), 0x40000002u);
  EXPECT_EQ(KvList_GetCreateOptions(MakeList(4, 16, 16, 0x40000002).get()), 0x40000002u);
  ListPtr shared = MakeList(4, 16, 16, 0x80000002);
  EXPECT_EQ(KvList_GetCreateOptions(shared.get()), 0xC0000002u);
}

TEST(KvListCreate, RecordsTheCreatingThread) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(list->ownerThread, KvCurrentThreadId());
  EXPECT_EQ(KvList_GetThreadOwner(list.get()), KvCurrentThreadId());
  EXPECT_NE(KvCurrentThreadId(), 0u);
}

TEST(KvListCreate, ArrayAndHeapTogetherFail) {
  KvList list = reinterpret_cast<KvList>(uintptr_t{0x1234});
  EXPECT_EQ(KvList_CreateExZ(&list, 4, 0, 0, KVLIST_ARRAY | KVLIST_HEAP, nullptr, nullptr, nullptr), KV_E_FAIL);
  EXPECT_EQ(list, nullptr);  // the out pointer is cleared first
}

TEST(KvListCreate, NullOutPointerIsInvalid) {
  EXPECT_EQ(KvList_CreateExZ(nullptr, 4, 0, 0, KVLIST_ARRAY, nullptr, nullptr, nullptr), KV_E_INVALIDARG);
}

TEST(KvListCreate, InPlaceUsesTheCallersRecord) {
  tKVLIST record;
  std::memset(&record, 0xAB, sizeof(record));
  KvList list = &record;
  ASSERT_EQ(KvList_CreateExZ(&list, 12, 8, 8, KVLIST_ARRAY | KVLIST_INPLACE, nullptr, nullptr, nullptr), KV_OK);
  EXPECT_EQ(list, &record);
  EXPECT_EQ(record.magic, KVLIST_MAGIC);
  EXPECT_EQ(record.options, KVLIST_NOOWNERCHECK | KVLIST_ARRAY | KVLIST_INPLACE);
  EXPECT_EQ(record.count, 0);
  EXPECT_EQ(record.userData, 0u);        // cleared
  EXPECT_EQ(record.pendingItem, nullptr);  // cleared
  int32_t item[3] = {1, 2, 3};
  EXPECT_EQ(KvList_InsertList(list, -1, item, 1), KV_OK);
  // Destruction frees the slots but not the record (ASan would report freeing a stack object).
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
  EXPECT_EQ(record.magic, 0u);
  EXPECT_FALSE(KvList_IsListFast(&record));
}

TEST(KvListCreate, InPlaceWithoutRecordFails) {
  KvList list = nullptr;
  EXPECT_EQ(KvList_CreateExZ(&list, 4, 0, 0, KVLIST_ARRAY | KVLIST_INPLACE, nullptr, nullptr, nullptr), KV_E_FAIL);
  EXPECT_EQ(KvList_CreateExZ(nullptr, 4, 0, 0, KVLIST_ARRAY | KVLIST_INPLACE, nullptr, nullptr, nullptr), KV_E_FAIL);
}

TEST(KvListCreate, InPlaceArrayAndHeapFailAfterClearing) {
  tKVLIST record;
  std::memset(&record, 0xAB, sizeof(record));
  KvList list = &record;
  EXPECT_EQ(KvList_CreateExZ(&list, 4, 0, 0, KVLIST_ARRAY | KVLIST_HEAP | KVLIST_INPLACE, nullptr, nullptr, nullptr),
            KV_E_FAIL);
  EXPECT_EQ(record.magic, 0u);
  EXPECT_EQ(record.count, 0);
}

TEST(KvListCreate, HugeRequestsFailWithOutOfMemory) {
  KvList list = nullptr;
  EXPECT_EQ(KvList_CreateExZ(&list, 0x7FFFFFF0, 1000, 4, KVLIST_ARRAY, nullptr, nullptr, nullptr), KV_E_OUTOFMEMORY);
  EXPECT_EQ(list, nullptr);
}

TEST(KvListDestroy, NullIsSuccess) { EXPECT_EQ(KvList_Destroy(nullptr), KV_OK); }

// ---- Insertion and growth ----

TEST(KvListInsert, NegativeIndexAndCountAppend) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2});
  int32_t v = 3;
  EXPECT_EQ(KvList_InsertList(list.get(), 2, &v, 1), KV_OK);  // index == count
  v = 4;
  EXPECT_EQ(KvList_InsertList(list.get(), -7, &v, 1), KV_OK);
  v = 5;
  EXPECT_EQ(KvList_InsertList(list.get(), 100, &v, 1), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3, 4, 5}));
}

TEST(KvListInsert, InsertsInTheMiddle) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 5});
  int32_t v[2] = {3, 4};
  EXPECT_EQ(KvList_InsertList(list.get(), 2, v, 2), KV_OK);
  v[0] = 0;
  EXPECT_EQ(KvList_InsertList(list.get(), 0, v, 1), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(KvListInsert, GrowthCoversTheWholeInsertedCount) {
  ListPtr list = MakeIntList(8, 8);
  ASSERT_EQ(list->capacity, 8);
  std::vector<int32_t> v = Range(9);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, v.data(), 9), KV_OK);
  EXPECT_EQ(list->capacity, 24);  // 8 + 8 * ceil(9 / 8), not just the shortfall
  EXPECT_EQ(Ints(list.get()), v);
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 9));
}

TEST(KvListInsert, GrowsOnlyWhenFull) {
  ListPtr list = MakeIntList(8, 8);
  std::vector<int32_t> v = Range(8);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, v.data(), 8), KV_OK);
  EXPECT_EQ(list->capacity, 8);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, v.data(), 1), KV_OK);
  EXPECT_EQ(list->capacity, 16);
  // 100 appends one at a time grow in steps of 8.
  for (int i = 0; i < 100; ++i) ASSERT_EQ(KvList_InsertList(list.get(), -1, &i, 1), KV_OK);
  EXPECT_EQ(list->count, 109);
  EXPECT_EQ(list->capacity, 112);
}

TEST(KvListInsert, NegativeCountIsTheSameCount) {
  ListPtr list = MakeIntList();
  int32_t v[3] = {7, 8, 9};
  EXPECT_EQ(KvList_InsertList(list.get(), -1, v, -3), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{7, 8, 9}));
}

TEST(KvListInsert, ZeroItemsSucceeds) {
  ListPtr list = MakeIntList();
  int32_t v = 1;
  EXPECT_EQ(KvList_InsertList(list.get(), 0, &v, 0), KV_OK);
  EXPECT_EQ(list->count, 0);
}

TEST(KvListInsert, NullItemsWithoutPendingItemFail) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(KvList_InsertList(list.get(), -1, nullptr, -1), KV_E_FAIL);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, nullptr, 1), KV_E_FAIL);
}

TEST(KvListInsert, LargeRecordsKeepTheirBytes) {
  ListPtr list = MakeList(180, 8, 8, KVLIST_ARRAY);
  uint8_t rec[180];
  for (int r = 0; r < 20; ++r) {
    std::memset(rec, r + 1, sizeof(rec));
    ASSERT_EQ(KvList_InsertList(list.get(), r % 2 ? 0 : -1, rec, 1), KV_OK);
  }
  EXPECT_EQ(list->count, 20);
  EXPECT_EQ(list->capacity, 24);
  // Odd records went to the front (19, 17, ... 1), even ones to the back.
  EXPECT_EQ(*static_cast<uint8_t*>(KvList_At(list.get(), 0)), 20);
  EXPECT_EQ(*static_cast<uint8_t*>(KvList_At(list.get(), 19)), 19);
  EXPECT_EQ(static_cast<uint8_t*>(KvList_At(list.get(), 19))[179], 19);
}

// ---- Deletion and shrinking ----

TEST(KvListDelete, FromCountFails) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 3});
  EXPECT_EQ(KvList_DeleteList(list.get(), 3, 1, 0), KV_E_FAIL);
  EXPECT_EQ(KvList_DeleteList(list.get(), 4, 1, 0), KV_E_FAIL);
  EXPECT_EQ(KvList_DeleteList(list.get(), -1, 1, 0), KV_E_FAIL);
  EXPECT_EQ(list->count, 3);
}

TEST(KvListDelete, CountIsLimitedToTheEnd) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(KvList_DeleteList(list.get(), 4, 5, 0), KV_OK);  // index count - 2: removes 2
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 4));
}

TEST(KvListDelete, ZeroCountChangesNothing) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 3});
  EXPECT_EQ(KvList_DeleteList(list.get(), 1, 0, 1), KV_OK);
  EXPECT_EQ(KvList_DeleteList(list.get(), 99, 0, 0), KV_OK);
  EXPECT_EQ(KvList_DeleteList(list.get(), -3, 0, 0), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3}));
}

TEST(KvListDelete, NegativeCountDeletesToTheEnd) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 3, 4, 5});
  EXPECT_EQ(KvList_DeleteList(list.get(), 2, -1, 0), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2}));
}

TEST(KvListDelete, MiddleItemsMoveDownAndVacatedSlotsAreZero) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(KvList_DeleteList(list.get(), 1, 3, 0), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 5, 6, 7}));
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 4));
}

TEST(KvListDelete, PendingDeleteWithoutPendingItemFails) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1});
  EXPECT_EQ(KvList_DeleteList(list.get(), -1, -1, 0), KV_E_FAIL);
  EXPECT_EQ(list->count, 1);
}

TEST(KvListDelete, ShrinkReleasesWholeStepsOfFreeSlots) {
  ListPtr list = MakeIntList(8, 8);
  std::vector<int32_t> v = Range(24);
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 24), KV_OK);
  ASSERT_EQ(list->capacity, 32);
  // Without shrink the capacity stays.
  EXPECT_EQ(KvList_DeleteList(list.get(), 0, 4, 0), KV_OK);
  EXPECT_EQ(list->capacity, 32);
  // 20 items, 12 free > 8: one step of 8 goes.
  EXPECT_EQ(KvList_DeleteList(list.get(), 0, 0 + 0, 1), KV_OK);  // n = 0 never shrinks
  EXPECT_EQ(list->capacity, 32);
  EXPECT_EQ(KvList_DeleteList(list.get(), 19, 1, 1), KV_OK);  // 19 items, 13 free
  EXPECT_EQ(list->capacity, 24);
  // 16 items, 8 free: not more than grow-by, nothing released.
  EXPECT_EQ(KvList_DeleteList(list.get(), 0, 3, 1), KV_OK);
  EXPECT_EQ(list->count, 16);
  EXPECT_EQ(list->capacity, 24);
  // 3 items, 21 free: two steps (16) go.
  EXPECT_EQ(KvList_DeleteList(list.get(), 3, -1, 1), KV_OK);
  EXPECT_EQ(list->count, 3);
  EXPECT_EQ(list->capacity, 8);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{7, 8, 9}));
}

TEST(KvListDelete, FullShrinkThenGrowAgain) {
  ListPtr list = MakeIntList(16, 4);
  std::vector<int32_t> v = Range(16);
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 16), KV_OK);
  EXPECT_EQ(KvList_DeleteList(list.get(), 0, -1, 1), KV_OK);
  EXPECT_EQ(list->count, 0);
  EXPECT_EQ(list->capacity, 0);  // every free slot released; the array keeps one item's size
  EXPECT_EQ(KvList_InsertList(list.get(), -1, v.data(), 5), KV_OK);
  EXPECT_EQ(list->capacity, 8);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 5));
}

// ---- Capacity control ----

TEST(KvListCapacity, GrowAllocatedAddsWholeSteps) {
  ListPtr list = MakeIntList(8, 4);
  ASSERT_EQ(list->capacity, 8);
  EXPECT_EQ(KvList_GrowAllocated(list.get(), 5), KV_OK);
  EXPECT_EQ(list->capacity, 16);
  EXPECT_EQ(KvList_GrowAllocated(list.get(), 0), KV_OK);
  EXPECT_EQ(list->capacity, 20);
  EXPECT_EQ(KvList_GrowAllocated(list.get(), -3), KV_OK);
  EXPECT_EQ(list->capacity, 24);
  EXPECT_EQ(KvList_GrowAllocated(list.get(), 4), KV_OK);
  EXPECT_EQ(list->capacity, 28);
  EXPECT_TRUE(SlotsZeroFrom(list.get(), 0));
}

TEST(KvListCapacity, ShrinkAllocatedReleasesWholeSteps) {
  ListPtr list = MakeIntList(32, 4);
  AppendInts(list.get(), {1, 2, 3});
  // 29 free. n = 6: the largest multiple of 4 not above 6 is 4.
  EXPECT_EQ(KvList_ShrinkAllocated(list.get(), 6), KV_OK);
  EXPECT_EQ(list->capacity, 28);
  EXPECT_EQ(KvList_ShrinkAllocated(list.get(), 3), KV_OK);
  EXPECT_EQ(list->capacity, 28);
  EXPECT_EQ(KvList_ShrinkAllocated(list.get(), 1000), KV_OK);  // limited to the 25 free slots: 24
  EXPECT_EQ(list->capacity, 4);
  EXPECT_EQ(KvList_GrowAllocated(list.get(), 30), KV_OK);
  EXPECT_EQ(list->capacity, 36);
  EXPECT_EQ(KvList_ShrinkAllocated(list.get(), -1), KV_OK);  // all free slots: 33 -> 32
  EXPECT_EQ(list->capacity, 4);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3}));
}

// ---- MoveRange ----

TEST(KvListMoveRange, MovesForwardAndBack) {
  ListPtr list = MakeIntList();
  std::vector<int32_t> v = Range(10);
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 10), KV_OK);
  EXPECT_EQ(KvList_MoveRange(list.get(), 2, 6, 2), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{0, 1, 4, 5, 6, 7, 2, 3, 8, 9}));
  EXPECT_EQ(KvList_MoveRange(list.get(), 6, 2, 2), KV_OK);
  EXPECT_EQ(Ints(list.get()), v);
  EXPECT_EQ(KvList_MoveRange(list.get(), 6, 1, 3), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{0, 6, 7, 8, 1, 2, 3, 4, 5, 9}));
}

TEST(KvListMoveRange, NegativeCountMeansToTheEnd) {
  ListPtr list = MakeIntList();
  std::vector<int32_t> v = Range(10);
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 10), KV_OK);
  EXPECT_EQ(KvList_MoveRange(list.get(), 7, 0, -1), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{7, 8, 9, 0, 1, 2, 3, 4, 5, 6}));
}

TEST(KvListMoveRange, BadRanges) {
  ListPtr list = MakeIntList();
  std::vector<int32_t> v = Range(10);
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 10), KV_OK);
  EXPECT_EQ(KvList_MoveRange(list.get(), -1, 0, 2), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_MoveRange(list.get(), 9, 0, 2), KV_E_FAIL);  // source range passes the end
  EXPECT_EQ(KvList_MoveRange(list.get(), 0, 9, 2), KV_E_FAIL);  // destination range passes the end
  EXPECT_EQ(KvList_MoveRange(list.get(), 11, 0, -1), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveRange(list.get(), 0, 5, 0), KV_OK);
  EXPECT_EQ(KvList_MoveRange(list.get(), 0, 8, 2), KV_OK);  // ends exactly at the end
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
}

TEST(KvListMoveRange, LargeTemporaryIsAllocated) {
  // 10 records of 64 bytes: a 640-byte temporary, beyond the 512 bytes kept on the stack.
  ListPtr list = MakeList(64, 16, 16, KVLIST_ARRAY);
  uint8_t rec[64];
  for (int r = 0; r < 16; ++r) {
    std::memset(rec, r, sizeof(rec));
    ASSERT_EQ(KvList_InsertList(list.get(), -1, rec, 1), KV_OK);
  }
  EXPECT_EQ(KvList_MoveRange(list.get(), 0, 6, 10), KV_OK);
  std::vector<int> expect = {10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int i = 0; i < 16; ++i) {
    const uint8_t* item = static_cast<const uint8_t*>(KvList_At(list.get(), i));
    EXPECT_EQ(item[0], expect[i]) << i;
    EXPECT_EQ(item[63], expect[i]) << i;
  }
  // And one that fits the stack exactly (8 x 64 = 512 bytes).
  EXPECT_EQ(KvList_MoveRange(list.get(), 8, 0, 8), KV_OK);
  EXPECT_EQ(*static_cast<const uint8_t*>(KvList_At(list.get(), 0)), 2);
  EXPECT_EQ(*static_cast<const uint8_t*>(KvList_At(list.get(), 8)), 10);
}

// ---- ArrayForceItemCount ----

TEST(KvListForceCount, GrowsWithZeroSlots) {
  ListPtr list = MakeIntList(8, 8);
  AppendInts(list.get(), {5, 6});
  EXPECT_EQ(KvList_ArrayForceItemCount(list.get(), 20, 0), KV_OK);
  EXPECT_EQ(list->count, 20);
  EXPECT_EQ(list->capacity, 24);
  std::vector<int32_t> expect(20, 0);
  expect[0] = 5;
  expect[1] = 6;
  EXPECT_EQ(Ints(list.get()), expect);
}

TEST(KvListForceCount, ShrinkingTheCountZeroesTheDroppedSlots) {
  ListPtr list = MakeIntList(8, 8);
  std::vector<int32_t> v = Range(20);
  for (auto& x : v) x += 1;
  ASSERT_EQ(KvList_InsertList(list.get(), -1, v.data(), 20), KV_OK);
  ASSERT_EQ(list->capacity, 32);  // 8 + 8 * ceil(20 / 8)
  EXPECT_EQ(KvList_ArrayForceItemCount(list.get(), 5, 0), KV_OK);
  EXPECT_EQ(list->capacity, 32);
  EXPECT_EQ(KvList_ArrayForceItemCount(list.get(), 10, 0), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3, 4, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(KvList_ArrayForceItemCount(list.get(), 2, 1), KV_OK);  // 30 free: 24 released
  EXPECT_EQ(list->capacity, 8);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2}));
}

TEST(KvListForceCount, ArrayListsOnly) {
  ListPtr pointers = MakeList(4, 8, 8, 0);
  EXPECT_EQ(KvList_ArrayForceItemCount(pointers.get(), 3, 0), KV_E_FAIL);
  ListPtr heap = MakeList(4, 8, 8, KVLIST_HEAP);
  EXPECT_EQ(KvList_ArrayForceItemCount(heap.get(), 3, 0), KV_E_FAIL);
  ListPtr array = MakeIntList();
  EXPECT_EQ(KvList_ArrayForceItemCount(array.get(), -1, 0), KV_E_INVALIDARG);
}

// ---- ConvertToInPlace ----

TEST(KvListConvert, MovesTheListIntoCallerMemory) {
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, KVLIST_ARRAY, nullptr, nullptr, nullptr), KV_OK);
  AppendInts(list, {1, 2, 3});
  KvList_SetUserData(list, 77);
  tKVLIST record;
  std::memset(&record, 0, sizeof(record));
  KvList old = list;
  EXPECT_EQ(KvList_ConvertToInPlace(&list, &record), KV_OK);  // the old record is freed (ASan checks)
  EXPECT_EQ(list, &record);
  EXPECT_NE(list, old);
  EXPECT_EQ(KvList_GetCreateOptions(list), KVLIST_NOOWNERCHECK | KVLIST_ARRAY | KVLIST_INPLACE);
  EXPECT_EQ(KvList_GetUserData(list), 77u);
  EXPECT_EQ(Ints(list), (std::vector<int32_t>{1, 2, 3}));
  AppendInts(list, {4});
  EXPECT_EQ(Ints(list), (std::vector<int32_t>{1, 2, 3, 4}));
  // Already in place.
  tKVLIST other;
  EXPECT_EQ(KvList_ConvertToInPlace(&list, &other), KV_E_FAIL);
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
  EXPECT_FALSE(KvList_IsListFast(&record));
}

TEST(KvListConvert, ThreadSafeListGetsAWorkingLock) {
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, KVLIST_ARRAY | KVLIST_THREADSAFE, nullptr, nullptr, nullptr), KV_OK);
  AppendInts(list, {1});
  tKVLIST record;
  EXPECT_EQ(KvList_ConvertToInPlace(&list, &record), KV_OK);
  AppendInts(list, {2});
  EXPECT_EQ(Ints(list), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
}

TEST(KvListConvert, InvalidArguments) {
  tKVLIST record;
  EXPECT_EQ(KvList_ConvertToInPlace(nullptr, &record), KV_E_INVALIDARG);
  KvList none = nullptr;
  EXPECT_EQ(KvList_ConvertToInPlace(&none, &record), KV_E_INVALIDARG);
  tKVLIST notAList;
  std::memset(&notAList, 0, sizeof(notAList));
  KvList fake = &notAList;
  EXPECT_EQ(KvList_ConvertToInPlace(&fake, &record), KV_E_INVALIDARG);
  ListPtr real = MakeIntList();
  KvList p = real.get();
  EXPECT_EQ(KvList_ConvertToInPlace(&p, nullptr), KV_E_INVALIDARG);
}

// ---- Accessors ----

TEST(KvListAccessors, IsList) {
  ListPtr list = MakeIntList();
  EXPECT_TRUE(KvList_IsList(list.get(), sizeof(tKVLIST)));
  EXPECT_FALSE(KvList_IsList(list.get(), sizeof(tKVLIST) - 1));
  EXPECT_FALSE(KvList_IsList(nullptr, sizeof(tKVLIST)));
  EXPECT_TRUE(KvList_IsListFast(list.get()));
  EXPECT_FALSE(KvList_IsListFast(nullptr));
  uint32_t zeros[32] = {};
  EXPECT_FALSE(KvList_IsListFast(zeros));
}

TEST(KvListAccessors, UserDataIsExchanged) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(KvList_GetUserData(list.get()), 0u);
  EXPECT_EQ(KvList_SetUserData(list.get(), 5), 0u);
  EXPECT_EQ(KvList_SetUserData(list.get(), 9), 5u);
  EXPECT_EQ(KvList_GetUserData(list.get()), 9u);
}

TEST(KvListAccessors, FileAndLine) {
  ListPtr list = MakeIntList();
  const char* file = "x";
  EXPECT_EQ(KvList_GetFileAndLine(list.get(), &file), -1);
  EXPECT_STREQ(file, "");
  EXPECT_EQ(KvList_GetFileAndLine(list.get(), nullptr), -1);
}

TEST(KvListAccessors, IsValidIndexSlow) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2});
  EXPECT_FALSE(KvList_IsValidIndexSlow(list.get(), -1));
  EXPECT_TRUE(KvList_IsValidIndexSlow(list.get(), 0));
  EXPECT_TRUE(KvList_IsValidIndexSlow(list.get(), 1));
  EXPECT_FALSE(KvList_IsValidIndexSlow(list.get(), 2));
  EXPECT_FALSE(KvList_IsValidIndexSlow(nullptr, 0));
}

TEST(KvListAccessors, AllocSizeOfArrayLists) {
  ListPtr list = MakeList(10, 8, 8, KVLIST_ARRAY);
  uint8_t rec[12] = {};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, rec, 1), KV_OK);
  EXPECT_EQ(KvList_AllocSize(list.get(), 0), 12);
  EXPECT_EQ(KvList_AllocSize(list.get(), 1), -1);
  EXPECT_EQ(KvList_AllocSize(list.get(), -1), static_cast<int32_t>(sizeof(tKVLIST)) + 8 * 12);
}

// Appending grows a full list by doubling: 100000 appends to a list growing
// by 8 keep their order and reallocate about log2(100000 / 8) times.
TEST(KvListAppend, DoublesAFullListAndKeepsOrder) {
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, sizeof(int32_t), 8, 8, KVLIST_ARRAY, nullptr, nullptr, nullptr), KV_OK);
  int grows = 0;
  for (int32_t i = 0; i < 100000; ++i) {
    const int32_t before = list->capacity;
    ASSERT_EQ(KvList_Append(list, &i), KV_OK);
    grows += list->capacity != before;
  }
  EXPECT_LE(grows, 16);
  ASSERT_EQ(KvList_Count(list), 100000);
  for (int32_t i = 0; i < 100000; i += 997) EXPECT_EQ(*static_cast<int32_t*>(KvList_At(list, i)), i);
  EXPECT_EQ(KvList_Append(nullptr, &grows), KV_E_INVALIDARG);
  KvList_Destroy(list);
}

TEST(KvListAccessors, SetThreadOwnerZeroMeansCaller) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(KvList_SetThreadOwner(list.get(), 12345), KV_OK);
  EXPECT_EQ(KvList_GetThreadOwner(list.get()), 12345u);
  EXPECT_EQ(KvList_SetThreadOwner(list.get(), 0), KV_OK);
  EXPECT_EQ(KvList_GetThreadOwner(list.get()), KvCurrentThreadId());
}

TEST(KvListAccessors, NullListIsRejected) {
  int32_t v = 1;
  EXPECT_EQ(KvList_InsertList(nullptr, 0, &v, 1), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_DeleteList(nullptr, 0, 1, 0), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_Sort(nullptr, 0, kvtest::CompareInts), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_MoveRange(nullptr, 0, 0, 1), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_FindItemRange(nullptr, 0, -1, &v, nullptr), -1);
  EXPECT_EQ(KvList_FindSortedItemRange(nullptr, &v, 0, -1, kvtest::CompareInts), -1);
  EXPECT_EQ(KvList_FindSortedInsertIndexRange(nullptr, &v, 0, -1, kvtest::CompareInts), -1);
  EXPECT_EQ(KvList_AllocSize(nullptr, -1), -1);
  EXPECT_EQ(KvList_GetCreateOptions(nullptr), 0u);
  EXPECT_EQ(KvList_SetThreadOwner(nullptr, 0), KV_E_INVALIDARG);
  EXPECT_EQ(KvList_Count(nullptr), 0);
}
