// The clipboard block's wire form.
#include "mididata/clip_codec.h"

#include <cstring>

namespace {

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put64(uint8_t* at, uint64_t v) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | at[i];
  return v;
}

uint64_t Get64(const uint8_t* at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | at[i];
  return v;
}

// Offsets of the 32-bit record.
enum : size_t {
  kOffType = 0,
  kOffFlags = 4,
  kOffHost8 = 8,
  kOffPort = 12,
  kOffChannel = 16,
  kOffHost20 = 20,
  kOffStart = 24,
  kOffFormat = 32,
  kOffHost36 = 36,
  kOffDuration = 40,
  kOffData = 44,
  kOffHostFields = 48,
};

constexpr uint32_t kKnownTypes = kEvAllTypes;

}  // namespace

void EncodeClipHeader(uint32_t count, uint8_t out[kClipHeaderSize]) {
  Put32(out, kClipVersion);
  Put32(out + 4, kClipKind);
  Put32(out + 8, count);
}

uint32_t CheckClipHeader(const uint8_t* header, size_t blockSize) {
  if (!header || blockSize < kClipHeaderSize) return 0;
  if (Get32(header) != kClipVersion || Get32(header + 4) != kClipKind) return 0;
  // Every record the header counts must lie inside the block; a block the
  // system rounded up holds more bytes than that, which are not records.
  const uint32_t count = Get32(header + 8);
  if (count == 0) return 0;
  if (uint64_t{count} * kClipRecordSize > blockSize - kClipHeaderSize) return 0;
  return count;
}

void EncodeClipRecord(const MidiEvent& e, uint8_t out[kClipRecordSize]) {
  std::memset(out, 0, kClipRecordSize);
  Put32(out + kOffType, e.type);
  Put32(out + kOffFlags, e.flags);
  Put32(out + kOffHost8, e.hostField8);
  Put32(out + kOffPort, e.port);
  Put32(out + kOffChannel, static_cast<uint32_t>(e.channel));
  Put32(out + kOffHost20, e.hostField20);
  Put64(out + kOffStart, static_cast<uint64_t>(e.start));
  Put32(out + kOffFormat, e.timeFormat);
  Put32(out + kOffHost36, e.hostField36);
  Put32(out + kOffDuration, static_cast<uint32_t>(e.duration));
  if (!IsLongEvent(e)) std::memcpy(out + kOffData, e.data, 4);
  std::memcpy(out + kOffHostFields, e.hostFields, sizeof e.hostFields);
}

void DecodeClipRecord(const uint8_t in[kClipRecordSize], MidiEvent* out) {
  MidiEvent e{};
  e.type = Get32(in + kOffType);
  e.flags = Get32(in + kOffFlags);
  e.hostField8 = Get32(in + kOffHost8);
  e.port = Get32(in + kOffPort);
  e.channel = static_cast<int32_t>(Get32(in + kOffChannel));
  e.hostField20 = Get32(in + kOffHost20);
  e.start = static_cast<int64_t>(Get64(in + kOffStart));
  e.timeFormat = Get32(in + kOffFormat);
  e.hostField36 = Get32(in + kOffHost36);
  e.duration = static_cast<int32_t>(Get32(in + kOffDuration));
  if (!IsLongEvent(e)) std::memcpy(e.data, in + kOffData, 4);
  std::memcpy(e.hostFields, in + kOffHostFields, sizeof e.hostFields);
  *out = e;
}

bool IsPastableRecord(const MidiEvent& e) {
  const bool oneBit = e.type != 0 && (e.type & (e.type - 1)) == 0;
  return oneBit && (e.type & kKnownTypes) && !IsLongEvent(e);
}
