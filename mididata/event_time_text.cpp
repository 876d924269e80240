// The event store's time text for the ruler and cursor read-outs: in the
// format the host shows positions in, through the host's own conversions.
#include <cstdlib>
#include <initializer_list>

#include "kvlib/printf.h"
#include "kvlib/time_text.h"
#include "mididata/event_store.h"
#include "mididata/vocabulary.h"
#include "resources/resource_ids.h"

namespace {

constexpr int32_t kFormatMax = 64;
constexpr uint32_t kTimecode30 = 7;  // 30 frames a second
constexpr int64_t kUnitsPerHundredth = 100000;  // 100-ns units

int Print(uint32_t formatId, kvchar* buffer, size_t capacity, std::initializer_list<KvPrintArg> args) {
  kvchar format[kFormatMax];
  if (LoadVocabulary(formatId, format, kFormatMax) == 0) return 0;
  return KvVPrintF(buffer, capacity, format, args.begin(), args.size());
}

}  // namespace

HRESULT EventStore::TimeToText(int64_t time, uint32_t timeFormat, bool beatsOnly, bool zeroBased, kvchar* buffer,
                               size_t capacity) {
  if (!buffer || capacity == 0) return E_POINTER;
  buffer[0] = 0;
  if (!host_.time) return E_UNEXPECTED;
  // The host shows positions as measures or as clock time; its position
  // property carries which.
  HostPositionProperty position{0, kTimeTicks, 0};
  if (host_.properties) host_.properties->GetProperty(PROP_Position, 0, 0, 0, sizeof position, &position);
  const bool measures = position.timeFormat == kTimeTicks;
  const DWORD low = static_cast<DWORD>(time);
  const LONG high = static_cast<LONG>(time >> 32);
  if (measures && timeFormat == kTimeTicks) {
    LONG measure = 0, beat = 0, tick = 0;
    HRESULT hr = host_.time->ToMeasureBeatTick(low, high, kTimeTicks, 0, &measure, &beat, &tick);
    if (FAILED(hr)) return hr;
    if (zeroBased) {
      if (measure != 0) --measure;
      if (beat != 0) --beat;
    }
    if (beatsOnly) {
      Print(IDS_TIME_MB, buffer, capacity, {int32_t{measure}, int32_t{beat}});
    } else {
      Print(IDS_TIME_MBT, buffer, capacity, {int32_t{measure}, int32_t{beat}, int32_t{tick}});
    }
    return S_OK;
  }
  KvNanoTime absolute = time;
  if (timeFormat == kTimeTicks) {
    LONGLONG converted = 0;
    HRESULT hr = host_.time->Convert(low, high, kTimeTicks, 0, &converted, kTimeAbsolute, 0);
    if (FAILED(hr)) return hr;
    absolute = converted;
  }
  if (measures) {
    // An absolute time where measures are shown: hours, minutes, seconds
    // and hundredths.
    const bool negative = absolute < 0;
    const uint64_t units = negative ? 0 - static_cast<uint64_t>(absolute) : static_cast<uint64_t>(absolute);
    const uint64_t hundredths = units / kUnitsPerHundredth;
    kvchar* out = buffer;
    size_t room = capacity;
    if (negative && room > 1) {
      *out++ = KVTEXT('-');
      *out = 0;
      --room;
    }
    Print(IDS_TIME_CLOCK, out, room,
          {static_cast<int32_t>(hundredths / 360000 % 100000), static_cast<int32_t>(hundredths / 6000 % 60),
           static_cast<int32_t>(hundredths / 100 % 60), static_cast<int32_t>(hundredths % 100)});
    return S_OK;
  }
  KvTimeFormat format{};
  format.type = kTimecode30;
  KvNanoTimeToText(buffer, capacity, format, absolute, false, true);
  return S_OK;
}
