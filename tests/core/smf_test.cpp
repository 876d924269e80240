// Standard MIDI Files: a hand-made file with running status, both system
// exclusive forms and meta events reads exactly; what is written reads back
// the same; damaged files give a message and an offset and change nothing.
#include <gtest/gtest.h>

#include <vector>

#include "host/smf/smf_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(uint16_t format, uint16_t tracks, uint16_t division) {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format),
          static_cast<uint8_t>(tracks >> 8), static_cast<uint8_t>(tracks), static_cast<uint8_t>(division >> 8),
          static_cast<uint8_t>(division)};
}

Bytes Track(const Bytes& body) {
  Bytes out = {'M', 'T', 'r', 'k', 0, 0, static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Tempo, a name, notes in running status, a two-byte program change, both
// sysex forms, a delta of four bytes and the end of track.
const Bytes kBody = {
    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        // tempo 500000
    0x00, 0xFF, 0x03, 0x02, 'L', 'a',                // track name
    0x00, 0x90, 0x3C, 0x64,                          // note on C5
    0x60, 0x40, 0x50,                                // running status: E4 at 96
    0x81, 0x40, 0x80, 0x3C, 0x00,                    // note off at 96 + 192
    0x00, 0xC1, 0x05,                                // program change, one data byte
    0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7,              // sysex
    0x00, 0xF7, 0x02, 0x01, 0xF7,                    // sysex continuation / escape
    0x81, 0x80, 0x80, 0x00, 0xB1, 0x07, 0x64,        // delta 2^21, controller 7
    0x00, 0xFF, 0x2F, 0x00,
};

TEST(Smf, AHandMadeFileReadsExactly) {
  Bytes file = Cat(Header(1, 1, 96), Track(kBody));
  SmfFile read;
  SmfError error;
  ASSERT_TRUE(ReadSmf(file.data(), file.size(), &read, &error)) << error.message << " at " << error.offset;
  EXPECT_EQ(read.format, 1);
  EXPECT_EQ(read.ticksPerQuarter, 96);
  ASSERT_EQ(read.tracks.size(), 1u);
  const std::vector<SmfEvent> expected = {
      {0, 0xFF, 0x51, {0x07, 0xA1, 0x20}},
      {0, 0xFF, 0x03, {'L', 'a'}},
      {0, 0x90, 0, {0x3C, 0x64}},
      {96, 0x90, 0, {0x40, 0x50}},
      {288, 0x80, 0, {0x3C, 0x00}},
      {288, 0xC1, 0, {0x05}},
      {288, 0xF0, 0, {0x7E, 0x7F, 0xF7}},
      {288, 0xF7, 0, {0x01, 0xF7}},
      {288 + (1 << 21), 0xB1, 0, {0x07, 0x64}},
  };
  EXPECT_EQ(read.tracks[0].events, expected);
}

TEST(Smf, WrittenFilesReadBackTheSameWithRunningStatus) {
  Bytes file = Cat(Cat(Header(1, 2, 480), Track(kBody)), Track({0x00, 0x91, 0x30, 0x40, 0x10, 0x30, 0x00, 0x00, 0xFF,
                                                                 0x2F, 0x00}));
  SmfFile read;
  SmfError error;
  ASSERT_TRUE(ReadSmf(file.data(), file.size(), &read, &error));
  Bytes written = WriteSmf(read);
  SmfFile again;
  ASSERT_TRUE(ReadSmf(written.data(), written.size(), &again, &error)) << error.message;
  EXPECT_EQ(again, read);
  // The second note of the first track shares the first one's status.
  EXPECT_EQ(WriteSmf(again), written);
  const Bytes shared = {0x00, 0x90, 0x3C, 0x64, 0x60, 0x40, 0x50};
  EXPECT_NE(std::search(written.begin(), written.end(), shared.begin(), shared.end()), written.end());
}

TEST(Smf, DamagedFilesNameTheProblemAndChangeNothing) {
  const Bytes good = Cat(Header(0, 1, 96), Track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00}));
  Bytes longTrack = good;
  longTrack[21] = 0x40;  // the track claims more bytes than the file has
  Bytes fiveByteDelta = Cat(Header(0, 1, 96), Track({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x64}));
  Bytes noStatus = Cat(Header(0, 1, 96), Track({0x00, 0x3C, 0x64}));
  Bytes statusInData = Cat(Header(0, 1, 96), Track({0x00, 0x90, 0x3C, 0x94}));
  Bytes sysexTooLong = Cat(Header(0, 1, 96), Track({0x00, 0xF0, 0x10, 0x01}));
  Bytes realTime = Cat(Header(0, 1, 96), Track({0x00, 0xF8}));
  const struct {
    Bytes file;
    size_t cut;  // bytes kept; 0 keeps all
    const char* words;
    size_t offset;
  } cases[] = {
      {{}, 0, "no MThd header", 0},
      {Bytes(good.begin(), good.begin() + 10), 0, "no MThd header", 0},
      {Cat(Header(2, 1, 96), Track({})), 0, "format 2", 8},
      {Header(1, 1, 0xE728), 0, "SMPTE", 12},
      {Header(1, 1, 0), 0, "zero ticks", 12},
      {good, 20, "chunk header runs past the end of the file", 14},
      {longTrack, 0, "track chunk runs past the end of the file", 22},
      {fiveByteDelta, 0, "longer than four bytes", 22},
      {noStatus, 0, "data byte where a status byte", 23},
      {statusInData, 0, "status byte inside a channel message", 25},
      {sysexTooLong, 0, "system exclusive message runs past the end of its track", 25},
      {realTime, 0, "system message that a file cannot hold", 23},
      {Bytes(good.begin(), good.end() - 6), 0, "", 0},  // cut inside a track: the chunk length still claims more
  };
  for (const auto& c : cases) {
    Bytes bytes = c.cut ? Bytes(c.file.begin(), c.file.begin() + c.cut) : c.file;
    SmfFile kept;
    kept.tracks.resize(3);
    SmfError error;
    EXPECT_FALSE(ReadSmf(bytes.data(), bytes.size(), &kept, &error)) << c.words;
    EXPECT_NE(error.message.find(c.words), std::string::npos) << error.message;
    if (*c.words) {
      EXPECT_EQ(error.offset, c.offset) << error.message;
    }
    EXPECT_EQ(kept.tracks.size(), 3u);
  }
}

}  // namespace
