// Lane arithmetic: the span and points of a drawn line, the step graph's
// rectangles, the colours, and the lane menu's items.
#include <gtest/gtest.h>

#include <string>

#include "mididata/lane_math.h"
#include "mididata/lane_menu_model.h"

namespace {

// A view with a fixed grid and 1 pixel per 10 ticks starting at x 100.
class GridView : public LaneView {
 public:
  explicit GridView(int64_t grid, bool snap = true, uint32_t tpq = 480) : grid_(grid), snap_(snap), tpq_(tpq) {}
  bool SnapActive() override { return snap_; }
  int64_t SnapDown(int64_t t) override { return t / grid_ * grid_; }
  int64_t SnapUp(int64_t t) override { return (t + grid_ - 1) / grid_ * grid_; }
  int64_t GridLength() override { return grid_; }
  uint32_t TicksPerQuarter() override { return tpq_; }
  int32_t TimeToX(int64_t t) override { return static_cast<int32_t>(100 + t / 10); }
  int64_t TimelineEnd() override { return 4000; }

 private:
  int64_t grid_;
  bool snap_;
  uint32_t tpq_;
};

std::vector<std::pair<int64_t, int32_t>> Pairs(const std::vector<LanePoint>& points) {
  std::vector<std::pair<int64_t, int32_t>> out;
  for (const LanePoint& p : points) out.emplace_back(p.time, p.value);
  return out;
}

}  // namespace

TEST(LaneLine, SpanSnapsToTheGrid) {
  GridView view(480);
  LaneSpan s = LaneLineSpan(1000, 100, true, view);  // given right to left
  EXPECT_EQ(s.start, 0);
  EXPECT_EQ(s.end, 1439);
  EXPECT_EQ(s.step, 480);
  // A short stroke across a grid line starts at the crossed line.
  s = LaneLineSpan(470, 490, true, view);
  EXPECT_EQ(s.start, 480);
  EXPECT_EQ(s.end, 959);
  // A short stroke within one cell keeps the cell's start.
  s = LaneLineSpan(490, 500, true, view);
  EXPECT_EQ(s.start, 480);
  EXPECT_EQ(s.end, 959);
  // Negative starts become 0; a click on a grid line keeps a span of one point.
  s = LaneLineSpan(-50, -10, true, view);
  EXPECT_EQ(s.start, 0);
  EXPECT_EQ(s.end, 0);
}

TEST(LaneLine, SpanWithoutSnapStepsBySixtyFourthsOfAQuarter) {
  GridView view(480, false, 960);
  LaneSpan s = LaneLineSpan(10, 700, false, view);
  EXPECT_EQ(s.start, 10);
  EXPECT_EQ(s.end, 700);
  EXPECT_EQ(s.step, 15);
  GridView noTimeBase(480, false, 0);
  EXPECT_EQ(LaneLineSpan(0, 1, false, noTimeBase).step, 384);
}

TEST(LaneLine, FlatLineOverFourStepsGivesOnePoint) {
  GridView view(480);
  const LaneSpan s = LaneLineSpan(0, 1900, true, view);
  EXPECT_EQ(s.end, 1919);
  EXPECT_EQ(Pairs(LaneLinePoints(s, 64, 64, 0, 127)), (std::vector<std::pair<int64_t, int32_t>>{{0, 64}}));
}

TEST(LaneLine, RampRoundsHalfAwayFromZeroAndSkipsRepeats) {
  // 0 -> 10 over 0..100 in steps of 25: 0, 2.5, 5, 7.5 -> 0, 3, 5, 8.
  const LaneSpan s{0, 100, 25};
  EXPECT_EQ(Pairs(LaneLinePoints(s, 0, 10, 0, 127)),
            (std::vector<std::pair<int64_t, int32_t>>{{0, 0}, {25, 3}, {50, 5}, {75, 8}}));
  // Falling: 10 -> 0: 10, 7.5, 5, 2.5 -> 10, 8, 5, 3.
  EXPECT_EQ(Pairs(LaneLinePoints(s, 10, 0, 0, 127)),
            (std::vector<std::pair<int64_t, int32_t>>{{0, 10}, {25, 8}, {50, 5}, {75, 3}}));
  // A shallow ramp repeats values, which are left out.
  const LaneSpan slow{0, 100, 10};
  EXPECT_EQ(Pairs(LaneLinePoints(slow, 0, 2, 0, 127)),
            (std::vector<std::pair<int64_t, int32_t>>{{0, 0}, {30, 1}, {80, 2}}));
  // The lane's range clamps.
  EXPECT_EQ(Pairs(LaneLinePoints(LaneSpan{0, 0, 1}, 200, 200, 0, 127)),
            (std::vector<std::pair<int64_t, int32_t>>{{0, 127}}));
}

TEST(LaneStepGraph, ControllerRectanglesRiseFromTheBottom) {
  GridView view(480);
  const LaneRect area{0, 10, 500, 137};  // 127 pixels: one pixel per value
  const auto rects = StepGraphRects({{1000, 100}, {2000, 0}}, 0, false, area, view);
  // 0..1000 at value 0 is empty height but has width; 1000..2000 at 100; 2000..4000 at 0.
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0].left, 100);
  EXPECT_EQ(rects[0].right, 200);
  EXPECT_EQ(rects[0].top, 137);
  EXPECT_EQ(rects[1].left, 200);
  EXPECT_EQ(rects[1].right, 300);
  EXPECT_EQ(rects[1].top, 37);
  EXPECT_EQ(rects[1].bottom, 137);
  EXPECT_EQ(rects[2].left, 300);
  EXPECT_EQ(rects[2].right, 500);
}

