// The vocabulary in the module's string table and the descriptions of events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mididata/vocab_names.h"
#include "mididata/vocabulary.h"
#include "resources/vocabulary_ids.h"

namespace {

std::wstring Text(uint32_t id) {
  wchar_t buffer[128];
  LoadVocabulary(id, buffer, 128);
  return buffer;
}

std::wstring Describe(const MidiEvent& e, int32_t column, HRESULT expected = S_OK) {
  wchar_t buffer[128];
  EXPECT_EQ(DescribeEvent(e, buffer, 128, column), expected);
  return buffer;
}

MidiEvent Short(uint32_t type, uint8_t d1, uint8_t d2 = 0, uint8_t d3 = 0, uint8_t d4 = 0) {
  MidiEvent e{};
  e.type = type;
  e.timeFormat = kTimeTicks;
  e.data[0] = d1, e.data[1] = d2, e.data[2] = d3, e.data[3] = d4;
  return e;
}

// A long event over bytes owned by the test.
MidiEvent Long(uint32_t type, std::vector<uint8_t>& bytes) {
  MidiEvent e{};
  e.type = type;
  e.duration = static_cast<int32_t>(bytes.size());
  e.payload = bytes.data();
  return e;
}

}  // namespace

TEST(Vocabulary, TablesAreCompleteInTheirRanges) {
  for (uint32_t id = IDS_PROGRAM_FIRST; id < IDS_PROGRAM_FIRST + 128; ++id) EXPECT_FALSE(Text(id).empty()) << id;
  for (uint32_t id = IDS_CONTROLLER_UNDEFINED; id < IDS_CONTROLLER_FIRST + 128; ++id)
    EXPECT_FALSE(Text(id).empty()) << id;
  for (uint32_t id = IDS_EVENT_TYPE_FIRST; id <= IDS_EVENT_TYPE_UNKNOWN; ++id) EXPECT_FALSE(Text(id).empty()) << id;
  EXPECT_EQ(Text(0), L"General MIDI Voices");
  EXPECT_EQ(Text(3), L"Unknown Voice Set");
  EXPECT_EQ(Text(4), L"Acoustic Grand Piano");
  EXPECT_EQ(Text(4 + 40), L"Violin");
  EXPECT_EQ(Text(131), L"Gunshot");
  EXPECT_EQ(Text(132), L"Standard Set");
  EXPECT_EQ(Text(139), L"Orchestra Set");
  EXPECT_EQ(Text(141), L"(None)");
  EXPECT_EQ(Text(158), L"Wave Data");
  EXPECT_EQ(Text(167), L"Undefined CC");
  EXPECT_EQ(Text(168 + 7), L"Main Volume MSB");
  EXPECT_EQ(Text(168 + 64), L"Damper Pedal");
  EXPECT_EQ(Text(168 + 97), L"Data Deccrement");
  EXPECT_EQ(Text(168 + 127), L"Poly Mode On");
  EXPECT_EQ(Text(1002), L"All Continuous Controllers");
  EXPECT_EQ(Text(10038), L"Velocity");
  EXPECT_EQ(Text(390), L"%d (%s)");
}

TEST(Vocabulary, TypeNamesAndControllerNames) {
  EXPECT_EQ(Describe(Short(kEvControlChange, 7, 100), kDescribeTypeName), L"Control Change");
  EXPECT_EQ(Describe(Short(kEvControlChange, 7, 100), kDescribeSubject), L"Main Volume MSB");
  EXPECT_EQ(Describe(Short(kEvControlChange, 7, 100), kDescribeValue), L"100");
  EXPECT_EQ(Describe(Short(kEvPitchBend, 0, 64), kDescribeTypeName), L"Pitch Bend");
  EXPECT_EQ(Describe(Short(kEvNoteOn | kEvNoteOff, 0), kDescribeTypeName), L"Unknown Event");
  wchar_t name[64];
  ControllerName(200, name, 64);
  EXPECT_STREQ(name, L"Undefined CC");
}

