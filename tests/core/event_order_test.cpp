// Display order of the event list and the halving insert index it uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "kvlib/kvlist.h"
#include "mididata/event_order.h"

namespace {

TEST(DisplayOrder, TimeThenTrackOrderThenChannelWithUnforcedFirst) {
  EXPECT_LT(CompareDisplay({100, 9, 9}, {200, 0, 0}), 0);
  // Same time: the track with the lower order key comes first.
  EXPECT_LT(CompareDisplay({480, 1, 5}, {480, 3, 0}), 0);
  EXPECT_GT(CompareDisplay({480, 3, 0}, {480, 1, 5}), 0);
  // Same track: effective channel ascending, -1 before any channel.
  EXPECT_LT(CompareDisplay({0, 1, -1}, {0, 1, 0}), 0);
  EXPECT_GT(CompareDisplay({0, 1, 0}, {0, 1, -1}), 0);
  EXPECT_LT(CompareDisplay({0, 1, 2}, {0, 1, 10}), 0);
  EXPECT_EQ(CompareDisplay({0, 1, 4}, {0, 1, 4}), 0);
  // Times compare as signed 64-bit values.
  EXPECT_LT(CompareDisplay({-5, 0, 0}, {int64_t{1} << 40, 0, 0}), 0);
}

TEST(DisplayOrder, ForcedChannelsAndAdmission) {
  EXPECT_EQ(EffectiveChannel(-1, 7), 7);
  EXPECT_EQ(EffectiveChannel(3, 7), 3);
  EXPECT_EQ(ChannelBits(-1), 0xFFFF);
  EXPECT_EQ(ChannelBits(0), 0x0001);
  EXPECT_EQ(ChannelBits(15), 0x8000);
  EXPECT_EQ(ChannelBits(16), 0);
  EXPECT_TRUE(ChannelAdmitted(-1, 0));
  EXPECT_TRUE(ChannelAdmitted(9, 1u << 9));
  EXPECT_FALSE(ChannelAdmitted(9, ~(1u << 9)));
}

int CompareInts(uint32_t, const void* a, const void* b) {
  const int32_t x = *static_cast<const int32_t*>(a);
  const int32_t y = *static_cast<const int32_t*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

// The store bisects with host reads instead of a KvList callback; it must land
// exactly where the list's own insert-index search does, duplicates included.
TEST(DisplayOrder, BisectionMatchesTheListInsertIndex) {
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    const int n = static_cast<int>(rng() % 40);
    std::vector<int32_t> items(n);
    for (int32_t& v : items) v = static_cast<int32_t>(rng() % 12);
    std::sort(items.begin(), items.end());
    KvList list = nullptr;
    ASSERT_EQ(KvList_CreateExZ(&list, 4, 8, 8, 0x40000004, nullptr, nullptr, nullptr), 0);
    if (n) {
      ASSERT_EQ(KvList_InsertList(list, -1, items.data(), n), 0);
    }
    for (int32_t key = -1; key <= 12; ++key) {
      const int32_t expected = KvList_FindSortedInsertIndexRange(list, &key, 0, -1, CompareInts);
      const int32_t got = BisectInsertIndex(n, [&](int32_t i) { return key < items[i] ? -1 : key > items[i] ? 1 : 0; });
      ASSERT_EQ(got, expected) << "n=" << n << " key=" << key;
      // Wherever it lands, order is kept.
      if (got > 0) {
        EXPECT_LE(items[got - 1], key);
      }
      if (got < n) {
        EXPECT_GE(items[got], key);
      }
    }
    KvList_Destroy(list);
  }
}

}  // namespace
