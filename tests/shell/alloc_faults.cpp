#include "tests/shell/alloc_faults.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<int> g_failAt{0};
std::atomic<int> g_seen{0};
}  // namespace

namespace shelltest {

void FailNthAllocation(int nth) {
  g_seen = 0;
  g_failAt = nth;
}

int AllocationsSinceArmed() { return g_seen; }

}  // namespace shelltest

// The default operator delete frees with free(), so malloc pairs with it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  const int n = ++g_seen;
  if (n == g_failAt) return nullptr;
  return std::malloc(size ? size : 1);
}

void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
