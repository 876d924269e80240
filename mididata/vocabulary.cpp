// Event descriptions from the module's string table.
#include "mididata/vocabulary.h"

#include "kvlib/module.h"
#include "kvlib/printf.h"
#include "mididata/vocab_names.h"
#include "resources/vocabulary_ids.h"

namespace {

constexpr int32_t kTextMax = 128;

HRESULT Loaded(uint32_t id, kvchar* buffer, int32_t capacity) {
  return LoadVocabulary(id, buffer, capacity) > 0 ? S_OK : S_FALSE;
}

// Fills a format of the string table.
HRESULT Formatted(uint32_t formatId, kvchar* buffer, int32_t capacity, std::initializer_list<KvPrintArg> args) {
  kvchar format[kTextMax];
  if (LoadVocabulary(formatId, format, kTextMax) == 0) return S_FALSE;
  KvVPrintF(buffer, static_cast<size_t>(capacity), format, args.begin(), args.size());
  return S_OK;
}

HRESULT Number(int32_t value, kvchar* buffer, int32_t capacity) {
  KvPrintF(buffer, static_cast<size_t>(capacity), KVTEXT("%d"), value);
  return S_OK;
}

HRESULT NoteText(uint8_t note, bool flats, kvchar* buffer, int32_t capacity) {
  kvchar name[8];
  NoteName(note, flats, name, 8);
  return Formatted(IDS_FORMAT_NOTE, buffer, capacity, {int32_t{note}, name});
}

const uint8_t* PayloadOf(const MidiEvent& e, int32_t needed) {
  return IsLongEvent(e) && e.payload && e.duration >= needed ? e.payload : nullptr;
}

HRESULT MetaSubject(const MidiEvent& e, kvchar* buffer, int32_t capacity) {
  const uint8_t* p = PayloadOf(e, 1);
  if (!p) return S_FALSE;
  const uint32_t id = MetaStringId(p[0]);
  return id ? Loaded(id, buffer, capacity) : Formatted(IDS_META_UNKNOWN, buffer, capacity, {int32_t{p[0]}});
}

HRESULT MetaValue(const MidiEvent& e, kvchar* buffer, int32_t capacity) {
  const uint8_t* p = PayloadOf(e, 2);
  if (!p) return S_FALSE;
  switch (p[0]) {
    case 0x51:
      if (!PayloadOf(e, 4)) return S_FALSE;
      return Formatted(IDS_FORMAT_TEMPO, buffer, capacity, {TempoBpm((p[1] << 16) | (p[2] << 8) | p[3])});
    case 0x58:
      if (!PayloadOf(e, 3) || p[2] > 30) return S_FALSE;
      return Formatted(IDS_FORMAT_METER, buffer, capacity, {int32_t{p[1]}, static_cast<int32_t>(1u << p[2])});
    case 0x59:
      if (!PayloadOf(e, 3)) return S_FALSE;
      return Loaded(p[2] ? IDS_KEY_MINOR : IDS_KEY_MAJOR, buffer, capacity);
    case 0x7F:
      if (p[1] < 4) return Loaded(IDS_SEQUENCER_FIRST + p[1], buffer, capacity);
      return Formatted(IDS_SEQUENCER_UNDEFINED, buffer, capacity, {int32_t{p[1]}});
    default:
      return S_FALSE;
  }
}

HRESULT MachineControl(const MidiEvent& e, kvchar* buffer, int32_t capacity) {
  uint8_t command = 0;
  if (!IsMachineControl(PayloadOf(e, 5), e.duration, &command)) return S_FALSE;
  const uint32_t id = MmcStringId(command);
  if (!id) return Formatted(IDS_FORMAT_MMC_UNKNOWN, buffer, capacity, {int32_t{command}});
  kvchar name[kTextMax];
  LoadVocabulary(id, name, kTextMax);
  return Formatted(IDS_FORMAT_MMC, buffer, capacity, {name});
}

HRESULT Subject(const MidiEvent& e, kvchar* buffer, int32_t capacity) {
  const uint8_t* d = e.data;
  switch (e.type) {
    case kEvNoteOn:
    case kEvNoteOff: return NoteText(d[0], false, buffer, capacity);
    case kEvPolyPressure: return NoteText(d[0], true, buffer, capacity);
    case kEvControlChange: ControllerName(d[0], buffer, capacity); return S_OK;
    case kEvProgramChange: return Loaded(ProgramStringId(d[0]), buffer, capacity);
    case kEvPatch:
      return Formatted(IDS_FORMAT_BANK_PROGRAM, buffer, capacity, {BankNumber(d[0], d[1]), int32_t{d[2]}});
    case kEvPackedRpn: return Loaded(RpnStringId(d[0], d[1]), buffer, capacity);
    case kEvPackedNrpn: return Number(BankNumber(d[0], d[1]), buffer, capacity);
    case kEvPitchBend: return Number(PitchBendValue(d[0], d[1]), buffer, capacity);
    case kEvAfterTouch: return Number(d[0], buffer, capacity);
    case kEvMeta: return MetaSubject(e, buffer, capacity);
    case kEvSysex: return MachineControl(e, buffer, capacity);
    default: return S_FALSE;
  }
}

HRESULT Value(const MidiEvent& e, kvchar* buffer, int32_t capacity) {
  const uint8_t* d = e.data;
  switch (e.type) {
    case kEvNoteOn:
    case kEvNoteOff:
    case kEvPolyPressure:
    case kEvControlChange: return Number(d[1], buffer, capacity);
    case kEvProgramChange: return Number(d[0], buffer, capacity);
    case kEvPatch: return Loaded(ProgramStringId(d[2]), buffer, capacity);
    case kEvPackedRpn:
    case kEvPackedNrpn: return Number(BankNumber(d[2], d[3]), buffer, capacity);
    case kEvMeta: return MetaValue(e, buffer, capacity);
    default: return S_FALSE;
  }
}

}  // namespace

int32_t LoadVocabulary(uint32_t id, kvchar* buffer, int32_t capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = 0;
  const int n = LoadStringW(KvModule_Handle(), id, buffer, capacity);
  return n > 0 ? n : 0;
}

void ControllerName(int32_t controller, kvchar* buffer, int32_t capacity) {
  LoadVocabulary(ControllerStringId(controller), buffer, capacity);
}

HRESULT DescribeEvent(const MidiEvent& event, kvchar* buffer, int32_t capacity, int32_t column) {
  if (!buffer || capacity <= 0) return E_INVALIDARG;
  buffer[0] = 0;
  HRESULT hr = S_FALSE;
  if (column == kDescribeTypeName)
    hr = Loaded(EventTypeStringId(event.type), buffer, capacity);
  else if (column == kDescribeSubject)
    hr = Subject(event, buffer, capacity);
  else if (column == kDescribeValue)
    hr = Value(event, buffer, capacity);
  if (hr != S_OK) buffer[0] = 0;
  return hr;
}
