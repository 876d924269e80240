#include "host/site_properties.h"

#include <cstring>

#include "host/host_call.h"
#include "host/host_text.h"

namespace refhost {
namespace {

CallEntry Entry(const char* method, REFGUID set, DWORD size) {
  CallEntry e;
  e.method = method;
  e.text = std::string(method) + "(" + GuidName(set) + "," + std::to_string(size) + ")";
  e.mask = size;
  return e;
}

// The size each property set carries; 0 for an unknown set.
DWORD SizeOf(REFGUID set) {
  if (IsEqualGUID(set, PROP_Transport)) return 4;
  if (IsEqualGUID(set, PROP_Loop)) return sizeof(HostLoopProperty);
  if (IsEqualGUID(set, PROP_Position)) return sizeof(HostPositionProperty);
  if (IsEqualGUID(set, PROP_Meter)) return sizeof(HostMeterProperty);
  if (IsEqualGUID(set, PROP_PitchOffset)) return 4;
  return 0;
}

}  // namespace

HRESULT SiteProperties::Unimplemented(const char* method) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall(method, std::string(method) + "()"));
  return call.Failed() ? call.Injected() : call.Return(E_NOTIMPL);
}

HRESULT SiteProperties::Reserved3() { return Unimplemented("Reserved3"); }

HRESULT SiteProperties::Reserved4() { return Unimplemented("Reserved4"); }

HRESULT SiteProperties::GetProperty(REFGUID set, DWORD, DWORD, DWORD, DWORD size, void* out) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("GetProperty", set, size));
  if (call.Failed()) return call.Injected();
  const DWORD expected = SizeOf(set);
  if (expected == 0) return call.Return(E_FAIL);
  if (size != expected) return call.Return(E_INVALIDARG);
  if (!out) return call.Return(E_POINTER);
  if (IsEqualGUID(set, PROP_Transport)) {
    std::memcpy(out, &s->transportBits, 4);
  } else if (IsEqualGUID(set, PROP_Loop)) {
    const HostLoopProperty loop{s->loopStart, s->loopEnd, kTimeTicks, 0};
    std::memcpy(out, &loop, sizeof loop);
  } else if (IsEqualGUID(set, PROP_Position)) {
    const HostPositionProperty pos{s->position, kTimeTicks, 0};
    std::memcpy(out, &pos, sizeof pos);
  } else if (IsEqualGUID(set, PROP_Meter)) {
    const HostMeterProperty meter{1, s->time.beatsPerMeasure, s->time.beatUnitCode};
    std::memcpy(out, &meter, sizeof meter);
  } else {
    std::memcpy(out, &s->pitchOffset, 4);
  }
  return call.Return(S_OK);
}

HRESULT SiteProperties::SetProperty(REFGUID set, DWORD, DWORD, DWORD size, const void* in) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("SetProperty", set, size));
  if (call.Failed()) return call.Injected();
  const DWORD expected = SizeOf(set);
  if (expected == 0) return call.Return(E_FAIL);
  if (size != expected) return call.Return(E_INVALIDARG);
  if (!in) return call.Return(E_POINTER);
  if (IsEqualGUID(set, PROP_Transport)) {
    uint32_t bits = 0;
    std::memcpy(&bits, in, 4);
    s->SetTransportBits(bits);
  } else if (IsEqualGUID(set, PROP_Loop)) {
    HostLoopProperty loop;
    std::memcpy(&loop, in, sizeof loop);
    int64_t start = 0, end = 0;
    if (!s->time.ToTicks(loop.start, loop.timeFormat, &start) || !s->time.ToTicks(loop.end, loop.timeFormat, &end))
      return call.Return(E_INVALIDARG);
    s->SetLoop(start, end);
  } else if (IsEqualGUID(set, PROP_Position)) {
    HostPositionProperty pos;
    std::memcpy(&pos, in, sizeof pos);
    int64_t ticks = 0;
    if (!s->time.ToTicks(pos.position, pos.timeFormat, &ticks)) return call.Return(E_INVALIDARG);
    s->SetPosition(ticks);
  } else if (IsEqualGUID(set, PROP_Meter)) {
    HostMeterProperty meter;
    std::memcpy(&meter, in, sizeof meter);
    if (meter.beatsPerMeasure == 0) return call.Return(E_INVALIDARG);
    s->time.beatsPerMeasure = meter.beatsPerMeasure;
    s->time.beatUnitCode = meter.beatUnitCode;
  } else {
    std::memcpy(&s->pitchOffset, in, 4);
  }
  return call.Return(S_OK);
}

}  // namespace refhost
