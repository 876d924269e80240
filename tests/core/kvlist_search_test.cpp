// KvList: linear and halving searches, the sorted insert index, the
// selection sort with its tie rule, the heap sort and SortTo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "kvlib/kvlist.h"
#include "tests/core/kvlist_test_util.h"

using kvtest::AppendInts;
using kvtest::CompareInts;
using kvtest::Ints;
using kvtest::ListPtr;
using kvtest::MakeIntList;
using kvtest::MakeList;

namespace {

// Records the index of every item a comparison is made with (the b argument),
// and the criterion it received.
struct ProbeLog {
  const tKVLIST* list = nullptr;
  std::vector<int32_t> probes;
  std::vector<uint32_t> criteria;
};
ProbeLog g_log;

int LoggingCompare(uint32_t criterion, const void* a, const void* b) {
  const uint8_t* base = g_log.list->items;
  g_log.probes.push_back(static_cast<int32_t>((static_cast<const uint8_t*>(b) - base) / g_log.list->itemSize));
  g_log.criteria.push_back(criterion);
  return CompareInts(criterion, a, b);
}

std::vector<int32_t> Probes(const tKVLIST* list, int32_t key, int32_t start = 0, int32_t n = -1,
                            int32_t* result = nullptr) {
  g_log = ProbeLog{list, {}, {}};
  int32_t r = KvList_FindSortedItemRange(const_cast<tKVLIST*>(list), &key, start, n, LoggingCompare);
  if (result) *result = r;
  return g_log.probes;
}

int MatchInt(const void* key, const void* item) {
  return *static_cast<const int32_t*>(key) == *static_cast<const int32_t*>(item) ? 0 : 1;
}

int32_t InsertIndex(KvList list, int32_t key, int32_t start = 0, int32_t n = -1) {
  return KvList_FindSortedInsertIndexRange(list, &key, start, n, CompareInts);
}

int32_t Find(KvList list, int32_t key, int32_t start = 0, int32_t n = -1) {
  return KvList_FindSortedItemRange(list, &key, start, n, CompareInts);
}

// A record of the sort tests: ordered by key only, tagged to see which equal item went where.
struct Tagged {
  int32_t key;
  int32_t tag;
};

int CompareTagged(uint32_t, const void* a, const void* b) {
  int32_t x = static_cast<const Tagged*>(a)->key;
  int32_t y = static_cast<const Tagged*>(b)->key;
  return x < y ? -1 : (x > y ? 1 : 0);
}

std::vector<int32_t> Tags(const tKVLIST* list) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < KvList_Count(list); ++i) out.push_back(static_cast<const Tagged*>(KvList_At(list, i))->tag);
  return out;
}

}  // namespace

// ---- Linear search ----

TEST(KvListFindItem, FindsTheFirstMatchInTheRange) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {5, 7, 9, 7, 3});
  int32_t key = 7;
  EXPECT_EQ(KvList_FindItemRange(list.get(), 0, -1, &key, MatchInt), 1);
  EXPECT_EQ(KvList_FindItemRange(list.get(), 2, -1, &key, MatchInt), 3);
  EXPECT_EQ(KvList_FindItemRange(list.get(), -5, -1, &key, MatchInt), 1);  // start < 0 is 0
  EXPECT_EQ(KvList_FindItemRange(list.get(), 2, 1, &key, MatchInt), -1);   // only index 2
  EXPECT_EQ(KvList_FindItemRange(list.get(), 2, 100, &key, MatchInt), 3);  // limited to the count
  EXPECT_EQ(KvList_FindItemRange(list.get(), 0, 0, &key, MatchInt), -1);   // empty range
  EXPECT_EQ(KvList_FindItemRange(list.get(), 5, -1, &key, MatchInt), -1);
  EXPECT_EQ(KvList_FindItemRange(list.get(), 9, -1, &key, MatchInt), -1);
  key = 4;
  EXPECT_EQ(KvList_FindItemRange(list.get(), 0, -1, &key, MatchInt), -1);
}

