// KvLock: a tiny platform-free recursive lock standing in for the critical
// section of a KvList record, and a platform-free id of the calling thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Inline storage for the lock inside a record. In the 32-bit build it takes the
// 24 bytes of a critical section so that tKVLIST keeps its 84-byte layout; the
// 64-bit builds have room for the run-time library's recursive mutex.
// kvlock.cpp checks that the mutex fits.
#if UINTPTR_MAX == 0xFFFFFFFFu
inline constexpr std::size_t KV_LOCK_STORAGE_SIZE = 24;
#else
inline constexpr std::size_t KV_LOCK_STORAGE_SIZE = 48;
#endif

struct alignas(void*) KvLockStorage {
  unsigned char bytes[KV_LOCK_STORAGE_SIZE];
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(KvLockStorage) == 24 && alignof(KvLockStorage) == 4,
              "KvLockStorage takes the place of a 24-byte critical section in the 32-bit build");
#endif

// A recursive lock: the thread that holds it may enter it again; every enter is
// matched by one leave. Init before first use, destroy when unlocked.
void KvLockInit(KvLockStorage* lock);
void KvLockEnter(KvLockStorage* lock);
void KvLockLeave(KvLockStorage* lock);
void KvLockDestroy(KvLockStorage* lock);

// A non-zero id for the calling thread, unique among the threads of the process
// (ids are handed out in order of first use and are not reused).
uint32_t KvCurrentThreadId();
