// Grid, note-value and scale snapping: the code tables behind the grid and
// paint menus, the eighteen scales, and the roundings every tool puts its
// times through. Platform-free.
#pragma once

#include <cstdint>

#include "kvlib/time_base.h"

// Snap sources (masks of SnapNearest, SnapForward, SnapBackward).
inline constexpr uint32_t kSnapCursor = 0x1;
inline constexpr uint32_t kSnapGrid = 0x2;
inline constexpr uint32_t kSnapLoop = 0x4;
inline constexpr uint32_t kSnapAll = 0x7;

// No snap point after / before a time.
inline constexpr int64_t kNoSnapAfter = INT64_MAX;
inline constexpr int64_t kNoSnapBefore = -(int64_t{1} << 62);

struct SnapSources {
  double grid = 0.0;  // ticks between grid lines; 0 snaps every grid candidate to the time itself
  bool cursorValid = false;
  int64_t cursor = 0;
  bool loopValid = false;
  int64_t loopStart = 0, loopEnd = 0;
};

int64_t SnapNearest(const SnapSources& sources, int64_t t, uint32_t mask);
int64_t SnapForward(const SnapSources& sources, int64_t t, uint32_t mask);
int64_t SnapBackward(const SnapSources& sources, int64_t t, uint32_t mask);
int64_t GridFloor(double grid, int64_t t);
int64_t GridCeiling(double grid, int64_t t);

// Menu tables: command = first command + row.
inline constexpr int kGridRows = 19;
inline constexpr int kPaintRows = 22;
inline constexpr int kFirstGridCommand = 6000;
inline constexpr int kFirstPaintCommand = 7000;
inline constexpr int kFirstRootCommand = 7200;
inline constexpr int kFirstScaleCommand = 7300;
inline constexpr int kScaleCount = 18;  // selectable; index 18 is the empty scale

int64_t GridCodeOfRow(int row);
int64_t PaintCodeOfRow(int row);
// The first row holding the code, or -1.
int GridRowOf(int64_t code);
int PaintRowOf(int64_t code);

// Lengths in ticks of the codes: > 0 ticks, 0 the ruler-mark spacing (1 when
// that is not above 1), < 0 a note value of the table; anything else 1 tick.
double GridCodeLength(int64_t code, const TrackTimeBase& timeBase, double rulerSpacing);
double PaintCodeLength(int64_t code, const TrackTimeBase& timeBase, double rulerSpacing);

uint16_t ScaleMask(int index);
bool InScale(int pitch, int root, int scaleIndex);
