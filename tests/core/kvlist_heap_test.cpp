// KvList: heap lists owning their blocks, the private heap, the pending
// item, AllocAndInsertItem, ReAllocItem, AllocSize and moving blocks between heap
// lists. Natively, AddressSanitizer reports any block leaked or freed twice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "kvlib/kvlist.h"
#include "tests/core/kvlist_test_util.h"

using kvtest::ListPtr;
using kvtest::MakeList;

namespace {

ListPtr MakeHeapList(uint32_t extra = 0) { return MakeList(4, 16, 16, KVLIST_HEAP | extra); }

int32_t ValueAt(const tKVLIST* list, int32_t index) { return *static_cast<const int32_t*>(KvList_PtrAt(list, index)); }

std::vector<int32_t> Values(const tKVLIST* list) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < KvList_Count(list); ++i) out.push_back(ValueAt(list, i));
  return out;
}

void AddValues(KvList list, std::initializer_list<int32_t> values) {
  for (int32_t v : values) ASSERT_EQ(KvList_AllocAndInsertItem(list, &v, sizeof(v), -1, nullptr), KV_OK);
}

bool AllZero(const void* p, std::size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (b[i]) return false;
  }
  return true;
}

}  // namespace

class KvListHeapKinds : public testing::TestWithParam<uint32_t> {};

INSTANTIATE_TEST_SUITE_P(RuntimeAndPrivateHeap, KvListHeapKinds, testing::Values(0u, KVLIST_PRIVATEHEAP));

TEST_P(KvListHeapKinds, AllocAndInsertCopiesTheData) {
  ListPtr list = MakeHeapList(GetParam());
  int32_t index = 99;
  int32_t v = 11;
  EXPECT_EQ(KvList_AllocAndInsertItem(list.get(), &v, 4, -1, &index), KV_OK);
  EXPECT_EQ(index, 0);
  v = 22;
  EXPECT_EQ(KvList_AllocAndInsertItem(list.get(), &v, 4, 5, &index), KV_OK);  // out of range: appended
  EXPECT_EQ(index, 1);
  v = 33;
  EXPECT_EQ(KvList_AllocAndInsertItem(list.get(), &v, 4, 0, &index), KV_OK);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{33, 11, 22}));
  EXPECT_EQ(list->pendingItem, nullptr);
}

TEST_P(KvListHeapKinds, AllocAndInsertWithoutDataIsZeroed) {
  ListPtr list = MakeHeapList(GetParam());
  ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), nullptr, 100, -1, nullptr), KV_OK);
  EXPECT_TRUE(AllZero(KvList_PtrAt(list.get(), 0), 100));
  ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), nullptr, 0, -1, nullptr), KV_OK);  // an empty block
  EXPECT_NE(KvList_PtrAt(list.get(), 1), nullptr);
}

TEST_P(KvListHeapKinds, DeleteFreesTheBlocks) {
  ListPtr list = MakeHeapList(GetParam());
  AddValues(list.get(), {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(KvList_DeleteList(list.get(), 1, 2, 0), KV_OK);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{1, 4, 5, 6}));
  EXPECT_EQ(KvList_DeleteList(list.get(), 2, -1, 1), KV_OK);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{1, 4}));
  // The rest go with the list.
}

TEST_P(KvListHeapKinds, InsertingCopiesIntoAHeapListFails) {
  ListPtr list = MakeHeapList(GetParam());
  void* block = std::malloc(4);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &block, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &block, 0), KV_E_FAIL);
  EXPECT_EQ(list->count, 0);
  std::free(block);
}

TEST_P(KvListHeapKinds, NegativeCountHandsOverOwnership) {
  ListPtr list = MakeHeapList(GetParam());
  void* blocks[3];
  for (int i = 0; i < 3; ++i) {
    blocks[i] = std::calloc(1, 8);
    *static_cast<int32_t*>(blocks[i]) = i + 1;
  }
  EXPECT_EQ(KvList_InsertList(list.get(), -1, blocks, -3), KV_OK);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(KvList_DeleteList(list.get(), 0, 1, 0), KV_OK);  // frees blocks[0]
  // blocks[1] and blocks[2] are freed by the list's destruction.
}

