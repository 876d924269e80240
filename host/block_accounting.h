// Accounting of the memory blocks the host hands out (names, payloads, port
// tables): every block is allocated with the COM task allocator and remembered
// with its owner and a description; the task allocator's spy tells us when the
// receiver frees it with CoTaskMemFree. What is left is what the receiver leaked.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace refhost {

class BlockAccounting {
 public:
  // Process-wide; the first use registers the allocator spy.
  static BlockAccounting& Instance();

  // False when another spy was registered first: nothing can be observed then.
  bool Available() const { return available_; }
  // A task-allocated block remembered as handed out by owner; null when out of memory.
  void* HandOut(size_t bytes, const void* owner, std::string description);
  std::vector<std::string> Outstanding(const void* owner) const;
  size_t OutstandingCount(const void* owner) const;
  // Stops watching an owner's blocks (the owner goes away).
  void Forget(const void* owner);

  // From the allocator spy.
  void Released(void* block);

 private:
  BlockAccounting();
  struct Entry {
    const void* owner;
    std::string description;
  };
  mutable std::mutex mutex_;
  std::unordered_map<void*, Entry> blocks_;
  bool available_ = false;
};

}  // namespace refhost
