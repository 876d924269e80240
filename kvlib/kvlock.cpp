#include "kvlib/kvlock.h"

#include <atomic>
#include <mutex>
#include <new>

static_assert(sizeof(std::recursive_mutex) <= sizeof(KvLockStorage), "the recursive mutex fits the lock storage");
static_assert(alignof(std::recursive_mutex) <= alignof(KvLockStorage), "the lock storage is aligned for the mutex");

namespace {

std::recursive_mutex* AsMutex(KvLockStorage* lock) {
  return std::launder(reinterpret_cast<std::recursive_mutex*>(lock->bytes));
}

std::atomic<uint32_t> g_nextThreadId{1};

}  // namespace

void KvLockInit(KvLockStorage* lock) { ::new (static_cast<void*>(lock->bytes)) std::recursive_mutex(); }

void KvLockEnter(KvLockStorage* lock) { AsMutex(lock)->lock(); }

void KvLockLeave(KvLockStorage* lock) { AsMutex(lock)->unlock(); }

void KvLockDestroy(KvLockStorage* lock) { AsMutex(lock)->~recursive_mutex(); }

uint32_t KvCurrentThreadId() {
  thread_local uint32_t id = 0;
  if (id == 0) {
    uint32_t next = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    if (next == 0) next = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);  // skip 0 after wrap-around
    id = next;
  }
  return id;
}
