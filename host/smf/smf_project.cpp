#include "host/smf/smf_project.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <limits>
#include <map>

namespace {

// Manufacturer id 0x7D (non-commercial) and the product's mark.
constexpr std::array<uint8_t, 5> kSettingsMark = {0x7D, 'V', 'Z', 'P', 'R'};
constexpr uint8_t kTrackNameMeta = 0x03;

uint32_t TypeOf(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80: return kEvNoteOff;
    case 0x90: return kEvNoteOn;
    case 0xA0: return kEvPolyPressure;
    case 0xB0: return kEvControlChange;
    case 0xC0: return kEvProgramChange;
    case 0xD0: return kEvAfterTouch;
    default: return kEvPitchBend;
  }
}

MidiEvent Record(uint32_t type, int64_t tick) {
  MidiEvent e{};
  e.type = type;
  e.start = tick;
  e.timeFormat = kTimeTicks;
  return e;
}

ProjectEvent LongEvent(uint32_t type, int64_t tick, std::vector<uint8_t> payload) {
  ProjectEvent e{Record(type, tick), std::move(payload)};
  e.record.duration = static_cast<int32_t>(std::min<size_t>(e.payload.size(), std::numeric_limits<int32_t>::max()));
  e.payload.resize(static_cast<size_t>(e.record.duration));
  return e;
}

std::wstring Latin1(const std::vector<uint8_t>& bytes) { return std::wstring(bytes.begin(), bytes.end()); }

// Reads one file track's events into a project track. Notes pair first in,
// first out per channel and pitch; a note still sounding at the end of the
// track ends there.
constexpr int kAllChannels = -1, kNoChannel = -2;

// channels: one channel (0-15), all of them, or none; keepSystem keeps the
// sysex and meta events.
void AddTrackEvents(const SmfTrack& in, ProjectTrack* out, std::vector<uint8_t>* settings, int channels,
                    bool keepSystem) {
  std::map<int, std::deque<size_t>> open;  // channel * 128 + pitch -> indices of sounding notes
  for (const SmfEvent& e : in.events) {
    if (e.status >= 0x80 && e.status < 0xF0) {
      const uint8_t channel = e.status & 0x0F;
      if (channels != kAllChannels && channel != channels) continue;
      const uint8_t d0 = e.data.size() > 0 ? e.data[0] : 0, d1 = e.data.size() > 1 ? e.data[1] : 0;
      const uint8_t kind = e.status & 0xF0;
      const bool off = kind == 0x80 || (kind == 0x90 && d1 == 0);
      const int key = channel * 128 + d0;
      if (off) {
        auto found = open.find(key);
        if (found != open.end() && !found->second.empty()) {
          MidiEvent& note = out->events[found->second.front()].record;
          found->second.pop_front();
          note.duration = static_cast<int32_t>(std::min<int64_t>(e.tick - note.start, INT32_MAX));
          note.data[kReleaseVelocity] = kind == 0x80 ? d1 : 0;
          note.data[kOffForm] = kind == 0x90 ? kOffAsZeroVelocityOn : 0;
          continue;
        }
      }
      // A Note Off with nothing sounding stays an event, in the form it came in.
      ProjectEvent p{Record(off ? kEvNoteOff : TypeOf(e.status), e.tick), {}};
      p.record.channel = channel;
      p.record.data[0] = d0;
      p.record.data[1] = d1;
      if (off && kind == 0x90) p.record.data[kOffForm] = kOffAsZeroVelocityOn;
      if (kind == 0x90 && !off) {
        p.record.duration = -1;  // until its Note Off
        open[key].push_back(out->events.size());
      }
      out->events.push_back(std::move(p));
    } else if (!keepSystem) {
      continue;
    } else if (e.status == 0xF0 || e.status == 0xF7) {
      out->events.push_back(LongEvent(e.status == 0xF0 ? kEvSysex : kEvSysexContinue, e.tick, e.data));
    } else if (IsSettingsEvent(e)) {
      settings->assign(e.data.begin() + kSettingsMark.size(), e.data.end());
    } else {
      std::vector<uint8_t> payload{e.metaType};
      payload.insert(payload.end(), e.data.begin(), e.data.end());
      if (e.metaType == kTrackNameMeta && out->name.empty()) out->name = Latin1(e.data);
      out->events.push_back(LongEvent(kEvMeta, e.tick, std::move(payload)));
    }
  }
  for (ProjectEvent& p : out->events) {
    if (p.record.type == kEvNoteOn && p.record.duration < 0)
      p.record.duration = static_cast<int32_t>(std::clamp<int64_t>(in.endTick - p.record.start, 0, INT32_MAX));
  }
  out->end = in.endTick;
}

}  // namespace

uint8_t ChannelStatusOf(uint32_t type) {
  switch (type) {
    case kEvNoteOff: return 0x80;
    case kEvNoteOn: return 0x90;
    case kEvPolyPressure: return 0xA0;
    case kEvControlChange: return 0xB0;
    case kEvProgramChange: return 0xC0;
    case kEvAfterTouch: return 0xD0;
    case kEvPitchBend: return 0xE0;
    default: return 0;
  }
}

bool ProjectEvent::operator==(const ProjectEvent& other) const {
  return std::memcmp(&record, &other.record, sizeof record) == 0 && payload == other.payload;
}

