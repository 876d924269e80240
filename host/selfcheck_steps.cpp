#include <cstring>
#include <string>
#include <vector>

#include "host/host_text.h"
#include "host/notices.h"
#include "host/selfcheck.h"

namespace refhost {
namespace {

const std::vector<uint8_t> kSysex = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

// A bracket that always closes, as the plug-in's event store keeps them.
class Bracket {
 public:
  Bracket(HostMidiData* data, LONG undoable, const wchar_t* label) : data_(data) {
    begun_ = SUCCEEDED(data_->BeginEdit(undoable, label));
  }
  ~Bracket() {
    if (begun_) data_->EndEdit(commit_);
  }
  Bracket(const Bracket&) = delete;
  Bracket& operator=(const Bracket&) = delete;
  void Commit() { commit_ = 1; }

 private:
  HostMidiData* data_;
  bool begun_ = false;
  LONG commit_ = 0;
};

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : " | ") + t;
  return out;
}

}  // namespace

void BuildSong(SelfCheckSession& s) {
  RefHost& h = s.host;
  s.piano = h.AddTrack({.name = L"Piano", .channel = 0, .orderKey = 1});
  s.bass = h.AddTrack({.name = L"Bass", .channel = 1, .orderKey = 0});
  s.pianoBlock = h.AddBlock(s.piano, {.start = 0, .end = 3840, .name = L"Verse"});
  s.bassBlock = h.AddBlock(s.bass, {.start = 0, .end = 3840, .name = L"Groove"});
  h.AddEvent(s.pianoBlock, Note(0, 480, 60));
  h.AddEvent(s.pianoBlock, Note(480, 480, 64, 90));
  h.AddEvent(s.pianoBlock, Controller(960, 7, 100));
  h.AddEvent(s.pianoBlock, Note(960, 960, 67, 80));
  h.AddEvent(s.pianoBlock, LongEvent(kEvSysex, 0), kSysex);
  h.AddEvent(s.bassBlock, Note(0, 1920, 36, 110, 1));
  const GUID synth = {0x5E1FC4EC, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
  const GUID unnamed = {0x5E1FC4EC, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
  h.SetOutputPorts({{0, synth, L"Synth A"}, {1, unnamed, std::nullopt}});
  h.SetLoop(0, 3840);
  h.ClearDeliveries();
}

void CheckConnect(SelfCheckSession& s, Checklist& list) {
  list.Section("Connect: interfaces, sinks, time base");
  IUnknown* site = s.host.site();
  list.Check(SUCCEEDED(KvQuery(site, s.data.put())), "site answers HostMidiData");
  list.Check(SUCCEEDED(KvQuery(site, s.properties.put())), "site answers HostPropertySet");
  list.Check(SUCCEEDED(KvQuery(site, s.time.put())), "site answers HostTimeConverter");
  list.Check(SUCCEEDED(KvQuery(site, s.ports.put())), "site answers HostPortList");
  list.Check(SUCCEEDED(s.probe->AdviseOn(site)) && s.probe->notifyCookie && s.probe->positionCookie &&
                 s.probe->notifyCookie != s.probe->positionCookie,
             "both sinks advised with distinct non-zero cookies");
  HostTimeBase base{};
  list.Check(SUCCEEDED(s.time->GetTimeBase(kTimeTicks, &base)) && base.ticksPerQuarter == 960,
             "GetTimeBase(2) reports 960 ticks per quarter note");
}

void CheckEnumeration(SelfCheckSession& s, Checklist& list) {
  list.Section("Enumeration");
  Bracket read(s.data.get(), 0, nullptr);
  std::vector<std::string> names;
  ItemPath path{};
  TrackInfo track{};
  DWORD cursor = 0;
  for (HRESULT hr = s.data->EnumFirst(&path, kLevelTrack, &track, &cursor, kGetWithName); hr == S_OK;
       hr = s.data->EnumNext(&path, kLevelTrack, &track, &cursor, kGetWithName)) {
    names.push_back(Utf8(track.name) + "/ch" + std::to_string(track.channel));
    CoTaskMemFree(track.name);
  }
  list.Check(Joined(names) == "Piano/ch0 | Bass/ch1", "tracks with names: " + Joined(names));

  std::vector<std::string> events;
  ItemPath at{s.piano.trackId, s.pianoBlock.blockId, 0};
  MidiEvent e{};
  size_t payloadBytes = 0;
  for (HRESULT hr = s.data->EnumFirst(&at, kLevelEvent, &e, &cursor, kEvAllTypes); hr == S_OK;
       hr = s.data->EnumNext(&at, kLevelEvent, &e, &cursor, kEvAllTypes)) {
    events.push_back(EventText(e));
    if (IsLongEvent(e)) {
      payloadBytes = e.payload && std::memcmp(e.payload, kSysex.data(), kSysex.size()) == 0 ? kSysex.size() : 0;
      CoTaskMemFree(e.payload);
    }
  }
  list.Check(events.size() == 5, "piano block lists 5 events in time order: " + Joined(events));
  list.Check(payloadBytes == kSysex.size(), "the sysex payload is handed out intact");

  std::vector<std::string> notes;
  for (HRESULT hr = s.data->EnumFirst(&at, kLevelEvent, &e, &cursor, kEvNoteOn); hr == S_OK;
       hr = s.data->EnumNext(&at, kLevelEvent, &e, &cursor, kEvNoteOn))
    notes.push_back(std::to_string(e.data[0]));
  list.Check(Joined(notes) == "60 | 64 | 67", "Note On filter skips the rest: " + Joined(notes));
  list.Check(s.host.OutstandingBlocks() == 0, "every name and payload handed out was freed");
  list.Check(s.host.Log().UnbracketedCount() == 0, "every data call stood inside a bracket");
}

void CheckEditUndoRedo(SelfCheckSession& s, Checklist& list) {
  list.Section("Labelled edit, undo, redo");
  const Song before = s.host.song();
  s.host.Log().Clear();
  s.probe->records.clear();
  ItemPath at{s.piano.trackId, s.pianoBlock.blockId, 0};
  {
    Bracket edit(s.data.get(), 1, L"Draw MIDI Event");
    MidiEvent note = Note(1920, 480, 72);
    if (SUCCEEDED(s.data->InsertItem(&at, kLevelEvent, &note))) edit.Commit();
  }
  const Song after = s.host.song();
  const auto calls = s.host.Log().Texts(CallFilter::Edits);
  list.Check(Joined(calls) == "BeginEdit(1,Draw MIDI Event) | InsertItem(3,t1,b1) | EndEdit(1)",
             "call log: " + Joined(calls));
  list.Check(at.eventId != 0 && s.host.Event(at).has_value(), "InsertItem wrote the new event id " +
                                                                  std::to_string(at.eventId));
  list.Check(s.probe->records.size() == 1 && NoticeText(s.probe->records[0]) == "Inserted(3," + PathText(3, at) + ")",
             "the sink saw the insert with its new path");
  const auto labels = s.host.UndoLabels();
  list.Check(labels.size() == 1 && labels[0] == L"Draw MIDI Event", "one undo step labelled \"Draw MIDI Event\"");

  s.probe->records.clear();
  list.Check(s.host.Undo() == S_OK && s.host.song() == before, "Undo restores the project exactly");
  list.Check(s.probe->records.size() == 1 && NoticeText(s.probe->records[0]) == "Deleted(3," + PathText(3, at) + ")",
             "the sink saw the undo as a delete");
  list.Check(s.host.Redo() == S_OK && s.host.song() == after, "Redo brings the note back with its id");
}

void CheckProperties(SelfCheckSession& s, Checklist& list) {
  list.Section("Properties");
  HostLoopProperty loop{};
  list.Check(SUCCEEDED(s.properties->GetProperty(PROP_Loop, 0, 0, 0, sizeof loop, &loop)) && loop.start == 0 &&
                 loop.end == 3840 && loop.timeFormat == kTimeTicks,
             "loop region reads 0..3840 ticks");
  const HostLoopProperty newLoop{960, 1920, kTimeTicks, 0};
  s.probe->records.clear();
  list.Check(SUCCEEDED(s.properties->SetProperty(PROP_Loop, 0, 0, sizeof newLoop, &newLoop)) &&
                 s.host.Loop().start == 960 && s.host.Loop().end == 1920,
             "loop region set to 960..1920");
  list.Check(s.probe->records.size() == 1 && NoticeText(s.probe->records[0]) == "LoopChanged",
             "the loop change was notified");
  const HostPositionProperty pos{1440, kTimeTicks, 0};
  list.Check(SUCCEEDED(s.properties->SetProperty(PROP_Position, 0, 0, sizeof pos, &pos)) &&
                 s.probe->positions.size() == 1 && s.host.Position() == 1440,
             "a position change calls the position sink");
  uint32_t bits = kTransportPlaying | kTransportLoopOn;
  list.Check(SUCCEEDED(s.properties->SetProperty(PROP_Transport, 0, 0, 4, &bits)) &&
                 s.host.TransportBits() == bits,
             "transport playing with loop on");
  HostMeterProperty meter{};
  list.Check(SUCCEEDED(s.properties->GetProperty(PROP_Meter, 0, 0, 0, sizeof meter, &meter)) && meter.one == 1 &&
                 meter.beatsPerMeasure == 4 && meter.beatUnitCode == 2,
             "time signature 4/4");
  list.Check(s.properties->GetProperty(PROP_Loop, 0, 0, 0, 16, &loop) == E_INVALIDARG,
             "a wrong size is refused with E_INVALIDARG");
}

void CheckTimeConversion(SelfCheckSession& s, Checklist& list) {
  list.Section("Time conversion at 120 quarter notes per minute");
  LONGLONG units = 0, ticks = 0;
  list.Check(SUCCEEDED(s.time->Convert(960, 0, kTimeTicks, 0, &units, kTimeAbsolute, 0)) && units == 5000000,
             "960 ticks are 5,000,000 units of 100 ns");
  list.Check(SUCCEEDED(s.time->Convert(5000000, 0, kTimeAbsolute, 0, &ticks, kTimeTicks, 0)) && ticks == 960,
             "and back");
  LONG measure = 0, beat = 0, tick = 0;
  list.Check(SUCCEEDED(s.time->ToMeasureBeatTick(3840 + 960 + 5, 0, kTimeTicks, 0, &measure, &beat, &tick)) &&
                 measure == 2 && beat == 2 && tick == 5,
             "tick 4805 is measure 2, beat 2, tick 5");
}

void CheckPorts(SelfCheckSession& s, Checklist& list) {
  list.Section("Ports");
  DWORD count = 0;
  HostPortRecord* table = nullptr;
  const HRESULT hr = s.ports->GetPorts(1, &count, &table);
  list.Check(hr == S_OK && count == 2 && table, "two output ports");
  if (table) {
    list.Check(table[0].id == 0 && Utf8(table[0].name) == "Synth A", "port 0 is named \"Synth A\"");
    list.Check(table[1].id == 1 && table[1].name == nullptr, "port 1 has no name");
    for (DWORD i = 0; i < count; ++i) CoTaskMemFree(table[i].name);
    CoTaskMemFree(table);
  }
  list.Check(s.ports->GetPorts(0, &count, &table) == S_FALSE && count == 0 && !table,
             "no input ports: S_FALSE, count 0, no table");
}

void CheckDisconnect(SelfCheckSession& s, Checklist& list) {
  list.Section("Disconnect");
  list.Check(SUCCEEDED(s.probe->UnadviseFrom(s.host.site())), "both sinks unadvised");
  s.data.Reset();
  s.properties.Reset();
  s.time.Reset();
  s.ports.Reset();
  const LeakReport leaks = s.host.Leaks();
  list.Check(leaks.Clean(), "nothing leaked" + (leaks.Clean() ? std::string() : ": " + leaks.Describe()));
}

}  // namespace refhost
