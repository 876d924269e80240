// The snapping arithmetic as tables of input and expected result: the grid
// and paint-value code tables, the five roundings on a 480-tick grid (also
// just below 2^62, where only integer arithmetic is exact), the snap sources
// with their tie-breaks and sentinels, and the scales.
#include <gtest/gtest.h>

#include <cstdint>

#include "pianoroll/snap.h"

namespace {

TrackTimeBase Meter(uint16_t numerator, uint16_t denominator, uint32_t ticksPerQuarter) {
  return TrackTimeBase{{}, denominator, numerator, ticksPerQuarter};
}

TEST(SnapCodes, GridLengths) {
  const TrackTimeBase common = Meter(4, 4, 480);
  struct Case {
    int64_t code;
    TrackTimeBase meter;
    double ruler, ticks;
  } cases[] = {
      {10000, common, 120, 10000}, {600000000, common, 120, 600000000}, {1, common, 120, 1},
      {0, common, 120, 120},       {0, common, 0.5, 1},                 {-1, common, 120, 1},
      {-2, common, 120, 1920},     {-3, common, 120, 960},              {-4, common, 120, 480},
      {-5, common, 120, 320},      {-8, common, 120, 240},              {-9, common, 120, 160},
      {-16, common, 120, 120},     {-17, common, 120, 80},              {-32, common, 120, 60},
      {-33, common, 120, 40},      {-64, common, 120, 30},              {-65, common, 120, 20},
      {-6, common, 120, 1},        {-100, common, 120, 1},              {INT64_MIN, common, 120, 1},
      // A measure is numerator beats of the meter's own unit.
      {-2, Meter(6, 8, 960), 120, 2880}, {-2, Meter(3, 4, 480), 120, 1440}, {-2, Meter(7, 16, 96), 120, 168},
      {-17, Meter(4, 4, 960), 120, 160}, {-65, Meter(4, 4, 960), 120, 40},
      {-5, Meter(4, 4, 100), 120, 400.0 / 6}, {-65, Meter(4, 4, 100), 120, 400.0 / 96},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(GridCodeLength(c.code, c.meter, c.ruler), c.ticks)
        << c.code << " in " << c.meter.numerator << "/" << c.meter.denominator;
  }
}

TEST(SnapCodes, PaintLengths) {
  const TrackTimeBase meter = Meter(4, 4, 96);  // a whole note is 384 ticks
  const int64_t pairs[][2] = {
      {0, 100},    {-7, 576},   {-8, 384},   {-6, 256},   {-15, 288},  {-16, 192},  {-14, 128},  {-31, 144},
      {-32, 96},   {-30, 64},   {-63, 72},   {-64, 48},   {-62, 32},   {-127, 36},  {-128, 24},  {-126, 16},
      {-255, 18},  {-256, 12},  {-254, 8},   {-511, 9},   {-512, 6},   {-510, 4},   {-5, 1},     {-9, 1},
      {-100, 1},   {-513, 1},   {77, 77},
  };
  for (const auto& p : pairs) EXPECT_DOUBLE_EQ(PaintCodeLength(p[0], meter, 100.0), p[1]) << p[0];
}

constexpr int64_t L = (int64_t{1} << 62) - 64;  // a multiple of 480 just below 2^62

TEST(SnapGrid, FiveRoundingsOnA480Grid) {
  const SnapSources grid{480.0};
  struct Case {
    int64_t t, nearest, forward, backward, floor, ceiling;
  } cases[] = {
      {0, 0, 480, kNoSnapBefore, 0, 480},
      {1, 0, 480, 0, 0, 480},
      {239, 0, 480, 0, 0, 480},
      {240, 480, 480, 0, 0, 480},
      {479, 480, 480, 0, 0, 480},
      {480, 480, 960, 0, 480, 960},
      {719, 480, 960, 480, 480, 960},
      {720, 960, 960, 480, 480, 960},
      {960, 960, 1440, 480, 960, 1440},
      {961, 960, 1440, 960, 960, 1440},
      {L, L, L + 480, L - 480, L, L + 480},
      {L + 1, L, L + 480, L, L, L + 480},
      {L + 239, L, L + 480, L, L, L + 480},
      {L + 240, L + 480, L + 480, L, L, L + 480},
      {L + 480, L + 480, L + 960, L, L + 480, L + 960},
      {L + 719, L + 480, L + 960, L + 480, L + 480, L + 960},
      {L + 720, L + 960, L + 960, L + 480, L + 480, L + 960},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    EXPECT_EQ(SnapNearest(grid, c.t, kSnapGrid), c.nearest);
    EXPECT_EQ(SnapForward(grid, c.t, kSnapGrid), c.forward);
    EXPECT_EQ(SnapBackward(grid, c.t, kSnapGrid), c.backward);
    EXPECT_EQ(GridFloor(480.0, c.t), c.floor);
    EXPECT_EQ(GridCeiling(480.0, c.t), c.ceiling);
  }
  // Halves round up: x + 0.5 truncated toward zero, also below zero.
  const int64_t negative[][2] = {{-100, 0}, {-240, 0}, {-719, 0}, {-720, -480}, {-1200, -960}};
  for (const auto& n : negative) EXPECT_EQ(SnapNearest(grid, n[0], kSnapGrid), n[1]) << n[0];
  EXPECT_EQ(GridFloor(480.0, -1000), 0);  // never below 0
}

TEST(SnapGrid, SourcesTiesAndSentinels) {
  enum Op { Nearest, Forward, Backward };
  const int64_t far = int64_t{1} << 61;
  struct Case {
    const char* what;
    SnapSources sources;
    uint32_t mask;
    Op op;
    int64_t t, expected;
  } cases[] = {
      {"a tie goes to the cursor", {480.0, true, 200}, kSnapAll, Nearest, 340, 200},
      {"the grid line is nearer", {480.0, true, 200}, kSnapAll, Nearest, 341, 480},
      {"no cursor while playing", {480.0, false, 200}, kSnapAll, Nearest, 340, 480},
      {"loop start", {480.0, false, 0, true, 1000, 2000}, kSnapAll, Nearest, 1100, 1000},
      {"loop left out of the mask", {480.0, false, 0, true, 1000, 2000}, kSnapCursor | kSnapGrid, Nearest, 1100, 960},
      {"grid before loop end", {480.0, false, 0, true, 1000, 2000}, kSnapAll, Forward, 1500, 1920},
      {"loop end before grid", {480.0, false, 0, true, 1000, 2000}, kSnapAll, Forward, 1950, 2000},
      {"loop start after grid", {480.0, false, 0, true, 1000, 2000}, kSnapAll, Backward, 1100, 1000},
      {"a cursor 2^61 away never counts", {480.0, true, far}, kSnapCursor, Nearest, 0, 0},
      {"one tick less does", {480.0, true, far}, kSnapCursor, Nearest, 1, far},
      {"a point beyond 2^61 is found", {480.0, true, far + 5}, kSnapCursor, Forward, 0, far + 5},
      {"nothing after", {480.0, true, 50}, kSnapCursor, Forward, 100, kNoSnapAfter},
      {"nothing at all after", {480.0}, 0, Forward, 100, kNoSnapAfter},
      {"nothing before", {480.0, false, 50}, kSnapCursor, Backward, 100, kNoSnapBefore},
      {"grid 0: the time itself", {0.0}, kSnapGrid, Nearest, 1234, 1234},
      {"grid 0: nothing after", {0.0}, kSnapGrid, Forward, 1234, kNoSnapAfter},
      {"fractional grid", {100.0 / 3}, kSnapGrid, Nearest, 60, 66},
      {"fractional grid, down", {100.0 / 3}, kSnapGrid, Nearest, 40, 33},
      {"fractional grid, forward", {100.0 / 3}, kSnapGrid, Forward, 40, 66},
  };
  EXPECT_EQ(kNoSnapAfter, INT64_MAX);
  for (const Case& c : cases) {
    int64_t got = c.op == Nearest   ? SnapNearest(c.sources, c.t, c.mask)
                  : c.op == Forward ? SnapForward(c.sources, c.t, c.mask)
                                    : SnapBackward(c.sources, c.t, c.mask);
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

TEST(SnapScales, MasksAndMembership) {
  const uint16_t masks[] = {0xAB5, 0x5AD, 0x295, 0x4A9, 0xAD5, 0x6B5, 0x6AD, 0x5AB, 0x56B, 0x555,
                            0x4E9, 0xAAD, 0x9AD, 0xD53, 0xB6D, 0x999, 0x249, 0x111, 0x000};
  for (int i = 0; i <= kScaleCount; ++i) EXPECT_EQ(ScaleMask(i), masks[i]) << i;
  EXPECT_EQ(ScaleMask(-1), 0xAB5);
  EXPECT_EQ(ScaleMask(19), 0);
  struct Case {
    int pitch, root, scale;
    bool in;
  } cases[] = {
      {61, 2, 0, true},   {0, 2, 0, false},   {2, 2, 0, true},    {3, 2, 0, false},  // D major
      {60, 0, 0, true},   {61, 0, 0, false},  {127, 0, 0, true},                      // C major
      {1, 11, 0, true},   {0, 11, 0, false},                                          // B major
      {66, 0, 10, true},  {64, 0, 10, false},                                         // C blues
      {0, 0, 17, true},   {4, 0, 17, true},   {5, 0, 17, false},                      // 4-semitone
      {60, 0, 18, false}, {60, 0, 19, false}, {60, 0, 1000, false},                   // empty
      {60, 0, -1, true},  {61, 0, -1, false},                                         // counts as major
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InScale(c.pitch, c.root, c.scale), c.in) << c.pitch << " root " << c.root << " scale " << c.scale;
  }
}

}  // namespace