TEST(KvListFindItem, PointerListsPassTheStoredPointer) {
  ListPtr list = MakeList(4, 8, 8, 0);
  int32_t a = 1, b = 2, c = 2;
  int32_t* ptrs[3] = {&a, &b, &c};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, ptrs, 3), KV_OK);
  int32_t key = 2;
  EXPECT_EQ(KvList_FindItemRange(list.get(), 0, -1, &key, MatchInt), 1);
  // By identity.
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), 0, -1, &c), 2);
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), 0, 2, &c), -1);
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), 0, -1, &key), -1);
}

TEST(KvListFindItem, SpecificItemOfArrayListsComparesBytes) {
  ListPtr list = MakeList(12, 8, 8, KVLIST_ARRAY);
  int32_t recs[3][3] = {{1, 2, 3}, {4, 5, 6}, {1, 2, 4}};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, recs, 3), KV_OK);
  int32_t key[3] = {1, 2, 4};
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), 0, -1, key), 2);
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), -3, -1, recs[1]), 1);
  int32_t none[3] = {1, 2, 5};
  EXPECT_EQ(KvList_FindSpecificItemRange(list.get(), 0, -1, none), -1);
}

// ---- Halving search ----

TEST(KvListFindSorted, ProbesTheLowerMiddle) {
  ListPtr list = MakeIntList(16, 16);
  AppendInts(list.get(), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  int32_t r;
  // 10 items: probe 4 (lower middle); after it 5 remain from 5: probe 7.
  EXPECT_EQ(Probes(list.get(), 7, 0, -1, &r), (std::vector<int32_t>{4, 7}));
  EXPECT_EQ(r, 7);
  // Before 4: 4 items remain (10/2 - 1): probe 1, then one item left at 0.
  EXPECT_EQ(Probes(list.get(), 0, 0, -1, &r), (std::vector<int32_t>{4, 1, 0}));
  EXPECT_EQ(r, 0);
  // 4, then 7 of [5..9], then [8, 9] probes 8, then the single item 9.
  EXPECT_EQ(Probes(list.get(), 9, 0, -1, &r), (std::vector<int32_t>{4, 7, 8, 9}));
  EXPECT_EQ(r, 9);
  // Odd count: 9 items from 1 probe the middle (5).
  EXPECT_EQ(Probes(list.get(), 5, 1, 9, &r), (std::vector<int32_t>{5}));
  EXPECT_EQ(r, 5);
  EXPECT_EQ(Probes(list.get(), 2, 1, 9, &r), (std::vector<int32_t>{5, 2}));
  EXPECT_EQ(r, 2);
}

TEST(KvListFindSorted, NotFound) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {10, 20, 30, 40, 50});
  EXPECT_EQ(Find(list.get(), 5), -1);
  EXPECT_EQ(Find(list.get(), 25), -1);
  EXPECT_EQ(Find(list.get(), 55), -1);
  EXPECT_EQ(Find(list.get(), 30), 2);
  EXPECT_EQ(Find(list.get(), 10, 1), -1);  // outside the range
  EXPECT_EQ(Find(list.get(), 50, 0, 4), -1);
  EXPECT_EQ(Find(list.get(), 40, 0, 4), 3);
}

TEST(KvListFindSorted, EmptyRangeIsMinusOne) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(Find(list.get(), 1), -1);
  AppendInts(list.get(), {1, 2});
  EXPECT_EQ(Find(list.get(), 1, 0, 0), -1);
  EXPECT_EQ(Find(list.get(), 1, 2), -1);
  EXPECT_EQ(Find(list.get(), 1, 7), -1);
  EXPECT_EQ(KvList_FindSortedItemRange(list.get(), nullptr, 0, -1, nullptr), -1);
}

TEST(KvListFindSorted, DuplicatesGiveTheFirstProbeThatHits) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 2, 2, 2, 2, 3});
  EXPECT_EQ(Find(list.get(), 2), 3);  // the middle probe, not the first of the equal items
  AppendInts(list.get(), {4});
  EXPECT_EQ(Find(list.get(), 2), 3);  // 8 items: lower middle 3
  ListPtr twos = MakeIntList();
  AppendInts(twos.get(), {2, 2});
  EXPECT_EQ(Find(twos.get(), 2), 0);
}

