#include "kvlib/time_text.h"

#include <cmath>
#include <limits>

#include "kvlib/printf.h"
#include "kvlib/regional.h"

namespace {

constexpr uint64_t kUnitsPerSecond = 10'000'000;
constexpr double kUnitsPerMinute = 600'000'000.0;
constexpr int64_t kMaxTime = std::numeric_limits<int64_t>::max();

struct Meter {
  int64_t ticksPerBeat;
  int64_t beatsPerMeasure;
};

// A time base without resolution or meter still divides: one tick a beat, one beat a measure.
Meter MeterOf(const TrackTimeBase& timeBase) {
  int64_t ticksPerBeat = TicksPerBeat(timeBase);
  return {ticksPerBeat < 1 ? 1 : ticksPerBeat, timeBase.numerator < 1 ? 1 : int64_t{timeBase.numerator}};
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t FloorMod(int64_t a, int64_t b) {
  int64_t r = a % b;
  return (r != 0 && (r < 0) != (b < 0)) ? r + b : r;
}

// a * b / c without intermediate overflow; saturates at the largest time.
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c, bool round) {
  uint64_t whole;
  if (__builtin_mul_overflow(a / c, b, &whole)) return kMaxTime;
  uint64_t result = whole + ((a % c) * b + (round ? c / 2 : 0)) / c;
  return result < whole || result > static_cast<uint64_t>(kMaxTime) ? kMaxTime : result;
}

// A rate that is no positive finite number counts nothing.
double Rate(double rate) { return std::isfinite(rate) && rate > 0 ? rate : 0; }

uint64_t FloorToCount(double value) {
  if (!(value > 0)) return 0;
  return value >= 9.2e18 ? static_cast<uint64_t>(kMaxTime) : static_cast<uint64_t>(value);
}

struct Clock {
  uint64_t hours, minutes, seconds, frames;
};

Clock ClockOfFrames(uint64_t frames, uint64_t perSecond) {
  uint64_t seconds = frames / perSecond;
  return {seconds / 3600, seconds / 60 % 60, seconds % 60, frames % perSecond};
}

// Drop-frame numbering: frame numbers 0 and 1 are skipped at every minute
// except each tenth.
Clock DropFrameClock(uint64_t frames) {
  const uint64_t tens = frames / 17982, rest = frames % 17982;
  const uint64_t skipped = 18 * tens + (rest < 2 ? 0 : 2 * ((rest - 2) / 1798));
  return ClockOfFrames(frames + skipped, 30);
}

struct FormatPair {
  const kvchar* precise;
  const kvchar* coarse;
};

constexpr FormatPair kFormats[] = {
    {KVTEXT("$I64d"), KVTEXT("$I64d")},
    {KVTEXT("%02u$:%02u$:%02u$*%03u"), KVTEXT("%02u$:%02u$:%02u")},
    {KVTEXT("$.3f"), KVTEXT("$.0f")},
    {KVTEXT("%02u$:%02u$:%02u$*%02u"), KVTEXT("%02u$:%02u$:%02u")},
    {KVTEXT("$.3f"), KVTEXT("$.0f")},
    {KVTEXT("$u$&:%u$&.%03u"), KVTEXT("$u$&:%u")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u:%02u:%02u:%02u")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u:%02u:%02u:%02u")},
    {KVTEXT("%02u:%02u:%02u;%02u"), KVTEXT("%02u:%02u:%02u;%02u")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u:%02u:%02u:%02u")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u:%02u:%02u:%02u")},
    {KVTEXT("$I64d"), KVTEXT("$I64d")},
    {KVTEXT("$I64d"), KVTEXT("$I64d")},
    {KVTEXT("$u$&:%u$&.%03u"), KVTEXT("$u$&:%u")},
    {KVTEXT("$.3f"), KVTEXT("$.0f")},
    {KVTEXT("$I64d+$I64d"), KVTEXT("$I64d+$I64d")},
    {KVTEXT("$I64d+$I64d"), KVTEXT("$I64d+$I64d")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u$:%02u$:%02u")},
    {KVTEXT("%02u:%02u:%02u:%02u"), KVTEXT("%02u:%02u:%02u:%02u")},
};
static_assert(std::size(kFormats) == 19);

