// Musical and absolute times as text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kvlib/kvchar.h"
#include "kvlib/time_base.h"

// Measure, beat and tick text ("%d$&:%u$&.%03u", or "%d$&:%1u" with beats
// only) of a position given as a measure and the ticks into it. One-based adds
// 1 to the beat, and to measures from 0 up (so measure -1 is followed by 1).
// Ticks are shown divided by tickDivisor. Returns the length written.
int KvMeasuresAndTicksToText(kvchar* buffer, size_t capacity, const TrackTimeBase& timeBase, int64_t measure,
                             int64_t ticksInMeasure, bool oneBased, bool beatsOnly, uint32_t tickDivisor);

template <size_t N>
int KvMeasuresAndTicksToText(kvchar (&buffer)[N], const TrackTimeBase& timeBase, int64_t measure,
                             int64_t ticksInMeasure, bool oneBased, bool beatsOnly, uint32_t tickDivisor) {
  return KvMeasuresAndTicksToText(buffer, N, timeBase, measure, ticksInMeasure, oneBased, beatsOnly, tickDivisor);
}

// The same for a tick time; a negative time falls in a negative measure.
int KvTicksToText(kvchar* buffer, size_t capacity, const TrackTimeBase& timeBase, int64_t ticks, bool oneBased,
                  bool beatsOnly, uint32_t tickDivisor);

template <size_t N>
int KvTicksToText(kvchar (&buffer)[N], const TrackTimeBase& timeBase, int64_t ticks, bool oneBased, bool beatsOnly,
                  uint32_t tickDivisor) {
  return KvTicksToText(buffer, N, timeBase, ticks, oneBased, beatsOnly, tickDivisor);
}

// Absolute time: a signed count of 100-nanosecond units.
typedef int64_t KvNanoTime;

// How an absolute time is shown.
enum : uint32_t {
  kNanoSamples = 0,         // at sampleRate, rounded
  kNanoClock = 1,           // hh:mm:ss.mmm
  kNanoSeconds = 2,
  kNanoClockFrames = 3,     // hh:mm:ss.ff at frameRate
  kNanoFrames = 4,          // at frameRate
  kNanoMeasures = 5,        // measures, beats, ticks from 1, at tempo
  kNanoSmpte2997Drop = 6,
  kNanoSmpte30 = 7,
  kNanoSmpte30Drop = 8,
  kNanoSmpte25 = 9,
  kNanoSmpte24 = 10,
  kNanoRaw = 11,
  kNanoMicroseconds = 12,
  kNanoMeasuresZero = 13,   // measures, beats, ticks from 0, at tempo
  kNanoBeats = 14,          // at tempo
  kNanoFeet16mm = 15,       // film feet + frames, 40 frames a foot, 24 frames a second
  kNanoFeet35mm = 16,       // film feet + frames, 16 frames a foot, 24 frames a second
  kNanoCdFrames = 17,       // hh:mm:ss:ff at 75 frames a second
  kNanoSmpte23976 = 18,
};

struct KvTimeFormat {
  uint32_t type;
  uint32_t sampleRate;     // samples a second
  double frameRate;        // frames a second
  double tempo;            // beats a minute
  KvNanoTime startOffset;  // the time shown as zero
  TrackTimeBase timeBase;  // meter and resolution of the measure forms
};

// Formats time (less the start offset unless it is already relative) with the
// format type's precise or coarse format string; a negative time reads as "-"
// and the text of its size. Returns the length written.
int KvNanoTimeToText(kvchar* buffer, size_t capacity, const KvTimeFormat& format, KvNanoTime time, bool coarse,
                     bool relative = false);

template <size_t N>
int KvNanoTimeToText(kvchar (&buffer)[N], const KvTimeFormat& format, KvNanoTime time, bool coarse,
                     bool relative = false) {
  return KvNanoTimeToText(buffer, N, format, time, coarse, relative);
}
