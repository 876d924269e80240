// What a lane descriptor needs of the view it draws in: the time grid and the
// mapping of ticks to pixels. The piano roll implements it over its track view.
// Platform-free.
#pragma once

#include <cstdint>

class LaneView {
 public:
  // Whether grid snapping applies (the snapping and grid switches are both on).
  virtual bool SnapActive() = 0;
  // The grid point at or before, and at or after, a time.
  virtual int64_t SnapDown(int64_t time) = 0;
  virtual int64_t SnapUp(int64_t time) = 0;
  // The grid length in ticks.
  virtual int64_t GridLength() = 0;
  // Ticks per quarter note of the track; 0 while the host has given none.
  virtual uint32_t TicksPerQuarter() = 0;
  // Time to x in the track view, clamped to -16384..16383.
  virtual int32_t TimeToX(int64_t time) = 0;
  // The end of the time line (the track length).
  virtual int64_t TimelineEnd() = 0;

 protected:
  ~LaneView() = default;
};
