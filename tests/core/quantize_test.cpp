// The quantize arithmetic: the whole note per beat unit, the quanta of the
// eleven resolutions, the rounding of starts and durations, the packed
// parameter word, and ticks-per-quarter values so small that the quantum
// falls below one tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <tuple>

#include "pianoroll/quantize.h"

namespace {

constexpr uint32_t kTriplet = 0x20000, kStarts = 0x20000000, kDurations = 0x40000000, kValid = 0x80000000;
// Power and triplet bit of each resolution index, as the dialog builds them.
constexpr uint32_t kIndexBits[11] = {0, 1, 2, 2 | kTriplet, 3, 3 | kTriplet, 4, 4 | kTriplet, 5, 5 | kTriplet, 6};
constexpr int64_t kDivisors[11] = {1, 2, 4, 4, 8, 8, 16, 16, 32, 32, 64};

MidiEvent Event(uint32_t type, int64_t start, int32_t duration) {
  MidiEvent e{};
  std::tie(e.type, e.timeFormat, e.start, e.duration) = std::tuple(type, kTimeTicks, start, duration);
  return e;
}

TEST(Quantize, WholeNoteAndQuanta) {
  const int64_t wholes[] = {960, 15360, 7680, 3840, 480, 240, 120, 960};  // codes -1 to 6
  for (int code = -1; code < 7; ++code) EXPECT_EQ(WholeNote(960, code), wholes[code + 1]) << code;
  // 960 per quarter in 4/4: the whole note is 3840.
  const int64_t quanta[11] = {3840, 1920, 960, 640, 480, 320, 240, 160, 120, 80, 60};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(Quantum(i, 3840), quanta[i]) << i;
  EXPECT_EQ(Quantum(0, WholeNote(960, 3)), 480);  // eighth-note beats
  EXPECT_EQ(Quantum(10, WholeNote(480, 5)), 0);   // below one tick
}

TEST(Quantize, StartsAndDurations) {
  const uint32_t starts = kValid | kStarts | 4, durations = kValid | kDurations | 4;  // 16ths: 240
  const struct { uint32_t word; int64_t start; int32_t duration; int64_t toStart; int32_t toDuration; } cases[] = {
      {starts, 1000, 100, 960, 100},     {starts, 1080, 100, 1200, 100},  // the exact half goes up
      {starts, 1200, 100, 1200, 100},    {starts, 1199, 100, 1200, 100},
      {starts, 0, 7, 0, 7},              {durations, 1000, 500, 1000, 480},
      {durations, 1000, 100, 1000, 240}, {durations, 1000, 0, 1000, 240},
      {durations, 1000, 480, 1000, 480}, {starts | kDurations, 1321, 719, 1440, 480},
      {kValid | kStarts | kDurations | 2 | kTriplet, 700, 700, 640, 640},  // quarter triplets: 640
      {kStarts | kDurations | 4, 1000, 500, 1000, 500},                    // not a valid word
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.word << std::dec << " " << c.start << "+" << c.duration);
    MidiEvent e = Event(kEvNoteOn, c.start, c.duration);
    EXPECT_EQ(QuantizeEvent(&e, kEvNoteOn, c.word, 3840), (c.word & kValid) != 0);
    EXPECT_EQ(e.start, c.toStart);
    EXPECT_EQ(e.duration, c.toDuration);
  }
}

TEST(Quantize, OnlyNoteOnsOfTheMaskInTicks) {
  const uint32_t word = kValid | kStarts | kDurations | 4;
  MidiEvent controller = Event(kEvControlChange, 1000, 0);
  EXPECT_FALSE(QuantizeEvent(&controller, kEvNoteOn, word, 3840));
  MidiEvent off = Event(kEvNoteOff, 1000, 500);  // in the mask: its start moves, its duration stays
  EXPECT_TRUE(QuantizeEvent(&off, kEvNoteOn | kEvNoteOff, word, 3840));
  EXPECT_EQ(std::tuple(off.start, off.duration), std::tuple(int64_t{960}, 500));
  MidiEvent absolute = Event(kEvNoteOn, 1000, 500);  // absolute time is never shifted by ticks
  absolute.timeFormat = kTimeAbsolute;
  EXPECT_FALSE(QuantizeEvent(&absolute, kEvNoteOn, word, 3840));
  EXPECT_EQ(std::tuple(absolute.start, absolute.duration), std::tuple(int64_t{1000}, 500));
}

TEST(Quantize, TinyResolutionsNeverDivideByZero) {
  const int64_t byCode[7] = {16, 8, 4, -2, -4, -8, 1};  // multiplier, or divisor when negative
  for (uint32_t r : {0u, 1u, 2u, 3u, 7u, 480u}) {
    for (int32_t code = 0; code < 7; ++code) {
      const int64_t whole = byCode[code] > 0 ? int64_t{r} * byCode[code] : int64_t{r} / -byCode[code];
      ASSERT_EQ(WholeNote(r, code), whole);
      for (int index = 0; index < 11; ++index) {
        SCOPED_TRACE(testing::Message() << "R " << r << " code " << code << " index " << index);
        const int64_t q = ((kIndexBits[index] & kTriplet) ? whole * 2 / 3 : whole) / kDivisors[index];
        MidiEvent e = Event(kEvNoteOn, 1001, 7);
        const bool done = QuantizeEvent(&e, kEvNoteOn, kValid | kStarts | kDurations | kIndexBits[index], whole);
        EXPECT_EQ(done, q >= 1);
        if (q < 1) {
          EXPECT_EQ(std::tuple(e.start, e.duration), std::tuple(int64_t{1001}, 7));
          continue;
        }
        EXPECT_EQ(e.start % q, 0);
        EXPECT_LE(std::llabs(e.start - 1001) * 2, q);
        EXPECT_EQ(e.duration, 7 % q < 7 ? 7 - 7 % q : q);
      }
    }
  }
  // A quantum beyond 32 bits rounds the start and leaves the duration alone.
  for (uint32_t r : {0x10000000u, 0xFFFFFFFFu}) {
    MidiEvent e = Event(kEvNoteOn, 5, 100);
    EXPECT_TRUE(QuantizeEvent(&e, kEvNoteOn, kValid | kStarts | kDurations, WholeNote(r, 0)));
    EXPECT_EQ(std::tuple(e.start, e.duration), std::tuple(int64_t{0}, 100));
  }
}

TEST(Quantize, WordRoundTrips) {
  for (int index = 0; index < 11; ++index) {
    for (uint32_t previous : {0u, 0xFFFFFFFFu}) {
      for (int flags = 0; flags < 4; ++flags) {
        const bool starts = flags & 1, durations = flags & 2;
        // Bits 16 and 18-28 come from the previous word.
        const uint32_t expected = (previous & 0x1FFD0000) | kIndexBits[index] | kValid | (starts ? kStarts : 0) |
                                  (durations ? kDurations : 0);
        EXPECT_EQ(QuantizeWord(index, starts, durations, previous), expected) << index;
        EXPECT_EQ(QuantizeIndex(expected), index);
      }
    }
  }
  // The triplet bit means nothing to whole, half and 64th notes; unknown powers are whole notes.
  const uint32_t words[] = {kTriplet, 1 | kTriplet, 6 | kTriplet, 7, 0xFFFF | kTriplet};
  const int indices[] = {0, 1, 10, 0, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(QuantizeIndex(words[i]), indices[i]) << std::hex << words[i];
}

}  // namespace
