// The meter and resolution of the edited track, as the track view engine keeps
// it and the time text functions read it. Platform-free.
#pragma once

#include <cstdint>

struct TrackTimeBase {
  uint8_t carried[32];      // copied from the data source, not read by the engine
  uint16_t denominator;     // beat unit: 1, 2, 4, 8, 16 or 32
  uint16_t numerator;       // beats per measure
  uint32_t ticksPerQuarter;
};
static_assert(sizeof(TrackTimeBase) == 40);

inline int64_t TicksPerBeat(const TrackTimeBase& tb) {
  return tb.denominator ? static_cast<int64_t>(tb.ticksPerQuarter) * 4 / tb.denominator : tb.ticksPerQuarter;
}
inline int64_t TicksPerMeasure(const TrackTimeBase& tb) { return TicksPerBeat(tb) * tb.numerator; }
