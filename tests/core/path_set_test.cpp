// The path map against std::map: random adds, removes and finds over a few
// thousand paths, so that tables grow, fill with tombstones and are made
// again, then a reserve and a clear.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

#include "mididata/path_set.h"

namespace {

using Key = std::tuple<uint32_t, uint32_t, uint32_t>;

TEST(PathMap, MatchesAnOrderedMapThroughGrowthAndTombstones) {
  std::mt19937 rng(5);
  PathMap<int64_t> map;
  std::map<Key, int64_t> model;
  // Ids crowd into a few tracks and blocks, as a song's do; the whole range of
  // a 32-bit id is used too.
  auto randomPath = [&] {
    const uint32_t id = rng() % 4 == 0 ? static_cast<uint32_t>(rng()) : 1 + rng() % 6000;
    return ItemPath{static_cast<uint32_t>(1 + rng() % 3), static_cast<uint32_t>(1 + rng() % 4), id};
  };
  for (int step = 0; step < 200000; ++step) {
    const ItemPath p = randomPath();
    const Key k{p.trackId, p.blockId, p.eventId};
    switch (step < 60000 ? rng() % 3 : rng() % 4) {  // adds first, then more removes
      case 0: {
        const auto value = static_cast<int64_t>(rng());
        ASSERT_EQ(map.Add(p, value), model.emplace(k, value).second) << step;
        break;
      }
      case 1: {
        const int64_t* found = map.Find(p);
        const auto it = model.find(k);
        ASSERT_EQ(found != nullptr, it != model.end()) << step;
        if (found) {
          ASSERT_EQ(*found, it->second) << step;
        }
        break;
      }
      default: ASSERT_EQ(map.Remove(p), model.erase(k) == 1) << step;
    }
    ASSERT_EQ(map.size(), model.size()) << step;
  }
  for (const auto& [k, v] : model) {
    const int64_t* found = map.Find(ItemPath{std::get<0>(k), std::get<1>(k), std::get<2>(k)});
    ASSERT_TRUE(found && *found == v);
  }
  map.Reserve(100000);
  EXPECT_EQ(map.size(), model.size());
  for (const auto& [k, v] : model) EXPECT_TRUE(map.Contains(ItemPath{std::get<0>(k), std::get<1>(k), std::get<2>(k)}));
  map.Clear();
  EXPECT_TRUE(map.empty());
  EXPECT_FALSE(map.Contains(ItemPath{1, 1, 1}));
  EXPECT_FALSE(map.Remove(ItemPath{1, 1, 1}));
  EXPECT_TRUE(map.Add(ItemPath{1, 1, 1}, 7));
  EXPECT_EQ(*map.Find(ItemPath{1, 1, 1}), 7);
}

}  // namespace