// The text of a non-negative time t.
int FormatMagnitude(kvchar* buffer, size_t capacity, const KvTimeFormat& format, uint64_t t, bool coarse) {
  if (format.type >= std::size(kFormats))
    return KvPrintF(buffer, capacity, KVTEXT("$I64d"), static_cast<int64_t>(t));
  const kvchar* text = coarse ? kFormats[format.type].coarse : kFormats[format.type].precise;
  auto print = [&](const auto&... args) { return KvPrintF(buffer, capacity, text, args...); };
  auto timecode = [&](const Clock& c) { return print(c.hours, c.minutes, c.seconds, c.frames); };
  // The coarse forms of the fractional types show whole units.
  auto amount = [&](double value) { return print(coarse ? std::trunc(value) : value); };
  const double tempo = Rate(format.tempo);
  switch (format.type) {
    case kNanoSamples:
      return print(static_cast<int64_t>(MulDiv(t, format.sampleRate, kUnitsPerSecond, true)));
    case kNanoClock: {
      const uint64_t ms = t / 10'000;
      return timecode({ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000});
    }
    case kNanoSeconds:
      return amount(static_cast<double>(t) / kUnitsPerSecond);
    case kNanoClockFrames: {
      Clock c = ClockOfFrames(t / kUnitsPerSecond, 1);
      c.frames = FloorToCount(static_cast<double>(t % kUnitsPerSecond) * Rate(format.frameRate) / kUnitsPerSecond);
      return timecode(c);
    }
    case kNanoFrames:
      return amount(static_cast<double>(t) * Rate(format.frameRate) / kUnitsPerSecond);
    case kNanoMeasures:
    case kNanoMeasuresZero: {
      const Meter meter = MeterOf(format.timeBase);
      const uint64_t ticks =
          FloorToCount(static_cast<double>(t) * tempo * static_cast<double>(meter.ticksPerBeat) / kUnitsPerMinute);
      const uint64_t perMeasure = meter.ticksPerBeat * meter.beatsPerMeasure;
      const unsigned base = format.type == kNanoMeasures ? 1 : 0;
      return print(ticks / perMeasure + base, static_cast<uint32_t>(ticks % perMeasure / meter.ticksPerBeat + base),
                   static_cast<uint32_t>(ticks % meter.ticksPerBeat));
    }
    case kNanoSmpte2997Drop:
      return timecode(DropFrameClock(MulDiv(t, 3, 1'001'000, false)));
    case kNanoSmpte30:
      return timecode(ClockOfFrames(MulDiv(t, 3, 1'000'000, false), 30));
    case kNanoSmpte30Drop:
      return timecode(DropFrameClock(MulDiv(t, 3, 1'000'000, false)));
    case kNanoSmpte25:
      return timecode(ClockOfFrames(t / 400'000, 25));
    case kNanoSmpte24:
      return timecode(ClockOfFrames(MulDiv(t, 3, 1'250'000, false), 24));
    case kNanoRaw:
      return print(static_cast<int64_t>(t));
    case kNanoMicroseconds:
      return print(static_cast<int64_t>((t + 5) / 10));
    case kNanoBeats:
      return amount(static_cast<double>(t) * tempo / kUnitsPerMinute);
    case kNanoFeet16mm:
    case kNanoFeet35mm: {
      const int64_t perFoot = format.type == kNanoFeet16mm ? 40 : 16;
      const int64_t frames = static_cast<int64_t>(MulDiv(t, 3, 1'250'000, false));
      return print(frames / perFoot, frames % perFoot);
    }
    case kNanoCdFrames:
      return timecode(ClockOfFrames(MulDiv(t, 3, 400'000, false), 75));
    case kNanoSmpte23976:
      return timecode(ClockOfFrames(MulDiv(t, 12, 5'005'000, false), 24));
  }
  return 0;
}

}  // namespace

int KvMeasuresAndTicksToText(kvchar* buffer, size_t capacity, const TrackTimeBase& timeBase, int64_t measure,
                             int64_t ticksInMeasure, bool oneBased, bool beatsOnly, uint32_t tickDivisor) {
  const Meter meter = MeterOf(timeBase);
  uint32_t beat = static_cast<uint32_t>(FloorMod(FloorDiv(ticksInMeasure, meter.ticksPerBeat), meter.beatsPerMeasure));
  const uint32_t ticks = static_cast<uint32_t>(FloorMod(ticksInMeasure, meter.ticksPerBeat) / (tickDivisor ? tickDivisor : 1));
  if (oneBased) {
    ++beat;
    if (measure >= 0 && measure < kMaxTime) ++measure;
  }
  if (beatsOnly) return KvPrintF(buffer, capacity, KVTEXT("%d$&:%1u"), measure, beat);
  return KvPrintF(buffer, capacity, KVTEXT("%d$&:%u$&.%03u"), measure, beat, ticks);
}

int KvTicksToText(kvchar* buffer, size_t capacity, const TrackTimeBase& timeBase, int64_t ticks, bool oneBased,
                  bool beatsOnly, uint32_t tickDivisor) {
  const Meter meter = MeterOf(timeBase);
  const int64_t perMeasure = meter.ticksPerBeat * meter.beatsPerMeasure;
  return KvMeasuresAndTicksToText(buffer, capacity, timeBase, FloorDiv(ticks, perMeasure), FloorMod(ticks, perMeasure),
                                  oneBased, beatsOnly, tickDivisor);
}

int KvNanoTimeToText(kvchar* buffer, size_t capacity, const KvTimeFormat& format, KvNanoTime time, bool coarse,
                     bool relative) {
  if (!buffer || !capacity) return 0;
  int64_t t = time;
  if (!relative && __builtin_sub_overflow(time, format.startOffset, &t))
    t = format.startOffset > 0 ? std::numeric_limits<int64_t>::min() : kMaxTime;
  // The largest negative time reads as the largest positive one behind its sign.
  const uint64_t magnitude = t < 0 ? (t == std::numeric_limits<int64_t>::min() ? kMaxTime : -t) : t;
  int sign = 0;
  if (t < 0) sign = KvPrintF(buffer, capacity, KVTEXT("%s"), KvText_Regional().negativeSign);
  return sign + FormatMagnitude(buffer + sign, capacity - sign, format, magnitude, coarse);
}
