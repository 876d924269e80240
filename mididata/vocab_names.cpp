// Note names and the string numbers of the MIDI vocabulary.
#include "mididata/vocab_names.h"

#include <cmath>

#include "resources/vocabulary_ids.h"

namespace {

const char* const kSharpNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
const char* const kFlatNames[12] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};

// The type bits in the order of their names in the string table.
constexpr uint32_t kTypeOrder[] = {kEvNone,          kEvPackedNrpn, kEvPackedRpn,  kEvPatch,   kEvShortMsg,
                                   kEvNoteOff,       kEvNoteOn,     kEvPolyPressure, kEvControlChange,
                                   kEvProgramChange, kEvAfterTouch, kEvPitchBend,  kEvSysex,   kEvSysexContinue,
                                   kEvMci,           kEvLongMsg,    kEvMeta,       kEvWaveData};

// The named meta types, in the order of their names (Sequencer Specific has its own).
constexpr uint8_t kMetaTypes[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                  0x09, 0x20, 0x21, 0x2F, 0x51, 0x54, 0x58, 0x59};

// The named MIDI Machine Control commands, in the order of their names.
constexpr uint8_t kMmcCommands[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                    0x0B, 0x0C, 0x0D, 0x44, 0x45, 0x46, 0x47, 0x48, 0x54, 0x55};

template <class T, size_t N>
int32_t IndexOf(const T (&table)[N], T value) {
  for (size_t i = 0; i < N; ++i)
    if (table[i] == value) return static_cast<int32_t>(i);
  return -1;
}

}  // namespace

void NoteName(int32_t note, bool flats, kvchar* buffer, int32_t capacity) {
  if (capacity <= 0) return;
  note &= 127;
  const char* const* names = flats ? kFlatNames : kSharpNames;
  const char* letter = names[note % 12];
  char text[8];
  int32_t n = 0;
  for (; *letter; ++letter) text[n++] = *letter;
  const int32_t octave = note / 12;
  if (octave >= 10) text[n++] = static_cast<char>('0' + octave / 10);
  text[n++] = static_cast<char>('0' + octave % 10);
  int32_t i = 0;
  for (; i < n && i < capacity - 1; ++i) buffer[i] = static_cast<kvchar>(text[i]);
  buffer[i] = 0;
}

uint32_t EventTypeStringId(uint32_t type) {
  const int32_t i = IndexOf(kTypeOrder, type);
  return i < 0 ? IDS_EVENT_TYPE_UNKNOWN : IDS_EVENT_TYPE_FIRST + static_cast<uint32_t>(i);
}

uint32_t ControllerStringId(int32_t controller) {
  return controller >= 0 && controller <= 127 ? IDS_CONTROLLER_FIRST + static_cast<uint32_t>(controller)
                                              : IDS_CONTROLLER_UNDEFINED;
}

uint32_t ProgramStringId(int32_t program) { return IDS_PROGRAM_FIRST + static_cast<uint32_t>(program & 127); }

uint32_t RpnStringId(uint8_t msb, uint8_t lsb) {
  return msb == 0 && lsb <= 4 ? IDS_RPN_FIRST + lsb : IDS_RPN_UNKNOWN;
}

uint32_t MetaStringId(uint8_t metaType) {
  if (metaType == 0x7F) return IDS_META_SEQUENCER;
  const int32_t i = IndexOf(kMetaTypes, metaType);
  return i < 0 ? 0 : IDS_META_FIRST + static_cast<uint32_t>(i);
}

uint32_t MmcStringId(uint8_t command) {
  const int32_t i = IndexOf(kMmcCommands, command);
  return i < 0 ? 0 : IDS_MMC_FIRST + static_cast<uint32_t>(i);
}

double TempoBpm(uint32_t microsecondsPerQuarter) {
  if (microsecondsPerQuarter == 0) return 0.0;
  return std::round(60000000.0 / microsecondsPerQuarter * 1000.0) / 1000.0;
}

bool IsMachineControl(const uint8_t* payload, int32_t length, uint8_t* command) {
  if (!payload || length <= 4) return false;
  if (payload[0] != 0x7F || payload[length - 1] != 0xF7) return false;
  if (payload[2] != 0x06 && payload[2] != 0x07) return false;
  *command = payload[3];
  return true;
}
