#include "host/host_text.h"

#include <windows.h>
#include <ocidl.h>

#include <cstdio>

#include "mididata/host_interfaces.h"

namespace refhost {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(const wchar_t* text) { return text ? Utf8(std::wstring(text)) : std::string(); }

std::string Hex(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(value));
  return buf;
}

std::string ParentText(int32_t level, const ItemPath& path) {
  if (level == kLevelBlock) return "t" + std::to_string(path.trackId);
  if (level == kLevelEvent) return "t" + std::to_string(path.trackId) + ",b" + std::to_string(path.blockId);
  return {};
}

std::string PathText(int32_t level, const ItemPath& path) {
  switch (level) {
    case kLevelTrack: return "t" + std::to_string(path.trackId);
    case kLevelBlock: return ParentText(kLevelEvent, path);
    default: return ParentText(kLevelEvent, path) + ",e" + std::to_string(path.eventId);
  }
}

std::string GuidName(const GUID& g) {
  static const struct {
    const GUID* guid;
    const char* name;
  } kNames[] = {
      {&IID_IUnknown, "IUnknown"},
      {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
      {&IID_HostMidiData, "HostMidiData"},
      {&IID_HostPropertySet, "HostPropertySet"},
      {&IID_HostTimeConverter, "HostTimeConverter"},
      {&IID_HostPortList, "HostPortList"},
      {&IID_HostNotifySink, "HostNotifySink"},
      {&IID_HostPositionSink, "HostPositionSink"},
      {&PROP_Meter, "Meter"},
      {&PROP_Loop, "Loop"},
      {&PROP_Position, "Position"},
      {&PROP_Transport, "Transport"},
      {&PROP_PitchOffset, "PitchOffset"},
      {&NOTIFY_DataChanged, "DataChanged"},
      {&NOTIFY_PortsChanged, "PortsChanged"},
      {&NOTIFY_LoopChanged, "LoopChanged"},
      {&NOTIFY_LoopModeChanged, "LoopModeChanged"},
      {&NOTIFY_RefreshEditor, "RefreshEditor"},
  };
  for (const auto& n : kNames)
    if (IsEqualGUID(g, *n.guid)) return n.name;
  char buf[48];
  std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

std::string EventText(const MidiEvent& e) {
  static const struct {
    uint32_t type;
    const char* name;
  } kTypes[] = {
      {kEvNone, "None"},         {kEvPackedNrpn, "Nrpn"},      {kEvPackedRpn, "Rpn"},       {kEvPatch, "Patch"},
      {kEvShortMsg, "ShortMsg"}, {kEvNoteOff, "NoteOff"},      {kEvNoteOn, "NoteOn"},       {kEvPolyPressure, "PolyPressure"},
      {kEvControlChange, "Control"}, {kEvProgramChange, "Program"}, {kEvAfterTouch, "AfterTouch"},
      {kEvPitchBend, "PitchBend"}, {kEvSysex, "Sysex"},      {kEvSysexContinue, "SysexContinue"}, {kEvMci, "Mci"},
      {kEvLongMsg, "LongMsg"},   {kEvMeta, "Meta"},            {kEvWaveData, "WaveData"},
  };
  std::string out = Hex(e.type);
  for (const auto& t : kTypes)
    if (t.type == e.type) out = t.name;
  out += " @" + std::to_string(e.start);
  if (e.timeFormat != kTimeTicks) out += "/f" + std::to_string(e.timeFormat);
  if (IsLongEvent(e)) {
    out += " bytes " + std::to_string(e.duration);
  } else {
    out += " " + std::to_string(e.data[0]) + "/" + std::to_string(e.data[1]);
    if (e.type == kEvNoteOn) out += "+" + std::to_string(e.duration);
  }
  out += " ch" + std::to_string(e.channel);
  if (e.port) out += " port" + std::to_string(e.port);
  if (e.flags & kEventSelected) out += " sel";
  return out;
}

}  // namespace refhost
