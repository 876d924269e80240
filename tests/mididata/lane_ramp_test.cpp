// The points of a drawn lane line at exact halves, across zero and over spans
// whose value-times-offset products pass 64 bits: the 32-bit and the 64-bit
// builds must place the same values.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "mididata/lane_math.h"

namespace {

using Points = std::vector<std::pair<int64_t, int32_t>>;

TEST(LaneRamp, HalvesRoundAwayFromZeroInEveryDirection) {
  constexpr int64_t kBig = int64_t{1} << 62;
  const struct {
    const char* what;
    LaneSpan span;
    int32_t from, to, lowest, highest;
    Points expected;
  } cases[] = {
      // -5, -2.5, 0, 2.5
      {"up across zero", {0, 4, 1}, -5, 5, -8192, 8191, {{0, -5}, {1, -3}, {2, 0}, {3, 3}}},
      // 5, 2.5, 0, -2.5
      {"down across zero", {0, 4, 1}, 5, -5, -8192, 8191, {{0, 5}, {1, 3}, {2, 0}, {3, -3}}},
      // -10, -9.5, -9, ... -6.5: the halves go down, away from zero
      {"up below zero", {0, 8, 1}, -10, -6, -100, 100, {{0, -10}, {2, -9}, {4, -8}, {6, -7}}},
      // 10, 7.5, 5, 2.5 from a later start: the slope -0.1 has no exact double
      {"down by tenths", {1000, 1100, 25}, 10, 0, 0, 127, {{1000, 10}, {1025, 8}, {1050, 5}, {1075, 3}}},
      // 0, 4095.75, 8191.5, 12287.25: products of about 2^75
      {"span of 2^62 ticks", {0, kBig, kBig / 4}, 0, kPitchBendFull, 0, kPitchBendFull,
       {{0, 0}, {kBig / 4, 4096}, {kBig / 2, 8192}, {3 * (kBig / 4), 12287}}},
      // 16383, 12287.25, 8191.5, 4095.75
      {"falling span of 2^62 ticks", {0, kBig, kBig / 4}, kPitchBendFull, 0, 0, kPitchBendFull,
       {{0, kPitchBendFull}, {kBig / 4, 12287}, {kBig / 2, 8192}, {3 * (kBig / 4), 4096}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Points got;
    for (const LanePoint& p : LaneLinePoints(c.span, c.from, c.to, c.lowest, c.highest)) got.emplace_back(p.time, p.value);
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
