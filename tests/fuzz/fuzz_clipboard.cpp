// Clipboard blocks: the header check and every record a block holds. A
// count is accepted only when its records fit the block, and a pastable
// record encodes back to the bytes it came from.
#include <cstring>

#include "mididata/clip_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kClipHeaderSize) return 0;
  const uint32_t count = CheckClipHeader(data, size);
  if (count == 0) return 0;
  if (ClipBlockSize(count) > size) __builtin_trap();
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* record = data + kClipHeaderSize + size_t{i} * kClipRecordSize;
    MidiEvent event{};
    DecodeClipRecord(record, &event);
    if (!IsPastableRecord(event)) continue;
    uint8_t again[kClipRecordSize];
    EncodeClipRecord(event, again);
    MidiEvent back{};
    DecodeClipRecord(again, &back);
    if (std::memcmp(&back, &event, sizeof event) != 0) __builtin_trap();
  }
  return 0;
}
