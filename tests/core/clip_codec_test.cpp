// The clipboard block's bytes: header checks and the 64-byte record layout,
// which must be the same in every build. Expected bytes are built by hand from
// the record's offsets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mididata/clip_codec.h"

namespace {

void Put(std::vector<uint8_t>& b, size_t at, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Header(uint32_t version, uint32_t kind, uint32_t count, size_t records) {
  std::vector<uint8_t> b(12 + 64 * records, 0);
  Put(b, 0, version, 4);
  Put(b, 4, kind, 4);
  Put(b, 8, count, 4);
  return b;
}

}  // namespace

TEST(ClipCodec, RecordHasTheThirtyTwoBitLayout) {
  MidiEvent e{};
  e.type = kEvNoteOn;
  e.flags = kEventSelected | 0x100;
  e.hostField8 = 0x11223344;
  e.port = 7;
  e.channel = 9;
  e.hostField20 = 0xCAFEBABE;
  e.start = -2;
  e.timeFormat = kTimeTicks;
  e.hostField36 = 0x55;
  e.duration = 240;
  e.data[0] = 60;
  e.data[1] = 100;
  e.data[2] = 64;
  e.data[3] = 1;
  for (int i = 0; i < 16; ++i) e.hostFields[i] = static_cast<uint8_t>(0xA0 + i);

  uint8_t wire[64];
  EncodeClipRecord(e, wire);
  std::vector<uint8_t> expected(64, 0);
  Put(expected, 0, 0x40, 4);
  Put(expected, 4, 0x104, 4);
  Put(expected, 8, 0x11223344, 4);
  Put(expected, 12, 7, 4);
  Put(expected, 16, 9, 4);
  Put(expected, 20, 0xCAFEBABE, 4);
  Put(expected, 24, 0xFFFFFFFFFFFFFFFEull, 8);
  Put(expected, 32, 2, 4);
  Put(expected, 36, 0x55, 4);
  Put(expected, 40, 240, 4);
  expected[44] = 60, expected[45] = 100, expected[46] = 64, expected[47] = 1;
  for (int i = 0; i < 16; ++i) expected[48 + i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(std::vector<uint8_t>(wire, wire + 64), expected);

  MidiEvent back{};
  DecodeClipRecord(wire, &back);
  EXPECT_EQ(back.type, e.type);
  EXPECT_EQ(back.flags, e.flags);
  EXPECT_EQ(back.hostField8, e.hostField8);
  EXPECT_EQ(back.port, e.port);
  EXPECT_EQ(back.channel, e.channel);
  EXPECT_EQ(back.hostField20, e.hostField20);
  EXPECT_EQ(back.start, e.start);
  EXPECT_EQ(back.timeFormat, e.timeFormat);
  EXPECT_EQ(back.hostField36, e.hostField36);
  EXPECT_EQ(back.duration, e.duration);
  EXPECT_EQ(std::memcmp(back.data, e.data, 4), 0);
  EXPECT_EQ(std::memcmp(back.hostFields, e.hostFields, 16), 0);
}

TEST(ClipCodec, LongEventsCarryNoPointer) {
  uint8_t payload[3] = {1, 2, 3};
  MidiEvent e{};
  e.type = kEvSysex;
  e.duration = 3;
  e.payload = payload;
  uint8_t wire[64];
  EncodeClipRecord(e, wire);
  EXPECT_EQ(wire[44] | wire[45] | wire[46] | wire[47], 0);
  MidiEvent back{};
  DecodeClipRecord(wire, &back);
  EXPECT_EQ(back.payload, nullptr);
  EXPECT_FALSE(IsPastableRecord(back));
}

TEST(ClipCodec, PastableRecordsHaveOneKnownShortType) {
  MidiEvent e{};
  for (uint32_t type : std::vector<uint32_t>{kEvNoteOn, kEvControlChange, kEvPitchBend, kEvPatch, kEvWaveData}) {
    e.type = type;
    EXPECT_TRUE(IsPastableRecord(e)) << type;
  }
  for (uint32_t type : std::vector<uint32_t>{0u, kEvNoteOn | kEvNoteOff, 0x1000u, 0x80000000u, kEvMeta, kEvLongMsg}) {
    e.type = type;
    EXPECT_FALSE(IsPastableRecord(e)) << type;
  }
}

TEST(ClipCodec, HeaderRoundTripAndSizeAgreement) {
  uint8_t h[12];
  EncodeClipHeader(3, h);
  const uint8_t expected[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(std::memcmp(h, expected, 12), 0);
  EXPECT_EQ(ClipBlockSize(3), 204u);
  EXPECT_EQ(CheckClipHeader(h, 204), 3u);
  EXPECT_EQ(CheckClipHeader(h, 204 + 63), 3u);  // an allocator's rounding
  EXPECT_EQ(CheckClipHeader(h, 203), 0u);       // last record cut short
  EXPECT_EQ(CheckClipHeader(h, 268), 3u);       // longer than its records: the rest is not read
}

TEST(ClipCodec, DamagedHeadersAreRefused) {
  EXPECT_EQ(CheckClipHeader(nullptr, 100), 0u);
  auto block = Header(1, 2, 1, 1);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 1u);
  EXPECT_EQ(CheckClipHeader(block.data(), 11), 0u);  // shorter than the header
  block = Header(2, 2, 1, 1);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 0u);  // version 2
  block = Header(1, 3, 1, 1);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 0u);  // another kind
  block = Header(1, 2, 0, 0);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 0u);  // no records
  block = Header(1, 2, 0xFFFFFFFFu, 1);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 0u);  // huge count
  block = Header(1, 2, 5, 2);
  EXPECT_EQ(CheckClipHeader(block.data(), block.size()), 0u);  // count beyond the block
}
