// How far apart the time ruler puts its labels and tick marks, and so how far
// apart the data area's grid lines are. Platform-free.
#pragma once

#include <cstdint>

#include "kvlib/time_base.h"

struct RulerSpacing {
  double ticks;          // distance between labels
  int32_t subdivisions;  // tick marks per label interval, at least 1
  bool beatsOnly;        // labels as measure.beat (no ticks)
};

// Rounds a label spacing up to a musical one: whole measures (a power of two
// of them), a divisor of the measure in beats, or a binary fraction of a beat.
// A time base without beats leaves the spacing as it is.
RulerSpacing MusicalSpacing(double ticks, const TrackTimeBase& timeBase);

// Doubles or halves the subdivisions so that tick marks lie between 9 and 60
// pixels apart where possible (at most 16 per interval).
int32_t FitSubdivisions(double intervalPixels, int32_t subdivisions);

// The label spacing estimated from the widest label: 1.6 label widths.
inline double LabelSpacing(int32_t labelWidth, double ticksPerPixel) { return labelWidth * ticksPerPixel * 1.6; }

// A track's own grid, doubled until its lines are at least minPixels apart.
double ThinnedGrid(double gridTicks, int32_t minPixels, double ticksPerPixel);
