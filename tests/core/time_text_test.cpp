// Measure/beat/tick text of tick times and the absolute time formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kvlib/time_text.h"
#include "tests/core/text_test_support.h"

namespace {

TrackTimeBase Meter(uint16_t numerator, uint16_t denominator, uint32_t ticksPerQuarter) {
  TrackTimeBase timeBase{};
  timeBase.numerator = numerator;
  timeBase.denominator = denominator;
  timeBase.ticksPerQuarter = ticksPerQuarter;
  return timeBase;
}

std::string Ticks(const TrackTimeBase& timeBase, int64_t ticks, bool oneBased, bool beatsOnly, uint32_t divisor) {
  kvchar text[64];
  KvTicksToText(text, timeBase, ticks, oneBased, beatsOnly, divisor);
  return Narrow(text);
}

class TimeText : public testing::Test {
 protected:
  ScopedRegional regional_{",", "."};
};

TEST_F(TimeText, MeasuresBeatsAndTicks) {
  const TrackTimeBase common = Meter(4, 4, 24576);
  const int64_t beat = 24576;
  kvchar text[64];
  EXPECT_EQ(KvMeasuresAndTicksToText(text, common, 3, 2 * beat + 5 * 32, false, false, 32), 7);
  EXPECT_EQ(Narrow(text), "3.2.005");
  {
    ScopedToken measureBeat("m.b", ":", ".");
    KvMeasuresAndTicksToText(text, common, 3, 2 * beat + 5 * 32, false, false, 32);
    EXPECT_EQ(Narrow(text), "3:2.005");
  }
  EXPECT_EQ(Ticks(common, 0, false, true, 32), "0.0");
  EXPECT_EQ(Ticks(common, 0, true, false, 32), "1.1.000");
  EXPECT_EQ(Ticks(common, 4 * beat, true, false, 32), "2.1.000");
  EXPECT_EQ(Ticks(common, 3 * 4 * beat + 2 * beat + 5 * 32, false, false, 32), "3.2.005");
  EXPECT_EQ(Ticks(common, beat + 320, false, false, 32), "0.1.010");
  EXPECT_EQ(Ticks(common, beat + 320, false, false, 1), "0.1.320");
  EXPECT_EQ(Ticks(common, 5 * beat + 7, true, true, 32), "2.2");
}

// Negative times fall into negative measures with a non-negative remainder.
TEST_F(TimeText, NegativeTimes) {
  const TrackTimeBase common = Meter(4, 4, 960);
  EXPECT_EQ(Ticks(common, -1, false, false, 1), "-1.3.959");
  EXPECT_EQ(Ticks(common, -1, true, false, 1), "-1.4.959");
  EXPECT_EQ(Ticks(common, -3840, true, false, 1), "-1.1.000");
  EXPECT_EQ(Ticks(common, -3841, true, false, 1), "-2.4.959");
  EXPECT_EQ(Ticks(common, -3840 * 2 - 960, false, true, 1), "-3.3");
  kvchar text[32];
  KvMeasuresAndTicksToText(text, common, 0, -1, false, false, 1);
  EXPECT_EQ(Narrow(text), "0.3.959");
}

TEST_F(TimeText, OtherMetersAndDegenerateTimeBases) {
  EXPECT_EQ(Ticks(Meter(6, 8, 960), 480 * 7, false, false, 1), "1.1.000");
  EXPECT_EQ(Ticks(Meter(3, 4, 480), 480 * 3 * 10 + 480 * 2 + 17, true, false, 1), "11.3.017");
  EXPECT_EQ(Ticks(Meter(7, 16, 96), 24 * 7 + 24 * 6 + 23, false, false, 1), "1.6.023");
  EXPECT_EQ(Ticks(Meter(0, 0, 0), 5, false, false, 0), "5.0.000");
  EXPECT_EQ(Ticks(Meter(4, 64, 8), 9, false, false, 1), "2.1.000");
  EXPECT_EQ(Ticks(Meter(4, 4, 960), std::numeric_limits<int64_t>::min(), false, true, 1), "-2401919801264265.1");
  kvchar small[4];
  EXPECT_EQ(KvTicksToText(small, Meter(4, 4, 960), 3840 * 12, false, false, 1), 3);
  EXPECT_EQ(Narrow(small), "12.");
}

KvTimeFormat Format(uint32_t type) {
  KvTimeFormat format{};
  format.type = type;
  format.sampleRate = 44100;
  format.frameRate = 25;
  format.tempo = 120;
  format.timeBase = Meter(4, 4, 960);
  return format;
}

std::string Nano(const KvTimeFormat& format, KvNanoTime time, bool coarse, bool relative = false) {
  kvchar text[96];
  int length = KvNanoTimeToText(text, format, time, coarse, relative);
  std::string result = Narrow(text);
  EXPECT_EQ(static_cast<size_t>(length), result.size());
  return result;
}

// 1 h 2 min 3.456789 s in every format type, precise and coarse.
TEST_F(TimeText, EveryAbsoluteFormat) {
  const KvNanoTime t = 37'234'567'890;
  struct Row {
    uint32_t type;
    const char* precise;
    const char* coarse;
  };
  const Row rows[] = {
      {0, "164,204,444", "164,204,444"},
      {1, "01:02:03.456", "01:02:03"},
      {2, "3,723.457", "3,723"},
      {3, "01:02:03.11", "01:02:03"},
      {4, "93,086.420", "93,086"},
      {5, "1,862.3.877", "1,862.3"},
      {6, "01:02:03:14", "01:02:03:14"},
      {7, "01:02:03:13", "01:02:03:13"},
      {8, "01:02:07;05", "01:02:07;05"},
      {9, "01:02:03:11", "01:02:03:11"},
      {10, "01:02:03:10", "01:02:03:10"},
      {11, "37,234,567,890", "37,234,567,890"},
      {12, "3,723,456,789", "3,723,456,789"},
      {13, "1,861.2.877", "1,861.2"},
      {14, "7,446.914", "7,446"},
      {15, "2,234+2", "2,234+2"},
      {16, "5,585+2", "5,585+2"},
      {17, "01:02:03:34", "01:02:03"},
      {18, "01:01:59:17", "01:01:59:17"},
      {19, "37,234,567,890", "37,234,567,890"},
      {0xFFFFFFFF, "37,234,567,890", "37,234,567,890"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Nano(Format(row.type), t, false), row.precise) << "type " << row.type;
    EXPECT_EQ(Nano(Format(row.type), t, true), row.coarse) << "type " << row.type << " coarse";
  }
}

TEST_F(TimeText, NegativeAndOffsetTimes) {
  EXPECT_EQ(Nano(Format(1), -10'000'000, false), "-00:00:01.000");
  EXPECT_EQ(Nano(Format(12), -15, false), "-2");
  EXPECT_EQ(Nano(Format(7), -10'000'000, true), "-00:00:01:00");
  KvTimeFormat offset = Format(1);
  offset.startOffset = 10'000'000;
  EXPECT_EQ(Nano(offset, 30'000'000, false), "00:00:02.000");
  EXPECT_EQ(Nano(offset, 30'000'000, false, true), "00:00:03.000");
  EXPECT_EQ(Nano(offset, 0, false), "-00:00:01.000");
  offset.startOffset = std::numeric_limits<int64_t>::min();
  EXPECT_EQ(Nano(Format(11), std::numeric_limits<int64_t>::min(), false), "-9,223,372,036,854,775,807");
  offset.type = 11;
  EXPECT_EQ(Nano(offset, std::numeric_limits<int64_t>::max(), false), "9,223,372,036,854,775,807");
  ScopedRegional dotted(",", ",", ";", ".");
  EXPECT_EQ(Nano(Format(1), 37'234'567'890, false), "01.02.03.456");
  ScopedRegional german(".", ",", ";", ":");
  EXPECT_EQ(Nano(Format(3), 37'234'567'890, false), "01:02:03,11");
}

// Drop-frame numbering skips frames 0 and 1 at each minute but every tenth.
TEST_F(TimeText, DropFrameNumbering) {
  const KvTimeFormat drop = Format(6);
  auto frameTime = [](int64_t frame) { return frame * 1'001'000 / 3 + 1; };
  EXPECT_EQ(Nano(drop, frameTime(1799), false), "00:00:59:29");
  EXPECT_EQ(Nano(drop, frameTime(1800), false), "00:01:00:02");
  EXPECT_EQ(Nano(drop, frameTime(17981), false), "00:09:59:29");
  EXPECT_EQ(Nano(drop, frameTime(17982), false), "00:10:00:00");
  EXPECT_EQ(Nano(drop, frameTime(17982 + 1800), false), "00:11:00:02");
  const KvTimeFormat drop30 = Format(8);
  EXPECT_EQ(Nano(drop30, 600'000'000, false), "00:01:00;02");
}

TEST_F(TimeText, RatesThatAreNoNumbersCountNothing) {
  KvTimeFormat format = Format(4);
  format.frameRate = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Nano(format, 37'234'567'890, false), "0.000");
  format.type = 3;
  format.frameRate = -25;
  EXPECT_EQ(Nano(format, 37'234'567'890, false), "01:02:03.00");
  format.type = 14;
  format.tempo = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Nano(format, 37'234'567'890, true), "0");
  format.type = 5;
  format.timeBase = Meter(0, 0, 0);
  format.tempo = 60;
  EXPECT_EQ(Nano(format, 30'000'000, false), "4.1.000");
  format.type = 0;
  format.sampleRate = 0xFFFFFFFF;
  EXPECT_EQ(Nano(format, std::numeric_limits<int64_t>::max(), false), "9,223,372,036,854,775,807");
}

}  // namespace
