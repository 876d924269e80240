#include "pianoroll/quantize.h"

#include <algorithm>

namespace {

constexpr uint32_t kPowerMask = 0xFFFF;
// Resolution index -> power, and whether it is a triplet.
constexpr uint32_t kPowers[kQuantizeResolutions] = {0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr bool kTriplets[kQuantizeResolutions] = {false, false, false, true, false, true,
                                                  false, true,  false, true, false};

}  // namespace

int64_t WholeNote(uint32_t ticksPerQuarter, int32_t beatUnitCode) {
  int64_t r = ticksPerQuarter;
  switch (beatUnitCode) {
    case 0: return r * 16;
    case 1: return r * 8;
    case 2: return r * 4;
    case 3: return r / 2;
    case 4: return r / 4;
    case 5: return r / 8;
    default: return r;
  }
}

int64_t Quantum(int index, int64_t whole) {
  static constexpr int64_t kDivisors[kQuantizeResolutions] = {1, 2, 4, 4, 8, 8, 16, 16, 32, 32, 64};
  if (index < 0 || index >= kQuantizeResolutions) index = 0;
  int64_t value = kTriplets[index] ? whole * 2 / 3 : whole;
  return value / kDivisors[index];
}

uint32_t QuantizeWord(int index, bool starts, bool durations, uint32_t previous) {
  index = std::clamp(index, 0, kQuantizeResolutions - 1);
  uint32_t kept = previous & ~(kPowerMask | kQuantizeTriplet | kQuantizeStarts | kQuantizeDurations | kQuantizeValid);
  uint32_t word = kept | kPowers[index] | (kTriplets[index] ? kQuantizeTriplet : 0) | kQuantizeValid;
  if (starts) word |= kQuantizeStarts;
  if (durations) word |= kQuantizeDurations;
  return word;
}

int QuantizeIndex(uint32_t word) {
  uint32_t power = word & kPowerMask;
  bool triplet = word & kQuantizeTriplet;
  switch (power) {
    case 1: return 1;
    case 2: case 3: case 4: case 5: return static_cast<int>(power - 2) * 2 + 2 + (triplet ? 1 : 0);
    case 6: return 10;
    default: return 0;
  }
}

bool QuantizeEvent(MidiEvent* e, uint32_t typeMask, uint32_t word, int64_t whole) {
  if (!(e->type & typeMask) || !(word & kQuantizeValid) || e->timeFormat != kTimeTicks) return false;
  int64_t q = Quantum(QuantizeIndex(word), whole);
  if (q < 1) return false;
  if (word & kQuantizeStarts) {
    int64_t r = e->start % q;
    if (r != 0) {
      e->start -= r;
      if (r >= q - r && e->start <= INT64_MAX - q) e->start += q;
    }
  }
  if ((word & kQuantizeDurations) && e->type == kEvNoteOn && q <= INT32_MAX) {
    int32_t d = e->duration;
    int32_t k = d % static_cast<int32_t>(q);
    e->duration = k < d ? d - k : static_cast<int32_t>(q);
  }
  return true;
}