TEST(KvListFindSorted, PassesTheStoredCriterion) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {3, 1, 2});
  ASSERT_EQ(KvList_Sort(list.get(), 42, CompareInts), KV_OK);
  EXPECT_EQ(KvList_GetSortCriteria(list.get()), 42u);
  Probes(list.get(), 2);
  ASSERT_FALSE(g_log.criteria.empty());
  for (uint32_t c : g_log.criteria) EXPECT_EQ(c, 42u);
}

TEST(KvListFindSorted, PointerListsCompareStoredPointers) {
  ListPtr list = MakeList(4, 8, 8, 0);
  int32_t values[5] = {10, 20, 30, 40, 50};
  int32_t* ptrs[5] = {&values[0], &values[1], &values[2], &values[3], &values[4]};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, ptrs, 5), KV_OK);
  int32_t key = 40;
  EXPECT_EQ(KvList_FindSortedItemRange(list.get(), &key, 0, -1, CompareInts), 3);
  key = 35;
  EXPECT_EQ(KvList_FindSortedInsertIndexRange(list.get(), &key, 0, -1, CompareInts), 3);
}

// ---- Insert index ----

TEST(KvListInsertIndex, PositionsAroundTheItems) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {10, 20, 30, 40});
  EXPECT_EQ(InsertIndex(list.get(), 5), 0);
  EXPECT_EQ(InsertIndex(list.get(), 15), 1);
  EXPECT_EQ(InsertIndex(list.get(), 25), 2);
  EXPECT_EQ(InsertIndex(list.get(), 35), 3);
  EXPECT_EQ(InsertIndex(list.get(), 45), 4);
  EXPECT_EQ(InsertIndex(list.get(), 20), 1);  // before the equal item
  EXPECT_EQ(InsertIndex(list.get(), 40), 3);
  // Odd counts too.
  AppendInts(list.get(), {50});
  for (int32_t key = 0; key <= 60; ++key) {
    int32_t expect = key % 10 == 0 ? std::min(std::max(key / 10 - 1, 0), 5) : std::min(key / 10, 5);
    EXPECT_EQ(InsertIndex(list.get(), key), expect) << key;
  }
}

TEST(KvListInsertIndex, EqualProbeEndsTheSearch) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1, 2, 2, 2, 2, 2, 3});
  EXPECT_EQ(InsertIndex(list.get(), 2), 3);
}

TEST(KvListInsertIndex, EmptyRangesAndBadStart) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(InsertIndex(list.get(), 7), 0);  // empty list
  EXPECT_EQ(InsertIndex(list.get(), 7, 1), -1);  // start > count
  AppendInts(list.get(), {1, 2, 3});
  EXPECT_EQ(InsertIndex(list.get(), 7, 4), -1);
  EXPECT_EQ(InsertIndex(list.get(), 7, -2), 3);  // start < 0 is 0
  // An empty range gives 0, as documented, whatever the start.
  EXPECT_EQ(InsertIndex(list.get(), 7, 3), 0);
  EXPECT_EQ(InsertIndex(list.get(), 7, 1, 0), 0);
}

TEST(KvListInsertIndex, WithinASubRange) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {50, 10, 20, 30, 0});
  EXPECT_EQ(InsertIndex(list.get(), 25, 1, 3), 3);
  EXPECT_EQ(InsertIndex(list.get(), 5, 1, 3), 1);
  EXPECT_EQ(InsertIndex(list.get(), 35, 1, 3), 4);
  EXPECT_EQ(InsertIndex(list.get(), 35, 1, 1), 2);  // one item: its index + 1 when after it
  EXPECT_EQ(InsertIndex(list.get(), 5, 1, 1), 1);
}

