// The coordinate model at the ends of its range: every conversion, thumb
// mapping and view operation stays defined (the sanitizers watch) and gives
// the exact answer for lengths up to 2^62 and pointers at +-32767.
#include <gtest/gtest.h>

#include <cstdint>

#include "trackview/geometry.h"
#include "trackview/scroll_parts.h"
#include "trackview/wide_math.h"

namespace {

constexpr int64_t kLongest = int64_t{1} << 62;

TEST(WideMath, ExactProductsAndSaturation) {
  struct Case {
    int64_t a, b, c, round, trunc;
  } cases[] = {
      {kLongest, 1000, 2000, kLongest / 2, kLongest / 2},
      {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX},
      {INT64_MIN, 1, 1, INT64_MIN, INT64_MIN},
      {INT64_MIN, -1, 1, INT64_MAX, INT64_MAX},  // saturates instead of overflowing
      {7, 1, 2, 4, 3},                           // halves away from zero
      {-7, 1, 2, -4, -3},
      {5, 3, 0, 0, 0},  // no divisor: nothing
      {(int64_t{1} << 61) + 12345, 3000, 3001, 2305074650996707395, 2305074650996707394},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.round) << c.a << " * " << c.b << " / " << c.c;
    EXPECT_EQ(MulDivTrunc(c.a, c.b, c.c), c.trunc) << c.a << " * " << c.b << " / " << c.c;
  }
  EXPECT_EQ(SatAdd(INT64_MAX, 1), INT64_MAX);
  EXPECT_EQ(SatAdd(INT64_MIN, -1), INT64_MIN);
  EXPECT_EQ(SatSub(INT64_MIN, 1), INT64_MIN);
  EXPECT_EQ(SatSub(0, INT64_MIN), INT64_MAX);
}

TEST(TrackviewExtremes, ConversionsAtTheEndsOfTheTimeLine) {
  TrackviewGeometry v;
  v.mapWidth = 1000;
  v.dataRect = {100, 0, 1124, 500};
  v.SetTotalLength(kLongest);
  v.SetView(kLongest - 11000, 11000, 0);  // the deepest zoom at the very end
  ASSERT_EQ(v.viewStart, kLongest - 11000);
  EXPECT_EQ(v.TimeToX(kLongest), 1100);
  EXPECT_EQ(v.TimeToX(INT64_MIN), kMinPixel);
  EXPECT_EQ(v.TimeToX(INT64_MAX), kMaxPixel);
  EXPECT_EQ(v.TimeToXUp(INT64_MIN), kMinPixel);
  EXPECT_EQ(v.XToTime(1100), kLongest);
  EXPECT_EQ(v.XToTime(32767), kLongest - 11000 + 32667 * 11);
  EXPECT_EQ(v.XToTime(-32768), kLongest - 11000 - 32868 * 11 + 1);  // half a tick added, then toward zero

  // A whole-length view: the pointer far right saturates instead of wrapping.
  v.SetView(0, kLongest, 0);
  v.viewStart = INT64_MAX - 10;  // whatever a caller leaves there
  EXPECT_EQ(v.XToTime(32767), INT64_MAX);
  v.viewStart = INT64_MIN + 10;
  EXPECT_EQ(v.XToTime(-32768), INT64_MIN);
}

TEST(TrackviewExtremes, ThumbMappingIsExactAndNeverDividesByZero) {
  EXPECT_EQ(ThumbOffset(kLongest, kLongest, 1000), 1000);
  EXPECT_EQ(ThumbOffset(kLongest / 2, kLongest, 1001), 501);  // 500.5 rounds up
  EXPECT_EQ(ThumbOffset(12345, 0, 1000), 0);
  EXPECT_EQ(ThumbOffset(12345, -5, 1000), 0);
  EXPECT_EQ(ThumbPosition(1000, kLongest, 1000), kLongest);
  EXPECT_EQ(ThumbPosition(-1000, kLongest, 1000), -kLongest);
  EXPECT_EQ(ThumbPosition(1, kLongest - 1, 3), 1537228672809129301);  // doubles are 256 ticks apart here
  EXPECT_EQ(ThumbPosition(500, 0, 1000), 0);
  EXPECT_EQ(ThumbPosition(500, kLongest, 0), 0);

  ScrollParts parts = LayOutScrollParts(0, 600, {16, 16, 16, 12, 16}, true);
  AxisSpan thumb = ThumbSpan(parts, kLongest - 100, 100, kLongest);
  EXPECT_EQ(thumb.end, parts.track.end);
  EXPECT_GE(thumb.Length(), kThumbMinimum);
  thumb = ThumbSpan(parts, INT64_MAX - 5, INT64_MAX, kLongest);  // start + span would overflow
  EXPECT_LE(thumb.end, parts.track.end);
  EXPECT_GE(thumb.begin, parts.track.begin);
}

TEST(TrackviewExtremes, ZoomAndScrollSaturateAtTheLength) {
  TrackviewGeometry v;
  v.mapWidth = 1000;
  v.dataWidth = 1024;
  v.SetTotalLength(kLongest);
  v.SetView(0, 11000, 0);
  EXPECT_TRUE(v.ZoomToStep(INT64_MAX, INT64_MAX));  // limited to the whole-length step
  EXPECT_EQ(v.viewSpan, kLongest);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_TRUE(v.ZoomToStep(INT64_MIN, INT64_MIN));
  EXPECT_EQ(v.viewSpan, 11000);
  for (int32_t step = 0; step <= v.maxZoomLevel; ++step) {
    int64_t span = v.ZoomSpan(step);
    EXPECT_GT(span, 0) << step;
    EXPECT_LE(span, kLongest) << step;
  }
  EXPECT_EQ(v.ZoomSpan(INT32_MAX), kLongest);
  v.ScrollBy(INT64_MAX, 0);
  EXPECT_EQ(v.viewStart, kLongest - 11000);
  v.KeepVisible(INT64_MIN);
  EXPECT_EQ(v.viewStart, 0);
  v.KeepVisible(INT64_MAX);
  EXPECT_EQ(v.viewStart, kLongest - 11000);
  v.PlaceAt(INT64_MIN, kPlaceRight | kPlaceMargin);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_TRUE(v.ZoomToRange(INT64_MIN, INT64_MIN));  // negated with saturation: everything
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_EQ(v.viewSpan, kLongest);
}

}  // namespace
