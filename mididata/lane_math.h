// The arithmetic of the controller and pitch bend lanes: the time span and the
// points of a drawn line, the rectangles of the step graph and the fill colours.
// Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "mididata/lane_view.h"

inline constexpr int32_t kPitchBendFull = 16383;
inline constexpr int32_t kPitchBendCentre = 8192;
inline constexpr int32_t kControllerFull = 127;

struct LanePoint {
  int64_t time;
  int32_t value;
};

// A drawn line's time span in ticks: points go at start, start + step, ...
struct LaneSpan {
  int64_t start;
  int64_t end;
  int64_t step;
};

// Orders the two times (a negative start becomes 0) and, when snapping applies
// (snap and not Shift), widens them to the grid: start down, end up and then
// one tick less, the step the grid length; a drawn span shorter than a step
// whose snapped span is longer starts one step later. Without snapping the step
// is a 64th of a quarter note. The end never falls before the start.
LaneSpan LaneLineSpan(int64_t from, int64_t to, bool snap, LaneView& grid);

// The values along a line from value1 at span.start to value2 at span.end,
// one point per step while the time is before the end (at or before it for a
// flat line), each rounded half away from zero and clamped between the two
// end values and to lowest..highest; only points whose value differs from the
// previous point's are returned.
std::vector<LanePoint> LaneLinePoints(const LaneSpan& span, int32_t value1, int32_t value2, int32_t lowest,
                                      int32_t highest);

struct LaneRect {
  int32_t left, top, right, bottom;
};

// The step graph of time-sorted points over the value area: each value holds
// from its time to the next point's, the initial value from time 0 and the
// last value to the end of the time line. Controller values rise from the
// bottom (full scale 127); pitch bend values (full scale 16383) extend from
// the middle line. Rectangles of zero width are left out.
std::vector<LaneRect> StepGraphRects(const std::vector<LanePoint>& points, int32_t initial, bool pitchBend,
                                     const LaneRect& area, LaneView& view);

// Fill colour (0x00BBGGRR) of controller n; index 128 is pitch bend.
uint32_t LaneColour(int32_t index);
