#include "host/block_accounting.h"

#include <objbase.h>

#include <algorithm>

#include "host/malloc_spy.h"

namespace refhost {

BlockAccounting& BlockAccounting::Instance() {
  // Never destroyed: the spy may report frees after static destructors ran.
  static BlockAccounting* instance = new BlockAccounting();
  return *instance;
}

BlockAccounting::BlockAccounting() { available_ = SUCCEEDED(RegisterTaskMemorySpy(*this)); }

void* BlockAccounting::HandOut(size_t bytes, const void* owner, std::string description) {
  void* block = CoTaskMemAlloc(bytes ? bytes : 1);
  if (!block) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  blocks_[block] = Entry{owner, std::move(description)};
  return block;
}

std::vector<std::string> BlockAccounting::Outstanding(const void* owner) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& [block, entry] : blocks_)
    if (entry.owner == owner) out.push_back(entry.description);
  std::sort(out.begin(), out.end());  // stable reports whatever the hash order
  return out;
}

size_t BlockAccounting::OutstandingCount(const void* owner) const {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t n = 0;
  for (const auto& [block, entry] : blocks_)
    if (entry.owner == owner) ++n;
  return n;
}

void BlockAccounting::Forget(const void* owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(blocks_, [owner](const auto& item) { return item.second.owner == owner; });
}

void BlockAccounting::Released(void* block) {
  std::lock_guard<std::mutex> lock(mutex_);
  blocks_.erase(block);
}

}  // namespace refhost
