// The track view's setters and scrolling: clamps, derived values, the effects
// they ask of the window (caret, invalidation, view filter) and layout sizing.
#include <gtest/gtest.h>

#include <vector>

#include "trackview/geometry.h"

namespace {

struct RecordingView : TrackviewGeometry {
  std::vector<uint32_t> invalidated;
  int caretPlacements = 0;
  int32_t rows = 128;
  bool fixed = false;
  int64_t filterMinimumStart = -1;  // the filter raises the start to this when set
};

RecordingView& Rec(TrackviewGeometry& g) { return static_cast<RecordingView&>(g); }

const ViewEffects kRecordingEffects = {
    [](TrackviewGeometry& g, int64_t* start, int64_t*) {
      if (Rec(g).filterMinimumStart >= 0 && *start < Rec(g).filterMinimumStart) *start = Rec(g).filterMinimumStart;
    },
    [](const TrackviewGeometry& g) { return static_cast<const RecordingView&>(g).rows; },
    [](const TrackviewGeometry& g) { return static_cast<const RecordingView&>(g).fixed; },
    [](TrackviewGeometry& g) { ++Rec(g).caretPlacements; },
    [](TrackviewGeometry& g, uint32_t areas) { Rec(g).invalidated.push_back(areas); },
};

constexpr uint32_t kTimeAreas = kAreaLoopBar | kAreaPane5 | kAreaRuler | kAreaTransport | kAreaHScroll;
constexpr uint32_t kRowAreas = kAreaPane9 | kAreaHeader | kAreaVScroll | kAreaHScroll;

// A data area of 1024 x 600 pixels at (60, 40) with the piano roll's margin of
// 24 pixels, sized the way the first WM_SIZE does (three passes).
class ViewTest : public testing::Test {
 protected:
  void SetUp() override {
    v.effects = &kRecordingEffects;
    v.rightMargin = 24;
    v.rowHeightIndex = 1;
    v.SetTotalLength(1'000'000);
    FirstSize({60, 40, 60 + 1024, 40 + 600});
    v.invalidated.clear();
    v.caretPlacements = 0;
  }
  void FirstSize(const TvRect& r) {
    v.ApplyDataArea(r, false);
    v.ApplyDataArea(r, true);
    v.ApplyDataArea(r, true);
  }
  RecordingView v;
};

TEST_F(ViewTest, FirstSizingComputesTheMapping) {
  EXPECT_EQ(v.mapWidth, 1000);
  EXPECT_EQ(v.dataWidth, 1024);
  EXPECT_EQ(v.vertExtentPx, 600);
  // Rows of 6 pixels: 100 rows of 45 units are visible.
  EXPECT_EQ(v.vertSpan, 4500);
  EXPECT_EQ(v.rowHeightIndex, 1);
  EXPECT_EQ(v.maxRowHeightIndex, 595);
  EXPECT_EQ(v.rowCount, 128);
  EXPECT_EQ(v.vertTotal, 128 * 45 + 45);
  EXPECT_DOUBLE_EQ(v.unitsPerPixelV, 7.5);
}

TEST_F(ViewTest, NoLengthMeansNothingToShow) {
  v.SetTotalLength(0);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_EQ(v.viewSpan, 0);
  EXPECT_EQ(v.TimeToX(0), -1);
  EXPECT_EQ(v.TimeToX(500), -1);
  v.SetView(300, 5000, 0);
  EXPECT_EQ(v.viewSpan, 0);
}

TEST_F(ViewTest, SpanIsLimitedAndStartPulledBack) {
  v.SetView(100, 50, 0);  // below 11 ticks per pixel
  EXPECT_EQ(v.viewSpan, 11'000);
  EXPECT_EQ(v.viewStart, 100);
  v.SetView(0, 5'000'000, 0);  // beyond the length
  EXPECT_EQ(v.viewSpan, 1'000'000);
  v.SetView(995'000, 20'000, 0);  // would show past the end
  EXPECT_EQ(v.viewStart, 980'000);
  EXPECT_EQ(v.viewSpan, 20'000);
  v.SetView(-50, 20'000, 0);
  EXPECT_EQ(v.viewStart, 0);
  v.SetView(INT64_MAX, INT64_MAX, 0);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_EQ(v.viewSpan, 1'000'000);
  EXPECT_DOUBLE_EQ(v.ticksPerPixel, 1000.0);
}

TEST_F(ViewTest, ZoomStepsFollowTheSpan) {
  v.SetView(0, 44'000, 0);
  EXPECT_EQ(v.zoomLevel, 4);
  EXPECT_EQ(v.maxZoomLevel, v.ZoomStepOf(1'000'000));
  v.SetView(0, 1'000'000, 0);
  EXPECT_EQ(v.zoomLevel, v.maxZoomLevel);
}

TEST_F(ViewTest, SetViewDetachesUnlessAsked) {
  v.flags = kTvPlaying | kTvMayReturn;
  v.SetView(0, 50'000, kViewNoDetach);
  EXPECT_EQ(v.flags, kTvPlaying | kTvMayReturn);
  v.SetView(10'000, 50'000, 0);
  EXPECT_EQ(v.flags, kTvPlaying | kTvDetached);
}

TEST_F(ViewTest, SetViewInvalidatesEverythingThatShowsTime) {
  v.SetView(10'000, 50'000, kViewNoDetach);
  ASSERT_EQ(v.invalidated.size(), 1u);
  EXPECT_EQ(v.invalidated[0], kTimeAreas);
  EXPECT_TRUE(v.viewChanged);
  EXPECT_GE(v.caretPlacements, 1);
}

TEST_F(ViewTest, UnchangedViewWithSkipFlagOnlyPlacesTheCaret) {
  v.SetView(10'000, 50'000, kViewNoDetach);
  v.invalidated.clear();
  v.caretPlacements = 0;
  EXPECT_FALSE(v.SetView(10'000, 50'000, kViewNoDetach | kViewSkipUnchanged));
  EXPECT_TRUE(v.invalidated.empty());
  EXPECT_EQ(v.caretPlacements, 1);
  EXPECT_TRUE(v.SetView(10'000, 50'000, kViewNoDetach));
  EXPECT_EQ(v.invalidated.size(), 1u);
}

TEST_F(ViewTest, ViewFilterMayChangeTheView) {
  v.filterMinimumStart = 7000;
  v.SetView(0, 50'000, 0);
  EXPECT_EQ(v.viewStart, 7000);
}

TEST_F(ViewTest, WideningKeepsTicksPerPixel) {
  v.SetView(0, 50'000, 0);
  FirstSize({60, 40, 60 + 2024, 40 + 600});  // mapped width 2000
  EXPECT_EQ(v.viewSpan, 100'000);
  EXPECT_DOUBLE_EQ(v.ticksPerPixel, 50.0);
}

TEST_F(ViewTest, TotalLengthKeepsTheSpanWhenItFits) {
  v.SetView(900'000, 50'000, 0);
  v.SetTotalLength(920'000);
  EXPECT_EQ(v.viewSpan, 50'000);
  EXPECT_EQ(v.viewStart, 870'000);
  v.SetTotalLength(30'000);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_EQ(v.viewSpan, 30'000);
  v.SetTotalLength(INT64_MAX);
  EXPECT_EQ(v.totalLength, int64_t{1} << 62);
  v.SetTotalLength(-5);
  EXPECT_EQ(v.totalLength, 0);
  EXPECT_EQ(v.viewSpan, 0);
}

TEST_F(ViewTest, VerticalViewSnapsToRowsAndRecomputesRowHeight) {
  v.SetVertView(100, 4500, 0);
  EXPECT_EQ(v.vertStart, 90);
  EXPECT_EQ(v.firstRow, 2);
  ASSERT_FALSE(v.invalidated.empty());
  EXPECT_EQ(v.invalidated.back(), kRowAreas);
  // 50 rows over 600 pixels: 12-pixel rows.
  v.SetVertView(0, 2250, 0);
  EXPECT_EQ(v.rowHeightIndex, 7);
  EXPECT_EQ(v.RowPixelHeight(), 12);
  // Never more than one unit per pixel.
  v.SetVertView(0, 100, 0);
  EXPECT_EQ(v.vertSpan, 600);
}

TEST_F(ViewTest, VerticalScrollStopsOneSpareRowBelowTheLast) {
  v.ScrollBy(0, 1'000'000);
  EXPECT_EQ(v.firstRow, 128 - 100 + 1);
  EXPECT_EQ(v.vertStart, 29 * 45);
  ASSERT_EQ(v.invalidated.size(), 1u);
  EXPECT_EQ(v.invalidated[0], kAreaAll | kAreaHeader | kAreaUpdateNow);
  v.SetVertView(1'000'000, v.vertSpan, 0);
  EXPECT_EQ(v.firstRow, 29);
  v.invalidated.clear();
  v.ScrollBy(0, 20);  // less than a row
  EXPECT_EQ(v.firstRow, 29);
  EXPECT_TRUE(v.invalidated.empty());
  v.ScrollBy(0, -1'000'000);
  EXPECT_EQ(v.firstRow, 0);
}

TEST_F(ViewTest, MissingDataSourceEmptiesTheVerticalView) {
  v.rows = -1;
  v.SetVertView(90, 4500, kVertNewSpan);
  EXPECT_EQ(v.rowCount, -1);
  EXPECT_EQ(v.vertTotal, 0);
  EXPECT_EQ(v.vertSpan, 0);
  EXPECT_EQ(v.vertStart, 0);
  EXPECT_EQ(v.UnitToY(0), -1);
}

TEST_F(ViewTest, VerticalTotalCountsTheVisibleFractionOfARow) {
  v.rowHeightIndex = 2;  // 7-pixel rows: 600 / 7 = 85.71 rows visible
  v.RecomputeVertTotal();
  EXPECT_EQ(v.vertTotal, 128 * 45 + 45 + 32);
  v.rows = 0;
  v.RecomputeVertTotal();
  EXPECT_EQ(v.vertTotal, 0);
}

TEST_F(ViewTest, SetVertTotalKeepsOrResetsTheSpan) {
  v.SetVertView(900, 4500, 0);
  v.SetVertTotal(5000);
  EXPECT_EQ(v.vertSpan, 4500);
  EXPECT_EQ(v.vertStart, 495);  // pulled back to 500, then snapped to row 11
  v.vertSpan = 0;
  v.SetVertTotal(4000);  // no span: a new one of 100 units per 45 pixels
  EXPECT_EQ(v.vertSpan, 1333);
  EXPECT_EQ(v.vertStart, 0);
}

TEST_F(ViewTest, FixedRowsKeepTheRowHeight) {
  v.fixed = true;
  v.rowHeightIndex = 9;
  FirstSize({60, 40, 60 + 1024, 40 + 300});
  EXPECT_EQ(v.maxRowHeightIndex, 24);
  EXPECT_EQ(v.rowHeightIndex, 9);
}

TEST_F(ViewTest, KeepVisibleCountsTheLastTickAsInside) {
  v.SetView(100'000, 50'000, 0);
  v.invalidated.clear();
  v.KeepVisible(149'999);
  EXPECT_EQ(v.viewStart, 100'000);
  EXPECT_TRUE(v.invalidated.empty());
  v.KeepVisible(150'000);
  EXPECT_EQ(v.viewStart, 150'000 + 5000 - 50'000);
  v.KeepVisible(20'000);
  EXPECT_EQ(v.viewStart, 15'000);
  v.KeepVisible(2000);
  EXPECT_EQ(v.viewStart, 0);
}

TEST_F(ViewTest, PlaceAtEdgesOrCentre) {
  v.SetView(0, 50'000, 0);
  v.flags = 0;
  v.PlaceAt(300'000, kPlaceLeft);
  EXPECT_EQ(v.viewStart, 300'000);
  v.PlaceAt(300'000, kPlaceLeft | kPlaceMargin);
  EXPECT_EQ(v.viewStart, 295'000);
  v.PlaceAt(300'000, kPlaceRight | kPlaceMargin);
  EXPECT_EQ(v.viewStart, 255'000);
  v.PlaceAt(300'000, 0);
  EXPECT_EQ(v.viewStart, 275'000);
  v.PlaceAt(10'000, 0);
  EXPECT_EQ(v.viewStart, 0);
  EXPECT_EQ(v.flags & kTvDetached, 0u);  // placing never detaches
}

TEST_F(ViewTest, ScrollByStaysWithinTheLength) {
  v.SetView(0, 50'000, kViewNoDetach);
  v.ScrollBy(10'000, 0);
  EXPECT_EQ(v.viewStart, 10'000);
  EXPECT_NE(v.flags & kTvDetached, 0u);
  v.ScrollBy(INT64_MAX, 0);
  EXPECT_EQ(v.viewStart, 950'000);
  v.ScrollBy(INT64_MIN, 0);
  EXPECT_EQ(v.viewStart, 0);
  v.invalidated.clear();
  v.ScrollBy(-5, 0);
  EXPECT_TRUE(v.invalidated.empty());
}

TEST_F(ViewTest, ZoomToRangeLeavesHalfTheMarginBeforeIt) {
  v.SetView(0, 200'000, 0);
  EXPECT_TRUE(v.ZoomToRange(100'000, 50'000));
  EXPECT_EQ(v.viewStart, 100'000 - 600);  // 12 pixels at 50 ticks per pixel
  EXPECT_EQ(v.viewSpan, 50'000);
  EXPECT_FALSE(v.ZoomToRange(100'000, 50'000));
  EXPECT_FALSE(v.ZoomToRange(150'000, -50'000));  // the same range given from its end
  EXPECT_EQ(v.viewStart, 99'400);
  EXPECT_FALSE(v.ZoomToRange(400, 0));
  EXPECT_TRUE(v.ZoomToRange(0, 5000));  // span limited to the deepest zoom
  EXPECT_EQ(v.viewSpan, 11'000);
  EXPECT_EQ(v.viewStart, 0);
}

}  // namespace
