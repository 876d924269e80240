// Helpers shared by the KvList tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "kvlib/kvlist.h"

namespace kvtest {

struct ListDeleter {
  void operator()(tKVLIST* list) const { KvList_Destroy(list); }
};
using ListPtr = std::unique_ptr<tKVLIST, ListDeleter>;

inline ListPtr MakeList(int32_t itemSize, int32_t initialCount, int32_t growBy, uint32_t options) {
  KvList list = nullptr;
  KVRESULT hr = KvList_CreateExZ(&list, itemSize, initialCount, growBy, options, nullptr, nullptr, nullptr);
  EXPECT_EQ(hr, KV_OK);
  return ListPtr(list);
}

// An array list of int32_t.
inline ListPtr MakeIntList(int32_t initialCount = 8, int32_t growBy = 8, uint32_t extra = 0) {
  return MakeList(sizeof(int32_t), initialCount, growBy, KVLIST_ARRAY | extra);
}

inline void AppendInts(KvList list, std::initializer_list<int32_t> values) {
  std::vector<int32_t> v(values);
  ASSERT_EQ(KvList_InsertList(list, -1, v.data(), static_cast<int32_t>(v.size())), KV_OK);
}

inline std::vector<int32_t> Ints(const tKVLIST* list) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < KvList_Count(list); ++i) out.push_back(*static_cast<const int32_t*>(KvList_At(list, i)));
  return out;
}

inline int CompareInts(uint32_t, const void* a, const void* b) {
  int32_t x = *static_cast<const int32_t*>(a);
  int32_t y = *static_cast<const int32_t*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace kvtest
