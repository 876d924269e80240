#include "host/site_time.h"

#include "host/host_call.h"

namespace refhost {
namespace {

int64_t Join(DWORD low, LONG high) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low);
}

// Units of absolute time per second, reported as its time base.
constexpr uint32_t kUnitsPerSecond = 10000000;

}  // namespace

HRESULT SiteTime::Convert(DWORD timeLow, LONG timeHigh, DWORD fromFormat, DWORD, LONGLONG* result, DWORD toFormat,
                          DWORD) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  const int64_t value = Join(timeLow, timeHigh);
  HostCall call(*s, MakeCall("Convert", "Convert(" + std::to_string(value) + "," + std::to_string(fromFormat) + "," +
                                             std::to_string(toFormat) + ")"));
  if (call.Failed()) return call.Injected();
  if (!result) return call.Return(E_POINTER);
  int64_t ticks = 0, out = 0;
  if (!s->time.ToTicks(value, fromFormat, &ticks) || !s->time.FromTicks(ticks, toFormat, &out))
    return call.Return(E_INVALIDARG);
  // Same-format conversions are exact whatever the rounding of the round trip.
  *result = fromFormat == toFormat ? value : out;
  return call.Return(S_OK);
}

HRESULT SiteTime::ToMeasureBeatTick(DWORD timeLow, LONG timeHigh, DWORD format, DWORD, LONG* measure, LONG* beat,
                                    LONG* tick) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  const int64_t value = Join(timeLow, timeHigh);
  HostCall call(*s, MakeCall("ToMeasureBeatTick",
                              "ToMeasureBeatTick(" + std::to_string(value) + "," + std::to_string(format) + ")"));
  if (call.Failed()) return call.Injected();
  if (!measure || !beat || !tick) return call.Return(E_POINTER);
  int64_t ticks = 0;
  if (!s->time.ToTicks(value, format, &ticks)) return call.Return(E_INVALIDARG);
  int32_t m = 0, b = 0, t = 0;
  s->time.MeasureBeatTick(ticks, &m, &b, &t);
  *measure = m;
  *beat = b;
  *tick = t;
  return call.Return(S_OK);
}

HRESULT SiteTime::Reserved5() {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("Reserved5", "Reserved5()"));
  return call.Failed() ? call.Injected() : call.Return(E_NOTIMPL);
}

HRESULT SiteTime::GetTimeBase(DWORD format, HostTimeBase* out) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("GetTimeBase", "GetTimeBase(" + std::to_string(format) + ")"));
  if (call.Failed()) return call.Injected();
  if (!out) return call.Return(E_POINTER);
  if (format != kTimeTicks && format != kTimeAbsolute) return call.Return(E_INVALIDARG);
  *out = HostTimeBase{};
  out->ticksPerQuarter =
      format == kTimeTicks ? s->reportedTicksPerQuarter.value_or(s->time.ticksPerQuarter) : kUnitsPerSecond;
  return call.Return(S_OK);
}

}  // namespace refhost