TEST(KvListInsertIndex, KeepsAListSorted) {
  ListPtr list = MakeIntList(8, 8);
  std::mt19937 rng(7);
  std::vector<int32_t> expect;
  for (int i = 0; i < 300; ++i) {
    int32_t v = static_cast<int32_t>(rng() % 50);
    int32_t at = InsertIndex(list.get(), v);
    ASSERT_GE(at, 0);
    ASSERT_EQ(KvList_InsertList(list.get(), at, &v, 1), KV_OK);
    expect.push_back(v);
  }
  std::sort(expect.begin(), expect.end());
  EXPECT_EQ(Ints(list.get()), expect);
  for (int32_t v = 0; v < 50; ++v) {
    int32_t at = Find(list.get(), v);
    if (std::binary_search(expect.begin(), expect.end(), v)) {
      ASSERT_GE(at, 0);
      EXPECT_EQ(Ints(list.get())[at], v);
    } else {
      EXPECT_EQ(at, -1);
    }
  }
}

// ---- Selection sort ----

TEST(KvListSort, SortsAndStoresTheCriterion) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {5, 3, 9, 1, 7, 3, 0});
  EXPECT_EQ(KvList_Sort(list.get(), 3, CompareInts), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{0, 1, 3, 3, 5, 7, 9}));
  EXPECT_EQ(KvList_GetSortCriteria(list.get()), 3u);
  EXPECT_EQ(list->sortCriteria, 3u);
}

TEST(KvListSort, TwoEqualItemsAreSwapped) {
  ListPtr list = MakeList(sizeof(Tagged), 8, 8, KVLIST_ARRAY);
  Tagged items[2] = {{1, 100}, {1, 200}};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, items, 2), KV_OK);
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareTagged), KV_OK);
  EXPECT_EQ(Tags(list.get()), (std::vector<int32_t>{200, 100}));
}

TEST(KvListSort, FirstOfEqualLargestMovesToTheEnd) {
  ListPtr list = MakeList(sizeof(Tagged), 8, 8, KVLIST_ARRAY);
  // q = 2: the largest is the first 2 (tag 1), swapped with index 2: [2b, 1x, 2a].
  // q = 1: the largest is 2b at 0, swapped with index 1: [1x, 2b, 2a].
  Tagged items[3] = {{2, 1}, {1, 9}, {2, 2}};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, items, 3), KV_OK);
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareTagged), KV_OK);
  EXPECT_EQ(Tags(list.get()), (std::vector<int32_t>{9, 2, 1}));
}

TEST(KvListSort, EmptySingleAndNoCompareReturnZero) {
  ListPtr list = MakeIntList();
  EXPECT_EQ(KvList_Sort(list.get(), 1, CompareInts), KV_OK);
  AppendInts(list.get(), {2});
  EXPECT_EQ(KvList_Sort(list.get(), 2, CompareInts), KV_OK);
  AppendInts(list.get(), {1});
  EXPECT_EQ(KvList_Sort(list.get(), 5, nullptr), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(KvList_GetSortCriteria(list.get()), 5u);
}

TEST(KvListSort, LargeRecordsAreSwappedWhole) {
  struct Big {
    int32_t key;
    uint8_t fill[84];
  };
  static_assert(sizeof(Big) == 88);
  ListPtr list = MakeList(sizeof(Big), 8, 8, KVLIST_ARRAY);
  std::mt19937 rng(3);
  for (int i = 0; i < 40; ++i) {
    Big b;
    b.key = static_cast<int32_t>(rng() % 1000);
    std::memset(b.fill, b.key & 0xFF, sizeof(b.fill));
    ASSERT_EQ(KvList_InsertList(list.get(), -1, &b, 1), KV_OK);
  }
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareInts), KV_OK);
  for (int i = 0; i < 40; ++i) {
    const Big* b = static_cast<const Big*>(KvList_At(list.get(), i));
    if (i > 0) {
      EXPECT_LE(static_cast<const Big*>(KvList_At(list.get(), i - 1))->key, b->key);
    }
    EXPECT_EQ(b->fill[83], b->key & 0xFF);
  }
}

