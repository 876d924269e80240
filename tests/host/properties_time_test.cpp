// HostPropertySet and HostTimeConverter round trips.
#include "host_fixture.h"

namespace refhost {
namespace {

class PropertiesTest : public HostFixture {
 protected:
  template <class T> HRESULT Get(const GUID& set, T* out) {
    return properties->GetProperty(set, 0, 0, 0, sizeof(T), out);
  }
  template <class T> HRESULT Put(const GUID& set, const T& in) {
    return properties->SetProperty(set, 0, 0, sizeof(T), &in);
  }
};

TEST_F(PropertiesTest, EachSetReadsBackWhatWasWritten) {
  uint32_t bits = kTransportPlaying | kTransportLoopOn;
  ASSERT_EQ(Put(PROP_Transport, bits), S_OK);
  bits = 0;
  ASSERT_EQ(Get(PROP_Transport, &bits), S_OK);
  EXPECT_EQ(bits, kTransportPlaying | kTransportLoopOn);

  ASSERT_EQ(Put(PROP_Loop, HostLoopProperty{480, 1920, kTimeTicks, 0}), S_OK);
  HostLoopProperty loop{};
  ASSERT_EQ(Get(PROP_Loop, &loop), S_OK);
  EXPECT_EQ(loop.start, 480);
  EXPECT_EQ(loop.end, 1920);
  EXPECT_EQ(loop.timeFormat, kTimeTicks);

  ASSERT_EQ(Put(PROP_Position, HostPositionProperty{-960, kTimeTicks, 0}), S_OK);
  HostPositionProperty pos{};
  ASSERT_EQ(Get(PROP_Position, &pos), S_OK);
  EXPECT_EQ(pos.position, -960);
  EXPECT_EQ(pos.timeFormat, kTimeTicks);

  ASSERT_EQ(Put(PROP_Meter, HostMeterProperty{1, 6, 3}), S_OK);
  HostMeterProperty meter{};
  ASSERT_EQ(Get(PROP_Meter, &meter), S_OK);
  EXPECT_EQ(meter.one, 1u);
  EXPECT_EQ(meter.beatsPerMeasure, 6u);
  EXPECT_EQ(meter.beatUnitCode, 3u);

  ASSERT_EQ(Put(PROP_PitchOffset, int32_t{-7}), S_OK);
  int32_t offset = 0;
  ASSERT_EQ(Get(PROP_PitchOffset, &offset), S_OK);
  EXPECT_EQ(offset, -7);
  EXPECT_EQ(host.PitchOffset(), -7);
}

TEST_F(PropertiesTest, AbsoluteTimesAreStoredAsTicks) {
  // 120 quarter notes per minute, 960 ticks each: half a second is 960 ticks.
  ASSERT_EQ(Put(PROP_Position, HostPositionProperty{5000000, kTimeAbsolute, 0}), S_OK);
  EXPECT_EQ(host.Position(), 960);
  ASSERT_EQ(Put(PROP_Loop, HostLoopProperty{0, 10000000, kTimeAbsolute, 0}), S_OK);
  EXPECT_EQ(host.Loop().end, 1920);
  EXPECT_EQ(Put(PROP_Position, HostPositionProperty{5, 7, 0}), E_INVALIDARG);
  EXPECT_EQ(host.Position(), 960);
}

TEST_F(PropertiesTest, WrongSizesUnknownSetsAndNullBuffersAreRefused) {
  HostLoopProperty loop{};
  EXPECT_EQ(properties->GetProperty(PROP_Loop, 0, 0, 0, 16, &loop), E_INVALIDARG);
  EXPECT_EQ(properties->SetProperty(PROP_Position, 0, 0, 24, &loop), E_INVALIDARG);
  EXPECT_EQ(properties->GetProperty(PROP_Transport, 0, 0, 0, 8, &loop), E_INVALIDARG);
  EXPECT_EQ(properties->GetProperty(NOTIFY_DataChanged, 0, 0, 0, 4, &loop), E_FAIL);
  EXPECT_EQ(properties->SetProperty(IID_HostMidiData, 0, 0, 4, &loop), E_FAIL);
  EXPECT_EQ(properties->GetProperty(PROP_Loop, 0, 0, 0, sizeof loop, nullptr), E_POINTER);
  EXPECT_EQ(Put(PROP_Meter, HostMeterProperty{1, 0, 2}), E_INVALIDARG);
  EXPECT_EQ(host.Log().Texts(),
            (std::vector<std::string>{"GetProperty(Loop,16)", "SetProperty(Position,24)", "GetProperty(Transport,8)",
                                      "GetProperty(DataChanged,4)", "SetProperty(HostMidiData,4)",
                                      "GetProperty(Loop,24)", "SetProperty(Meter,12)"}));
}

class TimeTest : public HostFixture {
 protected:
  HRESULT Convert(int64_t value, DWORD from, DWORD to, LONGLONG* out) {
    const auto bits = static_cast<uint64_t>(value);
    return time->Convert(static_cast<DWORD>(bits), static_cast<LONG>(bits >> 32), from, 0, out, to, 0);
  }
  LONGLONG Units(int64_t ticks) {
    LONGLONG out = 0;
    EXPECT_EQ(Convert(ticks, kTimeTicks, kTimeAbsolute, &out), S_OK);
    return out;
  }
  LONGLONG Ticks(int64_t units) {
    LONGLONG out = 0;
    EXPECT_EQ(Convert(units, kTimeAbsolute, kTimeTicks, &out), S_OK);
    return out;
  }
  struct Mbt {
    LONG measure, beat, tick;
    bool operator==(const Mbt&) const = default;
  };
  Mbt At(int64_t ticks, DWORD format = kTimeTicks) {
    Mbt m{};
    const auto bits = static_cast<uint64_t>(ticks);
    EXPECT_EQ(time->ToMeasureBeatTick(static_cast<DWORD>(bits), static_cast<LONG>(bits >> 32), format, 0, &m.measure,
                                      &m.beat, &m.tick),
              S_OK);
    return m;
  }
};

TEST_F(TimeTest, TicksAndUnitsConvertExactlyWithRoundingToNearest) {
  // 960 ticks per 5,000,000 units: one tick is 5208.33 units.
  EXPECT_EQ(Units(960), 5000000);
  EXPECT_EQ(Units(1), 5208);
  EXPECT_EQ(Units(2), 10417);
  EXPECT_EQ(Units(-2), -10417);
  EXPECT_EQ(Units(3LL << 40), 15625LL << 40);  // beyond 32 bits, still exact
  EXPECT_EQ(Ticks(5208), 1);
  EXPECT_EQ(Ticks(-15625LL << 40), -(3LL << 40));
  // Halves round away from zero: 4 ticks per quarter at 1 us per quarter is 2.5 units a tick.
  host.SetTicksPerQuarter(4);
  host.SetTempo(1);
  EXPECT_EQ(Units(1), 3);
  EXPECT_EQ(Units(-1), -3);
  EXPECT_EQ(Ticks(5), 2);
  EXPECT_EQ(Ticks(3), 1);  // 1.2
}

TEST_F(TimeTest, SameFormatIsUnchangedAndUnknownFormatsAreRefused) {
  LONGLONG out = 0;
  ASSERT_EQ(Convert(123456789, kTimeAbsolute, kTimeAbsolute, &out), S_OK);
  EXPECT_EQ(out, 123456789);
  EXPECT_EQ(Convert(1, 3, kTimeTicks, &out), E_INVALIDARG);
  EXPECT_EQ(Convert(1, kTimeTicks, 0, &out), E_INVALIDARG);
  EXPECT_EQ(Convert(1, kTimeTicks, kTimeAbsolute, nullptr), E_POINTER);
  EXPECT_EQ(host.Log().Texts()[0], "Convert(123456789,1,1)");
}

TEST_F(TimeTest, MeasureAndBeatCountFromOneUnderTheTimeSignature) {
  EXPECT_EQ(At(0), (Mbt{1, 1, 0}));
  EXPECT_EQ(At(3839), (Mbt{1, 4, 959}));
  EXPECT_EQ(At(3840), (Mbt{2, 1, 0}));
  EXPECT_EQ(At(-1), (Mbt{0, 4, 959}));
  EXPECT_EQ(At(10000000, kTimeAbsolute), (Mbt{1, 3, 0}));  // one second is 1920 ticks
  host.SetMeter(6, 3);                                        // 6/8: 480-tick beats
  EXPECT_EQ(At(2880 + 960 + 7), (Mbt{2, 3, 7}));
  host.SetMeter(3, 9);  // an unknown unit code reads as quarter notes
  EXPECT_EQ(At(2880), (Mbt{2, 1, 0}));
}

TEST_F(TimeTest, TheTimeBaseIsConfigurableDownToNotGiven) {
  HostTimeBase base{};
  base.hostFields[5] = 0xCC;
  ASSERT_EQ(time->GetTimeBase(kTimeTicks, &base), S_OK);
  EXPECT_EQ(base.ticksPerQuarter, 960u);
  EXPECT_EQ(base.hostFields[5], 0);
  host.SetTicksPerQuarter(480);
  ASSERT_EQ(time->GetTimeBase(kTimeTicks, &base), S_OK);
  EXPECT_EQ(base.ticksPerQuarter, 480u);
  host.SetReportedTicksPerQuarter(0);
  ASSERT_EQ(time->GetTimeBase(kTimeTicks, &base), S_OK);
  EXPECT_EQ(base.ticksPerQuarter, 0u);
  EXPECT_EQ(Units(480), 5000000);  // conversions keep the project's own resolution
  ASSERT_EQ(time->GetTimeBase(kTimeAbsolute, &base), S_OK);
  EXPECT_EQ(base.ticksPerQuarter, 10000000u);
  EXPECT_EQ(time->GetTimeBase(7, &base), E_INVALIDARG);
  EXPECT_EQ(time->GetTimeBase(kTimeTicks, nullptr), E_POINTER);
}

}  // namespace
}  // namespace refhost
