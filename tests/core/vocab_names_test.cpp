// Note names, the string numbers of the vocabulary, the values of event
// descriptions and the typed formatter of the string table's formats.
#include <gtest/gtest.h>

#include <string>

#include "kvlib/printf.h"
#include "mididata/vocab_names.h"
#include "resources/vocabulary_ids.h"

namespace {

std::u16string Name(int32_t note, bool flats, int32_t capacity = 16) {
  kvchar buffer[16];
  NoteName(note, flats, buffer, capacity);
  std::u16string out;
  for (const kvchar* p = buffer; *p; ++p) out.push_back(static_cast<char16_t>(*p));
  return out;
}

std::u16string Format(const char16_t* format, std::initializer_list<KvPrintArg> args, int32_t capacity = 64) {
  std::basic_string<kvchar> f(format, format + std::char_traits<char16_t>::length(format));
  kvchar buffer[64];
  KvVPrintF(buffer, static_cast<size_t>(capacity), f.c_str(), args.begin(), args.size());
  std::u16string out;
  for (const kvchar* p = buffer; *p; ++p) out.push_back(static_cast<char16_t>(*p));
  return out;
}

}  // namespace

TEST(VocabNames, NoteNamesWithSharpsAndFlats) {
  EXPECT_EQ(Name(0, false), u"C0");
  EXPECT_EQ(Name(60, false), u"C5");
  EXPECT_EQ(Name(61, false), u"C#5");
  EXPECT_EQ(Name(61, true), u"Db5");
  EXPECT_EQ(Name(70, true), u"Bb5");
  EXPECT_EQ(Name(119, false), u"B9");
  EXPECT_EQ(Name(120, false), u"C10");
  EXPECT_EQ(Name(127, false), u"G10");
  EXPECT_EQ(Name(126, true), u"Gb10");
  EXPECT_EQ(Name(126, true, 3), u"Gb");  // cut to fit, terminated
}

TEST(VocabNames, StringNumbers) {
  EXPECT_EQ(EventTypeStringId(kEvNone), 141u);
  EXPECT_EQ(EventTypeStringId(kEvNoteOn), 147u);
  EXPECT_EQ(EventTypeStringId(kEvPitchBend), 152u);
  EXPECT_EQ(EventTypeStringId(kEvWaveData), 158u);
  EXPECT_EQ(EventTypeStringId(kEvNoteOn | kEvNoteOff), unsigned{IDS_EVENT_TYPE_UNKNOWN});
  EXPECT_EQ(EventTypeStringId(0x1000), unsigned{IDS_EVENT_TYPE_UNKNOWN});
  EXPECT_EQ(ControllerStringId(0), 168u);
  EXPECT_EQ(ControllerStringId(127), 295u);
  EXPECT_EQ(ControllerStringId(128), 167u);
  EXPECT_EQ(ControllerStringId(-1), 167u);
  EXPECT_EQ(ProgramStringId(0), 4u);
  EXPECT_EQ(ProgramStringId(127), 131u);
  EXPECT_EQ(RpnStringId(0, 0), 327u);
  EXPECT_EQ(RpnStringId(0, 4), 331u);
  EXPECT_EQ(RpnStringId(0, 5), 326u);
  EXPECT_EQ(RpnStringId(1, 0), 326u);
  EXPECT_EQ(MetaStringId(0x00), unsigned{IDS_META_FIRST});
  EXPECT_EQ(MetaStringId(0x51), unsigned{IDS_META_FIRST} + 13);
  EXPECT_EQ(MetaStringId(0x7F), 325u);
  EXPECT_EQ(MetaStringId(0x60), 0u);
  EXPECT_EQ(MmcStringId(0x01), unsigned{IDS_MMC_FIRST});
  EXPECT_EQ(MmcStringId(0x0D), unsigned{IDS_MMC_FIRST} + 12);
  EXPECT_EQ(MmcStringId(0x44), unsigned{IDS_MMC_FIRST} + 13);
  EXPECT_EQ(MmcStringId(0x55), unsigned{IDS_MMC_FIRST} + 19);
  EXPECT_EQ(MmcStringId(0x40), 0u);
}

TEST(VocabNames, DescribedValues) {
  EXPECT_EQ(PitchBendValue(0, 64), 0);
  EXPECT_EQ(PitchBendValue(0, 0), -8192);
  EXPECT_EQ(PitchBendValue(127, 127), 8191);
  EXPECT_EQ(BankNumber(1, 5), 133);
  EXPECT_DOUBLE_EQ(TempoBpm(500000), 120.0);
  EXPECT_DOUBLE_EQ(TempoBpm(480000), 125.0);
  EXPECT_DOUBLE_EQ(TempoBpm(700000), 85.714);
  EXPECT_DOUBLE_EQ(TempoBpm(0), 0.0);
}

TEST(VocabNames, MachineControlRecognition) {
  uint8_t command = 0;
  const uint8_t play[] = {0x7F, 0x7F, 0x06, 0x02, 0xF7};
  EXPECT_TRUE(IsMachineControl(play, 5, &command));
  EXPECT_EQ(command, 0x02);
  const uint8_t response[] = {0x7F, 0x10, 0x07, 0x44, 0x06, 0xF7};
  EXPECT_TRUE(IsMachineControl(response, 6, &command));
  EXPECT_EQ(command, 0x44);
  EXPECT_FALSE(IsMachineControl(play, 4, &command));  // length must exceed 4
  const uint8_t other[] = {0x7F, 0x7F, 0x04, 0x01, 0xF7};
  EXPECT_FALSE(IsMachineControl(other, 5, &command));
  const uint8_t open[] = {0x7F, 0x7F, 0x06, 0x02, 0x00};
  EXPECT_FALSE(IsMachineControl(open, 5, &command));
  const uint8_t universal[] = {0x7E, 0x7F, 0x06, 0x02, 0xF7};
  EXPECT_FALSE(IsMachineControl(universal, 5, &command));
  EXPECT_FALSE(IsMachineControl(nullptr, 8, &command));
}

// The string table's formats as the vocabulary fills them.
TEST(VocabFormats, FillsTheTablesFormats) {
  EXPECT_EQ(Format(u"%d (%s)", {60, KVTEXT("C5")}), u"60 (C5)");
  EXPECT_EQ(Format(u"%.3f BPM", {120.0}), u"120.000 BPM");
  EXPECT_EQ(Format(u"%d/%d", {6, 8}), u"6/8");
  EXPECT_EQ(Format(u"MMC 0x%02X", {0x4A}), u"MMC 0x4A");
  EXPECT_EQ(Format(u"Velora Undefined 0x%02X", {5}), u"Velora Undefined 0x05");
  EXPECT_EQ(Format(u"%d: %s", {7, KVTEXT("Main Volume MSB")}), u"7: Main Volume MSB");
  EXPECT_EQ(Format(u"100%%", {}), u"100%");
}

TEST(VocabFormats, MismatchedArgumentsPrintNothingAndOutputIsBounded) {
  EXPECT_EQ(Format(u"%s and %d", {5}), u" and ");       // integer for %s, nothing for %d
  EXPECT_EQ(Format(u"%d %d %d", {1}), u"1  ");          // missing arguments
  EXPECT_EQ(Format(u"%.3f", {KVTEXT("x")}), u"");       // text for a real
  EXPECT_EQ(Format(u"%d (%s)", {60, KVTEXT("C5")}, 5), u"60 (");
  EXPECT_EQ(Format(u"trailing %", {1}), u"trailing %");  // a lone % stands as it is
}
