// KvList: the lock of thread-safe lists, the owner check, and the
// platform-free lock and thread id underneath.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "kvlib/kvlist.h"
#include "kvlib/kvlock.h"
#include "tests/core/kvlist_test_util.h"

using kvtest::AppendInts;
using kvtest::CompareInts;
using kvtest::Ints;
using kvtest::ListPtr;
using kvtest::MakeIntList;
using kvtest::MakeList;

namespace {

template <typename F>
void RunOnOtherThread(F f) {
  std::thread t(f);
  t.join();
}

}  // namespace

// ---- Lock and thread id ----

TEST(KvLock, ThreadIdsAreNonZeroStableAndDistinct) {
  uint32_t mine = KvCurrentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(KvCurrentThreadId(), mine);
  std::vector<uint32_t> ids(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back([&ids, i] { ids[i] = KvCurrentThreadId(); });
  for (auto& t : threads) t.join();
  std::set<uint32_t> distinct(ids.begin(), ids.end());
  distinct.insert(mine);
  EXPECT_EQ(distinct.size(), 5u);
  EXPECT_EQ(distinct.count(0u), 0u);
}

TEST(KvLock, IsRecursive) {
  KvLockStorage lock;
  KvLockInit(&lock);
  KvLockEnter(&lock);
  KvLockEnter(&lock);
  KvLockLeave(&lock);
  KvLockLeave(&lock);
  KvLockDestroy(&lock);
}

TEST(KvLock, ExcludesOtherThreads) {
  KvLockStorage lock;
  KvLockInit(&lock);
  int counter = 0;  // not atomic: the lock guards it (a race would show as a wrong total)
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        KvLockEnter(&lock);
        ++counter;
        KvLockLeave(&lock);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
  KvLockDestroy(&lock);
}

// ---- Thread-safe lists ----

TEST(KvListThreadSafe, TwoThreadsAppendToASharedOwningList) {
  ListPtr list = MakeList(4, 16, 16, 0x80000002u);  // the system's shared owning pointer list
  constexpr int kPerThread = 2000;
  auto worker = [&](int32_t base) {
    for (int32_t i = 0; i < kPerThread; ++i) {
      int32_t v = base + i;
      int32_t index = -1;
      ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), &v, sizeof(v), -1, &index), KV_OK);
      ASSERT_GE(index, 0);
      if (i % 100 == 99) {
        ASSERT_EQ(KvList_DeleteList(list.get(), 0, 1, 1), KV_OK);
      }
    }
  };
  std::thread a(worker, 0);
  std::thread b(worker, 100000);
  a.join();
  b.join();
  EXPECT_EQ(list->count, 2 * kPerThread - 2 * (kPerThread / 100));
  std::set<int32_t> seen;
  for (int32_t i = 0; i < list->count; ++i) seen.insert(*static_cast<int32_t*>(KvList_PtrAt(list.get(), i)));
  EXPECT_EQ(seen.size(), static_cast<size_t>(list->count));  // no slot lost or written twice
}

TEST(KvListThreadSafe, SearchesAndInsertsFromTwoThreads) {
  ListPtr list = MakeIntList(8, 8, KVLIST_THREADSAFE);
  auto worker = [&](int32_t parity) {
    for (int32_t i = 0; i < 500; ++i) {
      int32_t v = 2 * i + parity;
      // Each call is atomic on its own; the pair is not, so the items are appended
      // and the result sorted at the end.
      int32_t at = KvList_FindSortedInsertIndexRange(list.get(), &v, 0, -1, CompareInts);
      ASSERT_GE(at, 0);
      ASSERT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_OK);
    }
  };
  std::thread a(worker, 0);
  std::thread b(worker, 1);
  a.join();
  b.join();
  EXPECT_EQ(list->count, 1000);
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareInts), KV_OK);
  std::vector<int32_t> v = Ints(list.get());
  for (int32_t i = 0; i < 1000; ++i) ASSERT_EQ(v[i], i);
}

namespace {

std::atomic<bool> g_insideCallback{false};
std::atomic<bool> g_callbackDone{false};

int SlowMatch(const void*, const void*) {
  g_insideCallback = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  g_callbackDone = true;
  return 0;
}

}  // namespace