TEST_P(KvListHeapKinds, PendingItemIsInsertedByNullItems) {
  ListPtr list = MakeHeapList(GetParam());
  AddValues(list.get(), {1, 3});
  void* block = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 16, &block), KV_OK);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 16));
  EXPECT_EQ(list->pendingItem, block);
  *static_cast<int32_t*>(block) = 2;
  void* second = reinterpret_cast<void*>(uintptr_t{1});
  EXPECT_EQ(KvList_AllocItem(list.get(), 16, &second), KV_E_FAIL);  // one is already pending
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, nullptr, 1), KV_E_FAIL);  // only n = -1
  EXPECT_EQ(KvList_InsertList(list.get(), 1, nullptr, -1), KV_OK);
  EXPECT_EQ(list->pendingItem, nullptr);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(KvList_InsertList(list.get(), 1, nullptr, -1), KV_E_FAIL);  // nothing pending any more
}

// Blocks handed over while another item is pending end it: it is freed, not
// lost, with or without a private heap (the leak checker watches).
TEST_P(KvListHeapKinds, OtherBlocksFreeThePendingItem) {
  ListPtr list = MakeHeapList(GetParam());
  void* pending = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 64, &pending), KV_OK);
  void* other = std::calloc(1, 4);
  *static_cast<int32_t*>(other) = 4;
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &other, -1), KV_OK);
  EXPECT_EQ(list->pendingItem, nullptr);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{4}));
}

TEST_P(KvListHeapKinds, PendingItemHandedOverByItsPointer) {
  ListPtr list = MakeHeapList(GetParam());
  void* block = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 4, &block), KV_OK);
  *static_cast<int32_t*>(block) = 7;
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &block, -1), KV_OK);
  EXPECT_EQ(list->pendingItem, nullptr);
  EXPECT_EQ(Values(list.get()), (std::vector<int32_t>{7}));
}

TEST_P(KvListHeapKinds, PendingItemIsFreedByDeleteOrDestroy) {
  ListPtr list = MakeHeapList(GetParam());
  void* block = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 32, &block), KV_OK);
  EXPECT_EQ(KvList_DeleteList(list.get(), -1, -1, 0), KV_OK);
  EXPECT_EQ(list->pendingItem, nullptr);
  EXPECT_EQ(KvList_DeleteList(list.get(), -1, -1, 0), KV_E_FAIL);
  // A pending item left at destruction is freed with the list.
  ASSERT_EQ(KvList_AllocItem(list.get(), 32, &block), KV_OK);
}

TEST_P(KvListHeapKinds, AllocAndInsertFailsWhileAnItemIsPending) {
  ListPtr list = MakeHeapList(GetParam());
  void* block = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 4, &block), KV_OK);
  int32_t index = 5;
  int32_t v = 1;
  EXPECT_EQ(KvList_AllocAndInsertItem(list.get(), &v, 4, -1, &index), KV_E_FAIL);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(list->pendingItem, block);
}

TEST_P(KvListHeapKinds, ReAllocItemKeepsTheDataAndZeroesTheGrowth) {
  ListPtr list = MakeHeapList(GetParam());
  int32_t v = 0x01020304;
  AddValues(list.get(), {v});
  EXPECT_EQ(KvList_ReAllocItem(list.get(), 0, 4000), KV_OK);
  const uint8_t* block = static_cast<const uint8_t*>(KvList_PtrAt(list.get(), 0));
  EXPECT_EQ(*reinterpret_cast<const int32_t*>(block), v);
  EXPECT_TRUE(AllZero(block + 4, 3996));
  EXPECT_GE(KvList_AllocSize(list.get(), 0), 4000);
  EXPECT_EQ(KvList_ReAllocItem(list.get(), 0, 2), KV_OK);
  EXPECT_EQ(KvList_ReAllocItem(list.get(), 1, 8), KV_E_FAIL);
  EXPECT_EQ(KvList_ReAllocItem(list.get(), -1, 8), KV_E_FAIL);
  EXPECT_EQ(KvList_ReAllocItem(list.get(), 0, -8), KV_E_INVALIDARG);
}