TEST(LaneStepGraph, PitchBendExtendsFromTheMiddle) {
  GridView view(480);
  const LaneRect area{0, 0, 500, 16383};  // one pixel per value
  const auto rects = StepGraphRects({{500, 16383}, {1500, 0}}, kPitchBendCentre, true, area, view);
  ASSERT_EQ(rects.size(), 3u);
  const int32_t middle = 16383 - 16383 / 2;
  EXPECT_EQ(rects[0].top, middle - 1);  // 8192 sits one pixel above the middle line
  EXPECT_EQ(rects[0].bottom, middle);
  EXPECT_EQ(rects[1].top, 0);  // full up
  EXPECT_EQ(rects[1].bottom, middle);
  EXPECT_EQ(rects[2].top, middle);  // full down: below the middle line
  EXPECT_EQ(rects[2].bottom, 16383);
}

TEST(LaneStepGraph, ZeroWidthStepsAreLeftOut) {
  GridView view(480);
  const LaneRect area{0, 0, 500, 127};
  const auto rects = StepGraphRects({{0, 5}, {3, 6}, {4000, 7}}, 0, false, area, view);
  ASSERT_EQ(rects.size(), 1u);  // 0..0 and 0..3 map to one x; 4000.. is past the end
  EXPECT_EQ(rects[0].top, 127 - 6);
}

TEST(LaneColours, NamedControllersAndPitchBend) {
  EXPECT_EQ(LaneColour(128), 0xC05C5Cu);  // RGB 92, 92, 192
  EXPECT_EQ(LaneColour(1), 0xF1C65Au);    // RGB 90, 198, 241
  EXPECT_EQ(LaneColour(7), 0xFF7F7Fu);    // RGB 127, 127, 255
  EXPECT_EQ(LaneColour(10), 0x3F45FFu);   // RGB 255, 69, 63
  EXPECT_EQ(LaneColour(3), 0xAC005Bu);    // RGB 91, 0, 172
  EXPECT_EQ(LaneColour(127), 0xAC005Bu);
}

TEST(LaneMenuModel, OnlyNotesMarksVelocityAlone) {
  LaneEventScan scan;
  scan.noteOn = true;
  const LaneMenuModel m = BuildLaneMenuModel(scan, kLaneVelocity);
  std::vector<int32_t> ids;
  for (const LaneMenuItem& i : m.top) {
    ids.push_back(i.id);
    EXPECT_EQ(i.hasEvents, i.id == kLaneVelocity) << i.id;
    EXPECT_EQ(i.current, i.id == kLaneVelocity) << i.id;
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{1128, 1129, 1001, 1002, 1004, 1005, 1007, 1008, 1010, 1011, 1064, 0}));
  ASSERT_EQ(m.controllers.size(), 128u);
  for (const LaneMenuItem& i : m.controllers) EXPECT_FALSE(i.hasEvents);
}

TEST(LaneMenuModel, OtherControllersWithEventsFollowTheCommonOnes) {
  LaneEventScan scan;
  scan.controller[7] = true;
  scan.controller[93] = true;
  scan.controller[20] = true;
  const LaneMenuModel m = BuildLaneMenuModel(scan, 1093);
  std::vector<int32_t> ids;
  for (const LaneMenuItem& i : m.top) ids.push_back(i.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{1128, 1129, 1001, 1002, 1004, 1005, 1007, 1008, 1010, 1011, 1064, 0, 1020,
                                       1093, 0}));
  EXPECT_TRUE(m.top[6].hasEvents);  // 7
  EXPECT_TRUE(m.top[13].current);   // 93
  EXPECT_TRUE(m.top[13].hasEvents);
  EXPECT_TRUE(m.controllers[93].current);
  EXPECT_TRUE(m.controllers[20].hasEvents);
}

TEST(LaneMenuModel, SubmenuColumnsAndUnselectableControllers) {
  const LaneMenuModel m = BuildLaneMenuModel(LaneEventScan{}, 1001);
  int disabled = 0;
  for (int32_t c = 0; c < 128; ++c) {
    const LaneMenuItem& i = m.controllers[c];
    EXPECT_EQ(i.id, 1000 + c);
    EXPECT_EQ(i.newColumn, c == 32 || c == 64 || c == 96) << c;
    disabled += i.disabled;
  }
  EXPECT_EQ(disabled, 18);
  for (int32_t c : {0, 6, 32, 38, 96, 101, 120, 127}) EXPECT_TRUE(m.controllers[c].disabled) << c;
  for (int32_t c : {1, 7, 31, 39, 95, 102, 119}) EXPECT_FALSE(m.controllers[c].disabled) << c;
}

TEST(LaneMenuModel, FirstMsbIsRemoved) {
  std::basic_string<kvchar> text = KVTEXT("7: Main Volume MSB");
  RemoveFirstMsb(text.data());
  EXPECT_EQ(std::basic_string<kvchar>(text.c_str()), KVTEXT("7: Main Volume"));
  text = KVTEXT("0: Bank MSB MSB");
  RemoveFirstMsb(text.data());
  EXPECT_EQ(std::basic_string<kvchar>(text.c_str()), KVTEXT("0: Bank MSB"));
  text = KVTEXT("64: Damper Pedal");
  RemoveFirstMsb(text.data());
  EXPECT_EQ(std::basic_string<kvchar>(text.c_str()), KVTEXT("64: Damper Pedal"));
}
