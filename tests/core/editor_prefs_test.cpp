// The settings block as a file format: default bytes, field offsets, and that
// every byte of a stored block survives a load and save unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shell/plugin/editor_prefs.h"

namespace {

using Block = uint8_t[kPrefsBlockSize];

void PutLE(std::vector<uint8_t>* bytes, std::size_t offset, uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The default block written out by hand from the settings table.
std::vector<uint8_t> ExpectedDefaultBytes() {
  std::vector<uint8_t> b(kPrefsBlockSize, 0);
  struct Word {
    std::size_t offset;
    uint64_t value;
    std::size_t width;
  };
  const Word words[] = {
      {4, 1, 4},         {8, 1, 4},          {12, 1, 4},          {32, 9, 4},          {36, 1, 4},
      {40, 5, 4},        {172, 2, 4},        {176, 0xFFFFFFFF, 4}, {180, 50, 4},        {184, 15, 4},
      {192, 5, 4},       {196, 44100, 4},    {200, 0x3FF0000000000000, 8},               {208, 0x405E000000000000, 8},
      {224, 4, 2},       {226, 4, 2},        {228, 0x6000, 4},    {240, 0xDCDCDC, 4},  {244, 0xC0C0C0, 4},
      {248, 0x404040, 4}, {252, 1, 4},       {256, 0xFFFFFFFF, 4}, {260, 0xFFFFFFFF, 4}, {264, 5, 4},
      {280, 0xFFFFFFFFFFFFFFFF, 8},          {288, 6, 4},         {292, 1, 4},         {300, 1128, 4},
  };
  for (const Word& w : words) PutLE(&b, w.offset, w.value, w.width);
  const char* font = "Tahoma";
  for (std::size_t i = 0; font[i]; ++i) PutLE(&b, 44 + 2 * i, static_cast<uint8_t>(font[i]), 2);
  return b;
}

TEST(EditorPrefsCodec, DefaultBlockHasTheDocumentedBytes) {
  Block out;
  std::memset(out, 0xCC, sizeof out);
  EncodeEditorPrefs(DefaultEditorPrefs(), out);
  const std::vector<uint8_t> expected = ExpectedDefaultBytes();
  for (std::size_t i = 0; i < kPrefsBlockSize; ++i) EXPECT_EQ(expected[i], out[i]) << "byte " << i;
}

TEST(EditorPrefsCodec, AnyBlockLoadsInRangeAndSavesStably) {
  // Random blocks: what loads is in range, and saving what loaded loads the same.
  uint32_t seed = 0x9E3779B9u;
  for (int round = 0; round < 50; ++round) {
    Block in;
    for (uint8_t& byte : in) {
      seed = seed * 1664525u + 1013904223u;
      byte = static_cast<uint8_t>(seed >> 24);
    }
    in[207] = in[215] = 0x40;  // ordinary reals
    const EditorPrefs p = DecodeEditorPrefs(in);
    EXPECT_EQ(p.fontName[63], 0);
    EXPECT_TRUE(p.snapEnabled == 0 || p.snapEnabled == 1);
    EXPECT_GE(p.autoScrollSpeed, 1);
    EXPECT_LE(p.autoScrollSpeed, 100);
    EXPECT_GE(p.activeTool, 0);
    EXPECT_LE(p.activeTool, 4);
    EXPECT_GE(p.zoomLevel, -1);
    EXPECT_LE(p.zoomLevel, 124);
    EXPECT_GE(p.laneKind, 1000);
    EXPECT_LE(p.laneKind, 1129);
    Block once, twice;
    EncodeEditorPrefs(p, once);
    EncodeEditorPrefs(DecodeEditorPrefs(once), twice);
    EXPECT_EQ(0, std::memcmp(once, twice, sizeof once));
    // Words without a meaning travel unchanged.
    EXPECT_EQ(0, std::memcmp(in + 188, once + 188, 4));
    EXPECT_EQ(0, std::memcmp(in + 200, once + 200, 16));
  }
}

TEST(EditorPrefsCodec, OutOfRangeFieldsLoadAsTheirDefaults) {
  const EditorPrefs d = DefaultEditorPrefs();
  const struct {
    std::size_t offset, width;
    uint64_t value;
    int64_t EditorPrefs::*wide;
    int32_t EditorPrefs::*field;
  } cases[] = {
      {4, 4, 7, nullptr, &EditorPrefs::snapEnabled},
      {40, 4, 0, nullptr, &EditorPrefs::autoScrollSpeed},
      {176, 4, 0x7FFFFFFF, nullptr, &EditorPrefs::keyboardWidth},
      {180, 4, 0x7FFFFFFF, nullptr, &EditorPrefs::laneHeight},
      {252, 4, 3, nullptr, &EditorPrefs::loopMode},
      {256, 4, 128, nullptr, &EditorPrefs::firstVisibleRow},
      {260, 4, 200, nullptr, &EditorPrefs::zoomLevel},
      {264, 4, 0xFFFFFFFF, nullptr, &EditorPrefs::rowHeightIndex},
      {268, 4, 0xFFFFFFFF, nullptr, &EditorPrefs::activeTool},
      {288, 4, 11, nullptr, &EditorPrefs::quantizeResolution},
      {300, 4, 999, nullptr, &EditorPrefs::laneKind},
      {308, 4, 12, nullptr, &EditorPrefs::keyRoot},
      {312, 4, 18, nullptr, &EditorPrefs::scaleIndex},
      {280, 8, 0x8000000000000000, &EditorPrefs::dataLength, nullptr},
      {16, 8, 0x7FFFFFFFFFFFFFFF, &EditorPrefs::gridValue, nullptr},
  };
  for (const auto& c : cases) {
    Block block;
    EncodeEditorPrefs(d, block);
    std::vector<uint8_t> bytes(block, block + kPrefsBlockSize);
    PutLE(&bytes, c.offset, c.value, c.width);
    std::memcpy(block, bytes.data(), sizeof block);
    const EditorPrefs p = DecodeEditorPrefs(block);
    if (c.field) {
      EXPECT_EQ(p.*c.field, d.*c.field) << "offset " << c.offset;
    } else {
      EXPECT_EQ(p.*c.wide, d.*c.wide) << "offset " << c.offset;
    }
  }
  // A font name without its terminator is cut to the field.
  Block block;
  EncodeEditorPrefs(d, block);
  for (std::size_t i = 44; i < 172; i += 2) block[i] = 'x';
  EXPECT_EQ(DecodeEditorPrefs(block).fontName[63], 0);
}

TEST(EditorPrefsCodec, NamedFieldsComeFromTheirOffsets) {
  std::vector<uint8_t> b(kPrefsBlockSize, 0);
  PutLE(&b, 4, 0, 4);
  PutLE(&b, 16, static_cast<uint64_t>(-3), 8);
  PutLE(&b, 24, 0x0102030405060708, 8);
  PutLE(&b, 40, 7, 4);
  PutLE(&b, 248, 0xFFFFFFFF, 4);
  PutLE(&b, 256, 42, 4);
  PutLE(&b, 280, 0x123456789A, 8);
  PutLE(&b, 300, 1007, 4);
  PutLE(&b, 304, 1, 4);
  PutLE(&b, 308, 11, 4);
  PutLE(&b, 312, 17, 4);
  PutLE(&b, 44, 'A', 2);
  Block in;
  std::memcpy(in, b.data(), sizeof in);

  const EditorPrefs p = DecodeEditorPrefs(in);
  EXPECT_EQ(0, p.snapEnabled);
  EXPECT_EQ(-3, p.gridValue);
  EXPECT_EQ(0x0102030405060708, p.paintNoteValue);
  EXPECT_EQ(7, p.autoScrollSpeed);
  EXPECT_EQ(-1, p.selectedOutline);
  EXPECT_EQ(42, p.firstVisibleRow);
  EXPECT_EQ(0x123456789A, p.dataLength);
  EXPECT_EQ(1007, p.laneKind);
  EXPECT_EQ(1, p.scaleSnap);
  EXPECT_EQ(11, p.keyRoot);
  EXPECT_EQ(17, p.scaleIndex);
  EXPECT_EQ(u'A', static_cast<char16_t>(p.fontName[0]));
  EXPECT_EQ(0, p.fontName[1]);
}

TEST(EditorPrefsCodec, HeaderIsThreeLittleEndianWords) {
  uint8_t out[kSettingsHeaderSize];
  EncodeSettingsHeader(SettingsHeader{kPrefsVersion, 0, kPrefsBlockSize}, out);
  const uint8_t expected[kSettingsHeaderSize] = {5, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x01, 0, 0};
  EXPECT_EQ(0, std::memcmp(expected, out, sizeof out));

  const uint8_t in[kSettingsHeaderSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const SettingsHeader h = DecodeSettingsHeader(in);
  EXPECT_EQ(0x04030201u, h.version);
  EXPECT_EQ(0x08070605u, h.reserved);
  EXPECT_EQ(0x0C0B0A09u, h.size);
  EXPECT_EQ(332u, kSettingsRecordSize);
}

}  // namespace