bool IsSettingsEvent(const SmfEvent& e) {
  return e.status == kSmfMeta && e.metaType == kSmfSequencerSpecific && e.data.size() >= kSettingsMark.size() &&
         std::equal(kSettingsMark.begin(), kSettingsMark.end(), e.data.begin());
}

ProjectImage ProjectFromSmf(const SmfFile& file) {
  ProjectImage project;
  project.ticksPerQuarter = file.ticksPerQuarter;
  if (file.format != 0 || file.tracks.empty()) {
    for (const SmfTrack& track : file.tracks) {
      project.tracks.emplace_back();
      AddTrackEvents(track, &project.tracks.back(), &project.settings, kAllChannels, true);
    }
    return project;
  }
  // Format 0: the song's own events first, then a track for each channel in use.
  const SmfTrack& only = file.tracks.front();
  project.tracks.emplace_back();
  AddTrackEvents(only, &project.tracks.back(), &project.settings, kNoChannel, true);
  bool used[16] = {};
  for (const SmfEvent& e : only.events)
    if (e.status >= 0x80 && e.status < 0xF0) used[e.status & 0x0F] = true;
  for (int channel = 0; channel < 16; ++channel) {
    if (!used[channel]) continue;
    ProjectTrack track;
    const std::string name = "Channel " + std::to_string(channel + 1);
    std::vector<uint8_t> payload{kTrackNameMeta};
    payload.insert(payload.end(), name.begin(), name.end());
    track.events.push_back(LongEvent(kEvMeta, 0, payload));
    track.name = std::wstring(name.begin(), name.end());
    AddTrackEvents(only, &track, &project.settings, channel, false);
    project.tracks.push_back(std::move(track));
  }
  return project;
}

SmfFile SmfFromProject(const ProjectImage& project) {
  SmfFile file;
  file.format = 1;
  file.ticksPerQuarter = project.ticksPerQuarter ? project.ticksPerQuarter : 480;
  for (size_t t = 0; t < project.tracks.size(); ++t) {
    const ProjectTrack& track = project.tracks[t];
    // Each entry sorts by tick, then by sequence: Note Offs (0) before the
    // events of their tick, except that a note of no length ends right after
    // it begins.
    struct Entry {
      int64_t tick;
      uint64_t sequence;
      SmfEvent event;
    };
    std::vector<Entry> entries;
    int64_t end = track.end;
    if (t == 0 && !project.settings.empty()) {
      SmfEvent settings{0, kSmfMeta, kSmfSequencerSpecific, {kSettingsMark.begin(), kSettingsMark.end()}};
      settings.data.insert(settings.data.end(), project.settings.begin(), project.settings.end());
      entries.push_back({0, 1, std::move(settings)});
    }
    for (size_t i = 0; i < track.events.size(); ++i) {
      const MidiEvent& r = track.events[i].record;
      const uint64_t sequence = 2 * (i + 1) + 1;
      // A file holds no time past its one-delta limit.
      const int64_t tick = std::clamp<int64_t>(r.start, 0, kSmfMaxTick);
      SmfEvent e{tick, 0, 0, {}};
      if (r.type == kEvMeta) {
        if (track.events[i].payload.empty()) continue;
        e.status = kSmfMeta;
        e.metaType = track.events[i].payload[0];
        e.data.assign(track.events[i].payload.begin() + 1, track.events[i].payload.end());
      } else if (r.type == kEvSysex || r.type == kEvSysexContinue) {
        e.status = r.type == kEvSysex ? 0xF0 : 0xF7;
        e.data = track.events[i].payload;
      } else if (uint8_t status = ChannelStatusOf(r.type)) {
        if (r.type == kEvNoteOff && r.data[kOffForm] == kOffAsZeroVelocityOn) status = 0x90;
        e.status = static_cast<uint8_t>(status | (r.channel & 0x0F));
        const bool one = status == 0xC0 || status == 0xD0;
        const bool zeroOn = r.type == kEvNoteOff && status == 0x90;
        e.data = one ? std::vector<uint8_t>{static_cast<uint8_t>(r.data[0] & 0x7F)}
                     : std::vector<uint8_t>{static_cast<uint8_t>(r.data[0] & 0x7F),
                                            static_cast<uint8_t>(zeroOn ? 0 : r.data[1] & 0x7F)};
        if (r.type == kEvNoteOn) {
          const int32_t length = std::max(r.duration, 0);
          const bool zeroOn = r.data[kOffForm] == kOffAsZeroVelocityOn;
          SmfEvent off{std::min<int64_t>(tick + length, kSmfMaxTick), static_cast<uint8_t>((zeroOn ? 0x90 : 0x80) | (r.channel & 0x0F)), 0,
                       {static_cast<uint8_t>(r.data[0] & 0x7F),
                        static_cast<uint8_t>(zeroOn ? 0 : r.data[kReleaseVelocity] & 0x7F)}};
          end = std::max(end, off.tick);
          entries.push_back({off.tick, length == 0 ? sequence + 1 : 0, std::move(off)});
        }
      } else {
        continue;  // nothing a file can hold
      }
      end = std::max(end, tick);
      entries.push_back({tick, sequence, std::move(e)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.sequence < b.sequence;
    });
    SmfTrack out;
    out.endTick = std::clamp<int64_t>(end, 0, kSmfMaxTick);
    for (Entry& entry : entries) out.events.push_back(std::move(entry.event));
    file.tracks.push_back(std::move(out));
  }
  return file;
}