TEST(KvListSort, PointerListsSortTheirPointers) {
  ListPtr list = MakeList(4, 8, 8, 0);
  int32_t values[4] = {30, 10, 40, 20};
  int32_t* ptrs[4] = {&values[0], &values[1], &values[2], &values[3]};
  ASSERT_EQ(KvList_InsertList(list.get(), -1, ptrs, 4), KV_OK);
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareInts), KV_OK);
  EXPECT_EQ(KvList_PtrAt(list.get(), 0), &values[1]);
  EXPECT_EQ(KvList_PtrAt(list.get(), 1), &values[3]);
  EXPECT_EQ(KvList_PtrAt(list.get(), 2), &values[0]);
  EXPECT_EQ(KvList_PtrAt(list.get(), 3), &values[2]);
}

// ---- Heap sort ----

TEST(KvListHeapSort, SortsRandomData) {
  for (int size : {0, 1, 2, 3, 10, 257}) {
    ListPtr list = MakeIntList(8, 8);
    std::mt19937 rng(size);
    std::vector<int32_t> expect;
    for (int i = 0; i < size; ++i) {
      int32_t v = static_cast<int32_t>(rng() % 100);
      expect.push_back(v);
      ASSERT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_OK);
    }
    EXPECT_EQ(KvList_HeapSort(list.get(), 11, CompareInts), KV_OK);
    std::sort(expect.begin(), expect.end());
    EXPECT_EQ(Ints(list.get()), expect) << size;
    EXPECT_EQ(KvList_GetSortCriteria(list.get()), 11u);
  }
}

// ---- SortTo ----

TEST(KvListSortTo, InsertsEveryItemAtItsSortedPlace) {
  ListPtr source = MakeIntList();
  AppendInts(source.get(), {5, 1, 4, 1, 3});
  ListPtr dest = MakeIntList();
  AppendInts(dest.get(), {2, 6});
  EXPECT_EQ(KvList_SortTo(source.get(), dest.get(), 9, CompareInts), KV_OK);
  EXPECT_EQ(Ints(dest.get()), (std::vector<int32_t>{1, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Ints(source.get()), (std::vector<int32_t>{5, 1, 4, 1, 3}));  // unchanged
  EXPECT_EQ(KvList_GetSortCriteria(dest.get()), 9u);
}

TEST(KvListSortTo, PointerLists) {
  int32_t values[3] = {3, 1, 2};
  ListPtr source = MakeList(4, 8, 8, KVLIST_HEAP);
  for (int32_t v : values) ASSERT_EQ(KvList_AllocAndInsertItem(source.get(), &v, 4, -1, nullptr), KV_OK);
  ListPtr dest = MakeList(4, 8, 8, 0);
  EXPECT_EQ(KvList_SortTo(source.get(), dest.get(), 0, CompareInts), KV_OK);
  ASSERT_EQ(dest->count, 3);
  EXPECT_EQ(KvList_PtrAt(dest.get(), 0), KvList_PtrAt(source.get(), 1));
  EXPECT_EQ(KvList_PtrAt(dest.get(), 1), KvList_PtrAt(source.get(), 2));
  EXPECT_EQ(KvList_PtrAt(dest.get(), 2), KvList_PtrAt(source.get(), 0));
}

TEST(KvListSortTo, MismatchedListsFail) {
  ListPtr ints = MakeIntList();
  ListPtr records = MakeList(12, 8, 8, KVLIST_ARRAY);
  ListPtr pointers = MakeList(4, 8, 8, 0);
  ListPtr heap = MakeList(4, 8, 8, KVLIST_HEAP);
  EXPECT_EQ(KvList_SortTo(ints.get(), records.get(), 0, CompareInts), KV_E_FAIL);
  EXPECT_EQ(KvList_SortTo(ints.get(), pointers.get(), 0, CompareInts), KV_E_FAIL);
  EXPECT_EQ(KvList_SortTo(pointers.get(), heap.get(), 0, CompareInts), KV_E_FAIL);
  EXPECT_EQ(KvList_SortTo(ints.get(), ints.get(), 0, CompareInts), KV_E_FAIL);
  EXPECT_EQ(KvList_SortTo(ints.get(), nullptr, 0, CompareInts), KV_E_INVALIDARG);
}