// Two threads moving items between the same two lists in opposite
// directions take the two locks in one order and both finish.
TEST(KvListThreadSafe, OppositeMovesBetweenTwoListsFinish) {
  ListPtr a = MakeList(4, 8, 8, KVLIST_HEAP | KVLIST_THREADSAFE | KVLIST_NOOWNERCHECK);
  ListPtr b = MakeList(4, 8, 8, KVLIST_HEAP | KVLIST_THREADSAFE | KVLIST_NOOWNERCHECK);
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(KvList_AllocAndInsertItem(a.get(), &i, 4, -1, nullptr), KV_OK);
    ASSERT_EQ(KvList_AllocAndInsertItem(b.get(), &i, 4, -1, nullptr), KV_OK);
  }
  auto done = std::make_shared<std::atomic<int>>(0);
  auto mover = [done](KvList from, KvList to) {
    for (int i = 0; i < 20000; ++i) KvList_MoveItemsBetweenHeapLists(to, 0, from, 0, 1);
    ++*done;
  };
  // Detached: a deadlock must fail the test, not hang it.
  std::thread(mover, a.get(), b.get()).detach();
  std::thread(mover, b.get(), a.get()).detach();
  for (int wait = 0; wait < 3000 && *done < 2; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(*done, 2) << "the two moves wait on each other";
  EXPECT_EQ(KvList_Count(a.get()) + KvList_Count(b.get()), 16);
}

TEST(KvListThreadSafe, CallbacksRunInsideTheLock) {
  ListPtr list = MakeIntList(8, 8, KVLIST_THREADSAFE);
  AppendInts(list.get(), {1});
  g_insideCallback = false;
  g_callbackDone = false;
  bool doneBeforeInsertReturned = false;
  std::thread searcher([&] { EXPECT_EQ(KvList_FindItemRange(list.get(), 0, -1, nullptr, SlowMatch), 0); });
  while (!g_insideCallback) std::this_thread::yield();
  int32_t v = 2;
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_OK);  // waits for the search to leave the lock
  doneBeforeInsertReturned = g_callbackDone;
  searcher.join();
  EXPECT_TRUE(doneBeforeInsertReturned);
}

namespace {

KvList g_reentered = nullptr;

int ReenteringCompare(uint32_t criterion, const void* a, const void* b) {
  // A callback may use its own list: the lock is recursive.
  EXPECT_TRUE(KvList_IsValidIndexSlow(g_reentered, 0));
  EXPECT_GE(KvList_AllocSize(g_reentered, -1), 0);
  return CompareInts(criterion, a, b);
}

}  // namespace

TEST(KvListThreadSafe, CallbacksMayReenterTheList) {
  ListPtr list = MakeIntList(8, 8, KVLIST_THREADSAFE);
  AppendInts(list.get(), {3, 1, 2});
  g_reentered = list.get();
  EXPECT_EQ(KvList_Sort(list.get(), 0, ReenteringCompare), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3}));
  int32_t key = 2;
  EXPECT_EQ(KvList_FindSortedItemRange(list.get(), &key, 0, -1, ReenteringCompare), 1);
  g_reentered = nullptr;
}

// ---- Owner check ----
// Creation always sets KVLIST_NOOWNERCHECK and the interface has no call to clear
// it, so these tests clear the bit in the record, as the owner of a tKVLIST can.

TEST(KvListOwnerCheck, OtherThreadsFail) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {3, 1, 2});
  list->options &= ~KVLIST_NOOWNERCHECK;
  KvList l = list.get();
  RunOnOtherThread([l] {
    int32_t v = 5;
    EXPECT_EQ(KvList_InsertList(l, -1, &v, 1), KV_E_FAIL);
    EXPECT_EQ(KvList_DeleteList(l, 0, 1, 0), KV_E_FAIL);
    EXPECT_EQ(KvList_Sort(l, 0, CompareInts), KV_E_FAIL);
    EXPECT_EQ(KvList_HeapSort(l, 0, CompareInts), KV_E_FAIL);
    EXPECT_EQ(KvList_MoveRange(l, 0, 1, 1), KV_E_FAIL);
    EXPECT_EQ(KvList_GrowAllocated(l, 4), KV_E_FAIL);
    EXPECT_EQ(KvList_ShrinkAllocated(l, -1), KV_E_FAIL);
    EXPECT_EQ(KvList_ArrayForceItemCount(l, 1, 0), KV_E_FAIL);
    EXPECT_EQ(KvList_Destroy(l), KV_E_FAIL);
    // Index and size functions return -1.
    EXPECT_EQ(KvList_FindItemRange(l, 0, -1, &v, [](const void*, const void*) { return 0; }), -1);
    EXPECT_EQ(KvList_FindSpecificItemRange(l, 0, -1, &v), -1);
    v = 1;
    EXPECT_EQ(KvList_FindSortedItemRange(l, &v, 0, -1, CompareInts), -1);
    EXPECT_EQ(KvList_FindSortedInsertIndexRange(l, &v, 0, -1, CompareInts), -1);
    EXPECT_EQ(KvList_AllocSize(l, -1), -1);
    EXPECT_EQ(KvList_AllocSize(l, 0), -1);
    EXPECT_FALSE(KvList_IsValidIndexSlow(l, 0));
  });
  // Nothing changed, and the owner still has full use of the list.
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{3, 1, 2}));
  EXPECT_EQ(KvList_Sort(list.get(), 0, CompareInts), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3}));
  int32_t key = 2;
  EXPECT_EQ(KvList_FindSortedItemRange(list.get(), &key, 0, -1, CompareInts), 1);
}