TEST_P(KvListHeapKinds, AllocSizeCountsTheBlocks) {
  ListPtr list = MakeHeapList(GetParam());
  ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), nullptr, 100, -1, nullptr), KV_OK);
  ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), nullptr, 60, -1, nullptr), KV_OK);
  int32_t first = KvList_AllocSize(list.get(), 0);
  int32_t second = KvList_AllocSize(list.get(), 1);
  EXPECT_GE(first, 100);
  EXPECT_GE(second, 60);
  if (GetParam() & KVLIST_PRIVATEHEAP) {
    EXPECT_EQ(first, 100);  // the private heap knows the exact sizes
    EXPECT_EQ(second, 60);
  }
  EXPECT_EQ(KvList_AllocSize(list.get(), 2), -1);
  EXPECT_EQ(KvList_AllocSize(list.get(), -1),
            static_cast<int32_t>(sizeof(tKVLIST)) + 16 * static_cast<int32_t>(sizeof(void*)) + first + second);
}

TEST_P(KvListHeapKinds, MovesBlocksBetweenHeapListsKeepingOrderAtAnIndex) {
  ListPtr source = MakeHeapList(GetParam());
  ListPtr dest = MakeHeapList();  // always the run-time allocator: blocks cross allocators
  AddValues(source.get(), {1, 2, 3, 4, 5});
  AddValues(dest.get(), {10, 20});
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(dest.get(), 1, source.get(), 1, 3), KV_OK);
  EXPECT_EQ(Values(source.get()), (std::vector<int32_t>{1, 5}));
  EXPECT_EQ(Values(dest.get()), (std::vector<int32_t>{10, 2, 3, 4, 20}));
  // The moved blocks now belong to dest: destroying the source must not free them.
  source.reset();
  EXPECT_EQ(Values(dest.get()), (std::vector<int32_t>{10, 2, 3, 4, 20}));
  EXPECT_EQ(KvList_DeleteList(dest.get(), 1, 3, 0), KV_OK);  // frees the moved blocks
}

TEST_P(KvListHeapKinds, MovingToTheEndAppendsLastFirst) {
  ListPtr source = MakeHeapList();
  ListPtr dest = MakeHeapList(GetParam());
  AddValues(source.get(), {1, 2, 3});
  AddValues(dest.get(), {9});
  // Each block, last first, is inserted at index -1 (appended): the order reverses.
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(dest.get(), -1, source.get(), 0, -1), KV_OK);
  EXPECT_EQ(source->count, 0);
  EXPECT_EQ(Values(dest.get()), (std::vector<int32_t>{9, 3, 2, 1}));
  source.reset();
  EXPECT_EQ(KvList_DeleteList(dest.get(), 0, -1, 1), KV_OK);
}

