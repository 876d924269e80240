#include "host/time_map.h"

#include "mididata/host_records.h"

namespace refhost {

bool MulDivRound(int64_t value, uint64_t mul, uint64_t div, int64_t* out) {
  const bool negative = value < 0;
  // Magnitude without overflowing on INT64_MIN.
  const uint64_t a = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const uint64_t q = a / div;
  const uint64_t r = a % div;
  uint64_t whole = 0;
  if (__builtin_mul_overflow(q, mul, &whole)) return false;
  // r < div < 2^32 and mul < 2^32: the product and the half fit in 64 bits.
  const uint64_t part = (r * mul + div / 2) / div;
  uint64_t magnitude = 0;
  if (__builtin_add_overflow(whole, part, &magnitude)) return false;
  if (magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
  *out = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool TimeMap::ToTicks(int64_t value, uint32_t format, int64_t* ticks) const {
  if (format == kTimeTicks) {
    *ticks = value;
    return true;
  }
  if (format != kTimeAbsolute || ticksPerQuarter == 0) return false;
  return MulDivRound(value, ticksPerQuarter, uint64_t{microsecondsPerQuarter} * 10, ticks);
}

bool TimeMap::FromTicks(int64_t ticks, uint32_t format, int64_t* value) const {
  if (format == kTimeTicks) {
    *value = ticks;
    return true;
  }
  if (format != kTimeAbsolute || ticksPerQuarter == 0) return false;
  return MulDivRound(ticks, uint64_t{microsecondsPerQuarter} * 10, ticksPerQuarter, value);
}

int64_t TimeMap::TicksOf(int64_t value, uint32_t format) const {
  int64_t ticks = value;
  return ToTicks(value, format, &ticks) ? ticks : value;
}

uint32_t TimeMap::BeatUnit() const { return beatUnitCode <= 5 ? 1u << beatUnitCode : 4u; }

int64_t TimeMap::TicksPerBeat() const { return int64_t{ticksPerQuarter} * 4 / BeatUnit(); }

void TimeMap::MeasureBeatTick(int64_t ticks, int32_t* measure, int32_t* beat, int32_t* tick) const {
  const int64_t perBeat = TicksPerBeat() > 0 ? TicksPerBeat() : 1;
  const int64_t perMeasure = perBeat * (beatsPerMeasure ? beatsPerMeasure : 1);
  int64_t m = ticks / perMeasure;
  int64_t rest = ticks % perMeasure;
  if (rest < 0) {  // floor division: the remainder stays within the measure
    rest += perMeasure;
    --m;
  }
  *measure = static_cast<int32_t>(m + 1);
  *beat = static_cast<int32_t>(rest / perBeat + 1);
  *tick = static_cast<int32_t>(rest % perBeat);
}

}  // namespace refhost
