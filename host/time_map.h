// The project's musical clock: one constant tempo, a resolution in ticks per
// quarter note and a time signature. Conversions are exact integer arithmetic
// rounded to the nearest unit (halves away from zero).
#pragma once

#include <cstdint>

namespace refhost {

// Largest tempo period accepted: one quarter note per minute. Keeps every
// intermediate product of the conversions within 64 bits.
inline constexpr uint32_t kMaxMicrosecondsPerQuarter = 60000000;

// value * mul / div rounded to nearest; false when the result does not fit.
// mul and div must be below 2^32 and div non-zero.
bool MulDivRound(int64_t value, uint64_t mul, uint64_t div, int64_t* out);

struct TimeMap {
  uint32_t ticksPerQuarter = 960;
  uint32_t microsecondsPerQuarter = 500000;  // 120 quarter notes per minute
  uint32_t beatsPerMeasure = 4;
  uint32_t beatUnitCode = 2;  // 0-5: 1, 2, 4, 8, 16, 32; other codes read as 4

  // Format 1 (100 ns units) or 2 (ticks) to ticks and back; false for an
  // unknown format or an overflow.
  bool ToTicks(int64_t value, uint32_t format, int64_t* ticks) const;
  bool FromTicks(int64_t ticks, uint32_t format, int64_t* value) const;
  // Ticks of a time that is known to be in a valid format; unknown formats are
  // taken as ticks so that ordering stays total.
  int64_t TicksOf(int64_t value, uint32_t format) const;

  uint32_t BeatUnit() const;
  int64_t TicksPerBeat() const;
  // Measure and beat count from 1; negative times fall in measures 0 and below.
  void MeasureBeatTick(int64_t ticks, int32_t* measure, int32_t* beat, int32_t* tick) const;
};

}  // namespace refhost