TEST(KvListHeap, MovingBetweenHeapListsChecksKindsAndRanges) {
  ListPtr a = MakeHeapList();
  ListPtr b = MakeHeapList();
  ListPtr pointers = MakeList(4, 8, 8, 0);
  AddValues(a.get(), {1, 2, 3});
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(pointers.get(), 0, a.get(), 0, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(b.get(), 0, pointers.get(), 0, 0), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(b.get(), 0, a.get(), 2, 2), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(b.get(), 0, a.get(), -1, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(a.get(), 0, a.get(), 0, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_MoveItemsBetweenHeapLists(b.get(), 0, a.get(), 3, 0), KV_OK);
  EXPECT_EQ(a->count, 3);
  EXPECT_EQ(b->count, 0);
}

TEST(KvListHeap, PrivateHeapRecord) {
  ListPtr priv = MakeHeapList(KVLIST_PRIVATEHEAP);
  EXPECT_NE(priv->privateHeap, nullptr);
  EXPECT_EQ(priv->heapAllocFlags, 9u);  // heap options 1 plus zero memory
  EXPECT_EQ(priv->heapFreeFlags, 1u);
  EXPECT_EQ(KvList_GetCreateOptions(priv.get()), KVLIST_NOOWNERCHECK | KVLIST_PRIVATEHEAP | KVLIST_HEAP);
  ListPtr plain = MakeHeapList();
  EXPECT_EQ(plain->privateHeap, nullptr);
  // Bit 28 means nothing for array lists.
  ListPtr array = MakeList(4, 8, 8, KVLIST_ARRAY | KVLIST_PRIVATEHEAP);
  EXPECT_EQ(array->privateHeap, nullptr);
}

TEST(KvListHeap, PrivateHeapIsDestroyedWhole) {
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, 4, 16, 16, KVLIST_HEAP | KVLIST_PRIVATEHEAP, nullptr, nullptr, nullptr), KV_OK);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(KvList_AllocAndInsertItem(list, &i, sizeof(i), -1, nullptr), KV_OK);
  void* pending = nullptr;
  ASSERT_EQ(KvList_AllocItem(list, 64, &pending), KV_OK);
  EXPECT_EQ(KvList_Destroy(list), KV_OK);  // ASan: no leak of the 100 blocks or the pending one
}

TEST(KvListHeap, PendingItemClearedByAnyInsert) {
  // By design, a successful insert clears the pending item even when it inserted
  // other blocks; a private heap still frees the orphaned block at destruction.
  ListPtr list = MakeHeapList(KVLIST_PRIVATEHEAP);
  void* pending = nullptr;
  ASSERT_EQ(KvList_AllocItem(list.get(), 8, &pending), KV_OK);
  void* other = std::calloc(1, 4);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &other, -1), KV_OK);
  EXPECT_EQ(list->pendingItem, nullptr);
  EXPECT_EQ(KvList_AllocItem(list.get(), 8, &pending), KV_OK);
}

TEST(KvListHeap, NonHeapListsHaveNoItemBlocks) {
  ListPtr array = MakeList(4, 8, 8, KVLIST_ARRAY);
  ListPtr pointers = MakeList(4, 8, 8, 0);
  void* block = nullptr;
  int32_t index = 3;
  EXPECT_EQ(KvList_AllocItem(array.get(), 4, &block), KV_E_FAIL);
  EXPECT_EQ(KvList_AllocItem(pointers.get(), 4, &block), KV_E_FAIL);
  EXPECT_EQ(KvList_AllocAndInsertItem(array.get(), &index, 4, -1, &index), KV_E_FAIL);
  EXPECT_EQ(index, -1);
  index = 3;
  EXPECT_EQ(KvList_AllocAndInsertItem(pointers.get(), &index, 4, -1, &index), KV_E_FAIL);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(KvList_ReAllocItem(pointers.get(), 0, 4), KV_E_FAIL);
  EXPECT_EQ(KvList_DeleteList(pointers.get(), -1, -1, 0), KV_E_FAIL);
}

TEST(KvListHeap, PointerListsDoNotOwnTheirItems) {
  int32_t values[3] = {1, 2, 3};
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, 0, nullptr, nullptr, nullptr), KV_OK);
  int32_t* ptrs[3] = {&values[0], &values[1], &values[2]};
  ASSERT_EQ(KvList_InsertList(list, -1, ptrs, 3), KV_OK);  // copies of the pointers: allowed
  EXPECT_EQ(KvList_DeleteList(list, 0, 1, 0), KV_OK);      // frees nothing (ASan: no bad free)
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
}

TEST(KvListHeap, ConvertHeapListToInPlace) {
  KvList list = nullptr;
  ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, KVLIST_HEAP | KVLIST_PRIVATEHEAP, nullptr, nullptr, nullptr), KV_OK);
  AddValues(list, {4, 5});
  tKVLIST record;
  ASSERT_EQ(KvList_ConvertToInPlace(&list, &record), KV_OK);
  EXPECT_EQ(Values(list), (std::vector<int32_t>{4, 5}));
  AddValues(list, {6});
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
}