TEST(KvListOwnerCheck, HeapListOperationsFailFromOtherThreads) {
  ListPtr list = MakeList(4, 8, 8, KVLIST_HEAP);
  int32_t v = 1;
  ASSERT_EQ(KvList_AllocAndInsertItem(list.get(), &v, 4, -1, nullptr), KV_OK);
  list->options &= ~KVLIST_NOOWNERCHECK;
  KvList l = list.get();
  RunOnOtherThread([l] {
    void* block = nullptr;
    int32_t index = 7;
    int32_t w = 2;
    EXPECT_EQ(KvList_AllocItem(l, 4, &block), KV_E_FAIL);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(KvList_AllocAndInsertItem(l, &w, 4, -1, &index), KV_E_FAIL);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(KvList_ReAllocItem(l, 0, 8), KV_E_FAIL);
  });
  EXPECT_EQ(list->count, 1);
  EXPECT_EQ(list->pendingItem, nullptr);
}

TEST(KvListOwnerCheck, SetThreadOwnerHandsTheListOver) {
  ListPtr list = MakeIntList();
  AppendInts(list.get(), {1});
  list->options &= ~KVLIST_NOOWNERCHECK;
  KvList l = list.get();
  uint32_t mainId = KvCurrentThreadId();
  uint32_t workerId = 0;
  RunOnOtherThread([l, &workerId] {
    int32_t v = 2;
    EXPECT_EQ(KvList_InsertList(l, -1, &v, 1), KV_E_FAIL);
    EXPECT_EQ(KvList_SetThreadOwner(l, 0), KV_OK);  // the calling thread takes the list
    workerId = KvCurrentThreadId();
    EXPECT_EQ(KvList_GetThreadOwner(l), workerId);
    EXPECT_EQ(KvList_InsertList(l, -1, &v, 1), KV_OK);
  });
  EXPECT_NE(workerId, mainId);
  // Now the creating thread is the stranger.
  int32_t v = 3;
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_SetThreadOwner(list.get(), mainId), KV_OK);
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_OK);
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{1, 2, 3}));
}

TEST(KvListOwnerCheck, ListCreatedOnAnotherThread) {
  KvList list = nullptr;
  RunOnOtherThread([&list] {
    ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, KVLIST_ARRAY, nullptr, nullptr, nullptr), KV_OK);
    EXPECT_EQ(KvList_GetThreadOwner(list), KvCurrentThreadId());
    list->options &= ~KVLIST_NOOWNERCHECK;
    int32_t v = 1;
    EXPECT_EQ(KvList_InsertList(list, -1, &v, 1), KV_OK);
  });
  ASSERT_NE(list, nullptr);
  EXPECT_NE(KvList_GetThreadOwner(list), KvCurrentThreadId());
  int32_t v = 2;
  EXPECT_EQ(KvList_InsertList(list, -1, &v, 1), KV_E_FAIL);
  EXPECT_EQ(KvList_Destroy(list), KV_E_FAIL);  // not ours to destroy
  EXPECT_EQ(KvList_SetThreadOwner(list, 0), KV_OK);
  EXPECT_EQ(Ints(list), (std::vector<int32_t>{1}));
  EXPECT_EQ(KvList_Destroy(list), KV_OK);
}

TEST(KvListOwnerCheck, ThreadSafeListStillChecksTheOwnerWhenAsked) {
  ListPtr list = MakeIntList(8, 8, KVLIST_THREADSAFE);
  list->options &= ~KVLIST_NOOWNERCHECK;
  KvList l = list.get();
  RunOnOtherThread([l] {
    int32_t v = 1;
    EXPECT_EQ(KvList_InsertList(l, -1, &v, 1), KV_E_FAIL);  // the lock is taken and released
  });
  int32_t v = 2;
  EXPECT_EQ(KvList_InsertList(list.get(), -1, &v, 1), KV_OK);  // so the owner is not blocked
  EXPECT_EQ(Ints(list.get()), (std::vector<int32_t>{2}));
}