TEST(Vocabulary, NotesProgramsBendsAndParameters) {
  EXPECT_EQ(Describe(Short(kEvNoteOn, 60, 90), kDescribeSubject), L"60 (C5)");
  EXPECT_EQ(Describe(Short(kEvNoteOn, 60, 90), kDescribeValue), L"90");
  EXPECT_EQ(Describe(Short(kEvNoteOff, 61), kDescribeSubject), L"61 (C#5)");
  EXPECT_EQ(Describe(Short(kEvPolyPressure, 61, 5), kDescribeSubject), L"61 (Db5)");
  EXPECT_EQ(Describe(Short(kEvProgramChange, 0), kDescribeSubject), L"Acoustic Grand Piano");
  EXPECT_EQ(Describe(Short(kEvPatch, 1, 5, 40), kDescribeSubject), L"133:40");
  EXPECT_EQ(Describe(Short(kEvPatch, 1, 5, 40), kDescribeValue), L"Violin");
  EXPECT_EQ(Describe(Short(kEvPitchBend, 0, 0), kDescribeSubject), L"-8192");
  EXPECT_EQ(Describe(Short(kEvPitchBend, 127, 127), kDescribeSubject), L"8191");
  EXPECT_EQ(Describe(Short(kEvPackedRpn, 0, 0, 2, 0), kDescribeSubject), L"Pitch Bend Sensitivity");
  EXPECT_EQ(Describe(Short(kEvPackedRpn, 0, 0, 2, 0), kDescribeValue), L"256");
  EXPECT_EQ(Describe(Short(kEvPackedRpn, 0, 9), kDescribeSubject), L"Unknown RPN");
  EXPECT_EQ(Describe(Short(kEvNone, 0), kDescribeSubject, S_FALSE), L"");
  EXPECT_EQ(Describe(Short(kEvNoteOn, 60), 7, S_FALSE), L"");
}

TEST(Vocabulary, MetaEventsAndMachineControl) {
  std::vector<uint8_t> tempo = {0x51, 0x07, 0xA1, 0x20};
  EXPECT_EQ(Describe(Long(kEvMeta, tempo), kDescribeSubject), L"Tempo");
  EXPECT_EQ(Describe(Long(kEvMeta, tempo), kDescribeValue), L"120.000 BPM");
  std::vector<uint8_t> meter = {0x58, 6, 3, 24, 8};
  EXPECT_EQ(Describe(Long(kEvMeta, meter), kDescribeValue), L"6/8");
  std::vector<uint8_t> key = {0x59, 0xFD, 1};
  EXPECT_EQ(Describe(Long(kEvMeta, key), kDescribeSubject), L"Key Signature");
  EXPECT_EQ(Describe(Long(kEvMeta, key), kDescribeValue), L"Minor");
  std::vector<uint8_t> unknown = {0x60, 1};
  EXPECT_EQ(Describe(Long(kEvMeta, unknown), kDescribeSubject), L"Unknown Meta: 96");
  std::vector<uint8_t> keynote = {0x7F, 2};
  EXPECT_EQ(Describe(Long(kEvMeta, keynote), kDescribeSubject), L"Sequencer Specific");
  EXPECT_EQ(Describe(Long(kEvMeta, keynote), kDescribeValue), L"Tarn 3 Keynote");
  std::vector<uint8_t> undefined = {0x7F, 9};
  EXPECT_EQ(Describe(Long(kEvMeta, undefined), kDescribeValue), L"Velora Undefined 0x09");
  std::vector<uint8_t> shortTempo = {0x51, 0x07};  // too short to hold a tempo
  EXPECT_EQ(Describe(Long(kEvMeta, shortTempo), kDescribeValue, S_FALSE), L"");
  MidiEvent noPayload = Short(kEvMeta, 0);
  noPayload.payload = nullptr;
  EXPECT_EQ(Describe(noPayload, kDescribeSubject, S_FALSE), L"");

  std::vector<uint8_t> play = {0x7F, 0x7F, 0x06, 0x02, 0xF7};
  EXPECT_EQ(Describe(Long(kEvSysex, play), kDescribeSubject), L"MMC Play");
  std::vector<uint8_t> shuttle = {0x7F, 0x01, 0x06, 0x47, 0x03, 0x00, 0x00, 0x00, 0xF7};
  EXPECT_EQ(Describe(Long(kEvSysex, shuttle), kDescribeSubject), L"MMC Shuttle");
  std::vector<uint8_t> odd = {0x7F, 0x7F, 0x06, 0x4A, 0xF7};
  EXPECT_EQ(Describe(Long(kEvSysex, odd), kDescribeSubject), L"MMC 0x4A");
  std::vector<uint8_t> plain = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
  EXPECT_EQ(Describe(Long(kEvSysex, plain), kDescribeSubject, S_FALSE), L"");
}

TEST(Vocabulary, DescriptionsAreCutToTheBuffer) {
  wchar_t buffer[6];
  EXPECT_EQ(DescribeEvent(Short(kEvControlChange, 7), buffer, 6, kDescribeSubject), S_OK);
  EXPECT_STREQ(buffer, L"Main ");
  EXPECT_EQ(DescribeEvent(Short(kEvNoteOn, 60), buffer, 0, kDescribeSubject), E_INVALIDARG);
}
