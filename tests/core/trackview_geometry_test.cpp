// Tick, pixel and row conversions, snapping and the zoom ladder of the track view.
#include <gtest/gtest.h>

#include "trackview/geometry.h"

namespace {

// A view of 1000 mapped pixels starting at x = 100, 100 ticks per pixel.
TrackviewGeometry HundredTicksPerPixel() {
  TrackviewGeometry g;
  g.dataRect = {100, 20, 1100, 620};
  g.mapWidth = 1000;
  g.totalLength = 10'000'000;
  g.viewStart = 0;
  g.viewSpan = 100'000;
  return g;
}

TEST(TrackviewConversions, TimeToXRoundsHalfUpAndTruncatesTowardZero) {
  TrackviewGeometry g = HundredTicksPerPixel();
  EXPECT_EQ(g.TimeToX(0), 100);
  EXPECT_EQ(g.TimeToX(49), 100);
  EXPECT_EQ(g.TimeToX(50), 101);
  EXPECT_EQ(g.TimeToX(100'000), 1100);
  // Left of the view the +0.5 is truncated toward zero: -0.7 + 0.5 gives 0.
  EXPECT_EQ(g.TimeToX(-70), 100);
  EXPECT_EQ(g.TimeToX(-150), 99);
  g.viewStart = 5000;
  EXPECT_EQ(g.TimeToX(5000), 100);
  EXPECT_EQ(g.TimeToX(5250), 103);
}

TEST(TrackviewConversions, PixelResultsAreClamped) {
  TrackviewGeometry g = HundredTicksPerPixel();
  EXPECT_EQ(g.TimeToX(int64_t{1} << 40), 16383);
  EXPECT_EQ(g.TimeToX(-(int64_t{1} << 40)), -16384);
  EXPECT_EQ(g.TimeToXUp(int64_t{1} << 40), 16383);
  EXPECT_EQ(g.TimeToXUp(-(int64_t{1} << 40)), -16384);
  EXPECT_EQ(g.TimeToX(INT64_MAX / 2), 16383);
}

TEST(TrackviewConversions, ZeroSpanMapsNothing) {
  TrackviewGeometry g = HundredTicksPerPixel();
  g.viewSpan = 0;
  for (int64_t t : {int64_t{0}, int64_t{1}, int64_t{-5}, int64_t{1} << 50}) {
    EXPECT_EQ(g.TimeToX(t), -1) << t;
    EXPECT_EQ(g.TimeToXUp(t), -1) << t;
  }
}

TEST(TrackviewConversions, TimeToXUpRoundsUp) {
  TrackviewGeometry g = HundredTicksPerPixel();
  EXPECT_EQ(g.TimeToXUp(0), 100);
  EXPECT_EQ(g.TimeToXUp(1), 101);
  EXPECT_EQ(g.TimeToXUp(100), 101);
  EXPECT_EQ(g.TimeToXUp(101), 102);
}

TEST(TrackviewConversions, PixelsAndTicks) {
  TrackviewGeometry g = HundredTicksPerPixel();
  EXPECT_EQ(g.PixelsToTicks(3), 300);
  EXPECT_EQ(g.PixelsToTicks(0), 0);
  EXPECT_EQ(g.XToTime(107), 700);
  EXPECT_EQ(g.XToTime(100), 0);
  g.viewStart = 1000;
  // No clamp left of the data area; -999.5 truncates toward zero.
  EXPECT_EQ(g.XToTime(90), 1);
  EXPECT_EQ(g.XToTime(80), -999);
  g.viewSpan = 1500;            // 1.5 ticks per pixel
  EXPECT_EQ(g.XToTime(101), 1002);
  EXPECT_EQ(g.PixelsToTicks(1), 2);
}

TEST(TrackviewSnapping, NearestUpAndDownOnAWholeTickGrid) {
  TrackviewGeometry g;
  g.snapGrid = 480;
  EXPECT_EQ(g.SnapUp(960), 960);
  EXPECT_EQ(g.SnapUp(961), 1440);
  EXPECT_EQ(g.SnapUp(0), 0);
  EXPECT_EQ(g.SnapNearest(719), 480);
  EXPECT_EQ(g.SnapNearest(720), 960);
  EXPECT_EQ(g.SnapDown(959), 480);
  EXPECT_EQ(g.SnapDown(960), 960);
}

TEST(TrackviewSnapping, FractionalGridAndNoGrid) {
  TrackviewGeometry g;
  g.snapGrid = 160.5;
  EXPECT_EQ(g.SnapNearest(300), 321);
  EXPECT_EQ(g.SnapDown(320), 160);
  EXPECT_EQ(g.SnapUp(162), 321);
  g.snapGrid = 0.0;
  for (int64_t t : {int64_t{-7}, int64_t{0}, int64_t{719}, int64_t{1} << 61}) {
    EXPECT_EQ(g.SnapNearest(t), t);
    EXPECT_EQ(g.SnapUp(t), t);
    EXPECT_EQ(g.SnapDown(t), t);
  }
}

TEST(TrackviewRows, UnitToYRoundsHalfAwayFromZero) {
  TrackviewGeometry g;
  g.dataRect = {0, 20, 500, 120};
  g.vertStart = 90;
  g.vertSpan = 450;
  g.vertExtentPx = 100;
  EXPECT_EQ(g.UnitToY(90), 20);
  EXPECT_EQ(g.RowToY(3), 30);
  EXPECT_EQ(g.UnitToY(92), 20);
  EXPECT_EQ(g.UnitToY(93), 21);
  g.vertSpan = 200;
  EXPECT_EQ(g.UnitToY(91), 21);  // +0.5 rounds up
  EXPECT_EQ(g.UnitToY(89), 19);  // -0.5 rounds away from zero too
  g.vertSpan = 0;
  EXPECT_EQ(g.UnitToY(90), -1);
}

TEST(TrackviewRows, YToRowAgreesWithRowTops) {
  TrackviewGeometry g;
  g.dataRect = {0, 20, 500, 320};
  g.vertStart = 45 * 7;
  g.vertSpan = 45 * 43;  // 300 pixels over 43 rows: uneven row heights
  g.vertExtentPx = 300;
  for (int row = 5; row < 52; ++row) {
    int top = g.RowToY(row);
    int next = g.RowToY(row + 1);
    ASSERT_LT(top, next);
    EXPECT_EQ(g.YToRow(top), row);
    EXPECT_EQ(g.YToRow(next - 1), row);
  }
  EXPECT_EQ(g.YToRow(19), 6);
}

TEST(TrackviewRows, RowPixelHeightIsFiveToFortyFive) {
  TrackviewGeometry g;
  g.rowHeightIndex = 1;
  EXPECT_EQ(g.RowPixelHeight(), 6);
  g.rowHeightIndex = 40;
  EXPECT_EQ(g.RowPixelHeight(), 45);
  g.rowHeightIndex = 100;
  EXPECT_EQ(g.RowPixelHeight(), 45);
  g.rowHeightIndex = 0x7FFFFFFB;
  EXPECT_EQ(g.RowPixelHeight(), 5);
  g.rowHeightIndex = 0x7FFFFFFA;
  EXPECT_EQ(g.RowPixelHeight(), 45);
  g.rowHeightIndex = -3;
  EXPECT_EQ(g.RowPixelHeight(), 5);
}

TEST(TrackviewZoomLadder, StepsGiveTheLadderOfTicksPerPixel) {
  TrackviewGeometry g;
  g.mapWidth = 1000;
  g.totalLength = int64_t{1} << 40;
  const double expected[] = {11, 16.5, 22, 33, 44, 66, 88, 132};
  for (int step = 0; step < 8; ++step) {
    EXPECT_DOUBLE_EQ(static_cast<double>(g.ZoomSpan(step)) / g.mapWidth, expected[step]) << step;
    EXPECT_EQ(g.ZoomStepOf(g.ZoomSpan(step)), step) << step;
  }
  EXPECT_EQ(g.ZoomSpan(-4), 11'000);
  // Every two steps double the span.
  EXPECT_EQ(g.ZoomSpan(20), g.ZoomSpan(18) * 2);
}

TEST(TrackviewZoomLadder, WholeLengthIsAStepOfItsOwn) {
  TrackviewGeometry g;
  g.mapWidth = 1000;
  g.totalLength = 44'000;  // the span of step 4
  EXPECT_EQ(g.ZoomStepOf(44'000), 5);
  EXPECT_EQ(g.ZoomSpan(5), 44'000);  // limited to the length
  EXPECT_EQ(g.ZoomSpan(100), 44'000);
  EXPECT_EQ(g.ZoomStepOf(5'000), 0);    // below the deepest zoom
  EXPECT_EQ(g.ZoomStepOf(27'500), 2);   // q = 5: one halving leaves 2
  EXPECT_EQ(g.ZoomStepOf(30'250), 3);   // q = 5.5 rounds to 6
}

TEST(TrackviewZoomLadder, HugeStepsAndSpansStayInRange) {
  TrackviewGeometry g;
  g.mapWidth = 16383;
  g.totalLength = int64_t{1} << 62;
  EXPECT_EQ(g.ZoomSpan(2000), g.totalLength);
  EXPECT_EQ(g.ZoomSpan(INT32_MAX), g.totalLength);
  int32_t top = g.ZoomStepOf(g.totalLength);
  EXPECT_GT(top, 60);
  EXPECT_LT(top, 120);
  EXPECT_EQ(g.ZoomStepOf(INT64_MAX), g.ZoomStepOf(INT64_MAX - 1));
}

}  // namespace
