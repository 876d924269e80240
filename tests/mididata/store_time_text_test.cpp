// The store's time text for read-outs: measures, beats and ticks split by the
// host, absolute times, and the host's failures.
#include <gtest/gtest.h>

#include <string>

#include "tests/mididata/store_fixture.h"

namespace storetest {
namespace {

class StoreTimeText : public StoreTest {
 protected:
  std::wstring Text(int64_t time, uint32_t format, bool beatsOnly, bool zeroBased, HRESULT expected = S_OK) {
    kvchar buffer[40];
    EXPECT_EQ(expected, store.TimeToText(time, format, beatsOnly, zeroBased, buffer, 40));
    return buffer;
  }
};

TEST_F(StoreTimeText, MeasuresFromTheHostAndClockTimes) {
  host.SetTicksPerQuarter(480);
  host.SetMeter(3, 2);  // 3/4: 1440 ticks a measure
  constexpr int64_t kSecond = 10'000'000;
  const struct {
    int64_t time;
    uint32_t format;
    bool beatsOnly, zeroBased;
    const wchar_t* text;
  } cases[] = {
      {0, kTimeTicks, false, false, L"1.1.000"},
      {0, kTimeTicks, false, true, L"0.0.000"},
      {0, kTimeTicks, true, true, L"0.0"},
      {1440 + 480 + 5, kTimeTicks, false, false, L"2.2.005"},
      {1440 + 480 + 5, kTimeTicks, false, true, L"1.1.005"},
      {1440 * 12 + 960, kTimeTicks, true, false, L"13.3"},
      {-480, kTimeTicks, false, false, L"0.3.000"},
      // Absolute times where measures are shown: hours to hundredths.
      {3723 * kSecond + 4'500'000, kTimeAbsolute, false, false, L"01:02:03.45"},
      {-kSecond, kTimeAbsolute, false, false, L"-00:00:01.00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, Text(c.time, c.format, c.beatsOnly, c.zeroBased)) << c.time;
  }
}

TEST_F(StoreTimeText, AHostThatCannotSplitTheTimeIsAnswered) {
  host.Faults().FailCall("ToMeasureBeatTick", E_FAIL);
  EXPECT_EQ(L"", Text(480, kTimeTicks, false, false, E_FAIL));
  store.Disconnect();
  EXPECT_EQ(L"", Text(480, kTimeTicks, false, false, E_UNEXPECTED));
}

}  // namespace
}  // namespace storetest
