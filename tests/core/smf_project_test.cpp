// Between files and projects: notes pair first in, first out with both forms
// of Note Off kept; sysex, meta events and the settings event survive; a
// project written and read again is the same project; format 0 splits by
// channel; the tempo map converts both ways; real files from elsewhere
// round-trip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/smf/smf_project.h"
#include "host/smf/tempo_map.h"

namespace {

using Bytes = std::vector<uint8_t>;

SmfEvent Ch(int64_t tick, uint8_t status, uint8_t a, uint8_t b = 0) {
  const bool one = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0;
  return SmfEvent{tick, status, 0, one ? Bytes{a} : Bytes{a, b}};
}
SmfEvent Meta(int64_t tick, uint8_t type, Bytes data) { return SmfEvent{tick, kSmfMeta, type, std::move(data)}; }

// The first difference between two projects, or "" when they are equal.
std::string Difference(const ProjectImage& a, const ProjectImage& b) {
  if (a.ticksPerQuarter != b.ticksPerQuarter || a.settings != b.settings) return "header";
  if (a.tracks.size() != b.tracks.size()) return "track count";
  for (size_t t = 0; t < a.tracks.size(); ++t) {
    const ProjectTrack &x = a.tracks[t], &y = b.tracks[t];
    if (x.name != y.name || x.end != y.end) return "track " + std::to_string(t) + " header";
    for (size_t i = 0; i < std::max(x.events.size(), y.events.size()); ++i) {
      if (i >= x.events.size() || i >= y.events.size() || !(x.events[i] == y.events[i])) {
        auto text = [&](const std::vector<ProjectEvent>& v) {
          if (i >= v.size()) return std::string("none");
          const MidiEvent& r = v[i].record;
          return std::to_string(r.type) + "@" + std::to_string(r.start) + "+" + std::to_string(r.duration) + " ch" +
                 std::to_string(r.channel) + " " + std::to_string(r.data[0]) + "," + std::to_string(r.data[1]) +
                 "," + std::to_string(r.data[2]) + "," + std::to_string(r.data[3]);
        };
        return "track " + std::to_string(t) + " event " + std::to_string(i) + ": " + text(x.events) + " vs " +
               text(y.events);
      }
    }
  }
  return "";
}

ProjectImage RoundTrip(const ProjectImage& project) {
  const Bytes bytes = WriteSmf(SmfFromProject(project));
  SmfFile file;
  SmfError error;
  EXPECT_TRUE(ReadSmf(bytes.data(), bytes.size(), &file, &error)) << error.message << " at " << error.offset;
  return ProjectFromSmf(file);
}

TEST(SmfProject, NotesPairAndEverythingElseKeepsItsBytes) {
  SmfFile file;
  file.ticksPerQuarter = 96;
  SmfTrack conductor;
  conductor.events = {Meta(0, 0x51, {0x07, 0xA1, 0x20}), Meta(0, 0x58, {3, 2, 24, 8}), Meta(0, 0x59, {0xFE, 1}),
                      Meta(0, 0x03, {'S', 'o', 'n', 'g'}),
                      Meta(0, 0x7F, {0x7D, 'V', 'Z', 'P', 'R', 5, 0, 0, 0}), Meta(384, 0x51, {0x0F, 0x42, 0x40})};
  conductor.endTick = 768;
  SmfTrack piano;
  piano.events = {Meta(0, 0x03, {'P', 'i', 'a', 'n', 'o'}),
                  Ch(0, 0x90, 60, 100),   // A: ends with 8n, release 40
                  Ch(0, 0x91, 64, 90),    // B: channel 2, ends with 9n 0
                  Ch(48, 0x90, 60, 80),   // C: same pitch, overlapping A
                  Ch(96, 0x80, 60, 40),   // ends A (first in, first out)
                  Ch(96, 0x91, 64, 0),    // ends B
                  Ch(120, 0x80, 61, 0),   // a Note Off with nothing sounding stays an event
                  Ch(144, 0xB0, 7, 99), Ch(144, 0xE0, 0x00, 0x50), Ch(150, 0xC0, 5), Ch(151, 0xD0, 33),
                  Ch(152, 0xA0, 60, 12), SmfEvent{160, 0xF0, 0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                  SmfEvent{161, 0xF7, 0, {0x01, 0xF7}},
                  Ch(200, 0x80, 60, 0),   // ends C
                  Ch(300, 0x90, 72, 70)};  // still sounding at the end
  piano.endTick = 400;
  file.tracks = {conductor, piano};

  const ProjectImage project = ProjectFromSmf(file);
  ASSERT_EQ(2u, project.tracks.size());
  EXPECT_EQ((Bytes{5, 0, 0, 0}), project.settings);
  EXPECT_EQ(L"Song", project.tracks[0].name);
  EXPECT_EQ(5u, project.tracks[0].events.size());  // the settings event is not a project event
  const ProjectTrack& p = project.tracks[1];
  EXPECT_EQ(L"Piano", p.name);
  EXPECT_EQ(400, p.end);
  struct Expect {
    uint32_t type;
    int64_t start;
    int32_t duration;
    int channel;
    uint8_t d0, d1, release, form;
  };
  const Expect expected[] = {
      {kEvMeta, 0, 6, 0, 3, 'P', 'i', 'a'},
      {kEvNoteOn, 0, 96, 0, 60, 100, 40, 0},
      {kEvNoteOn, 0, 96, 1, 64, 90, 0, kOffAsZeroVelocityOn},
      {kEvNoteOn, 48, 152, 0, 60, 80, 0, 0},
      {kEvNoteOff, 120, 0, 0, 61, 0, 0, 0},
      {kEvControlChange, 144, 0, 0, 7, 99, 0, 0},
      {kEvPitchBend, 144, 0, 0, 0x00, 0x50, 0, 0},
      {kEvProgramChange, 150, 0, 0, 5, 0, 0, 0},
      {kEvAfterTouch, 151, 0, 0, 33, 0, 0, 0},
      {kEvPolyPressure, 152, 0, 0, 60, 12, 0, 0},
      {kEvSysex, 160, 5, 0, 0x7E, 0x7F, 0x09, 0x01},
      {kEvSysexContinue, 161, 2, 0, 0x01, 0xF7, 0, 0},
      {kEvNoteOn, 300, 100, 0, 72, 70, 0, 0},
  };
  ASSERT_EQ(std::size(expected), p.events.size());
  for (size_t i = 0; i < std::size(expected); ++i) {
    const Expect& x = expected[i];
    const MidiEvent& r = p.events[i].record;
    const uint8_t* d = IsLongEvent(r) ? p.events[i].payload.data() : r.data;
    const size_t n = IsLongEvent(r) ? std::min<size_t>(4, p.events[i].payload.size()) : 4;
    EXPECT_EQ(x.type, r.type) << i;
    EXPECT_EQ(x.start, r.start) << i;
    EXPECT_EQ(x.duration, r.duration) << i;
    EXPECT_EQ(x.channel, r.channel) << i;
    Bytes want{x.d0, x.d1, x.release, x.form};
    want.resize(n);
    EXPECT_EQ(want, Bytes(d, d + n)) << i;
  }

  // Written and read again, the project is the same, the settings included.
  EXPECT_EQ("", Difference(project, RoundTrip(project)));
  // The Note Offs come back in the form they came in.
  const SmfFile written = SmfFromProject(project);
  EXPECT_NE(written.tracks[1].events.end(),
            std::find(written.tracks[1].events.begin(), written.tracks[1].events.end(), Ch(96, 0x91, 64, 0)));
  EXPECT_NE(written.tracks[1].events.end(),
            std::find(written.tracks[1].events.begin(), written.tracks[1].events.end(), Ch(96, 0x80, 60, 40)));
}

TEST(SmfProject, NotesOfNoLengthEndAfterTheyBeginAndEditedNotesWriteOffsFirst) {
  ProjectImage project;
  project.tracks.resize(1);
  auto note = [](int64_t start, int32_t duration, uint8_t pitch) {
    ProjectEvent e;
    e.record.type = kEvNoteOn;
    e.record.start = start;
    e.record.duration = duration;
    e.record.timeFormat = kTimeTicks;
    e.record.data[0] = pitch;
    e.record.data[1] = 90;
    return e;
  };
  project.tracks[0].events = {note(0, 0, 60), note(0, 480, 62), note(480, 480, 62)};
  const SmfFile file = SmfFromProject(project);
  const std::vector<SmfEvent> expected = {Ch(0, 0x90, 60, 90), Ch(0, 0x80, 60, 0), Ch(0, 0x90, 62, 90),
                                          Ch(480, 0x80, 62, 0), Ch(480, 0x90, 62, 90), Ch(960, 0x80, 62, 0)};
  EXPECT_EQ(expected, file.tracks[0].events);
  EXPECT_EQ(960, file.tracks[0].endTick);
  EXPECT_EQ(project.tracks[0].events, RoundTrip(project).tracks[0].events);
}

TEST(SmfProject, FormatZeroSplitsByChannel) {
  SmfFile file;
  file.format = 0;
  SmfTrack only;
  only.events = {Meta(0, 0x51, {0x07, 0xA1, 0x20}), Ch(0, 0x92, 40, 90), Ch(0, 0x90, 60, 90),
                 SmfEvent{10, 0xF0, 0, {0x43, 0xF7}}, Ch(96, 0x82, 40, 0), Ch(96, 0x80, 60, 0)};
  only.endTick = 100;
  file.tracks = {only};
  const ProjectImage project = ProjectFromSmf(file);
  ASSERT_EQ(3u, project.tracks.size());
  EXPECT_EQ(2u, project.tracks[0].events.size());  // the tempo and the sysex
  EXPECT_EQ(L"Channel 1", project.tracks[1].name);
  EXPECT_EQ(L"Channel 3", project.tracks[2].name);
  ASSERT_EQ(2u, project.tracks[2].events.size());  // its name and its note
  EXPECT_EQ(40, project.tracks[2].events[1].record.data[0]);
  EXPECT_EQ(96, project.tracks[2].events[1].record.duration);
  EXPECT_EQ(100, project.tracks[2].end);
  EXPECT_EQ("", Difference(project, RoundTrip(project)));
}

TEST(SmfProject, TempoMapConvertsBothWays) {
  // 120 beats a minute, then 60 from tick 960, then a change of nothing.
  const TempoMap map(480, {{960, 1000000}, {0, 500000}, {1440, 0}});
  const struct {
    int64_t tick;
    double micros;
  } cases[] = {{0, 0}, {480, 500000}, {960, 1000000}, {1440, 2000000}, {1920, 3000000}};
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(c.micros, map.MicrosAt(c.tick)) << c.tick;
    EXPECT_EQ(c.tick, map.TickAt(c.micros)) << c.tick;
  }
  EXPECT_EQ(1200, map.TickAt(1500000));
  EXPECT_EQ(1000000u, map.MicrosPerQuarterAt(5000));
  EXPECT_EQ(0, map.TickAt(-5));
}

// Real files written by other programs, when the system has them.
TEST(SmfProject, RealFilesFromElsewhereRoundTrip) {
  const std::filesystem::path folder = "/usr/share/games/openttd/baseset/openmsx";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "openttd-openmsx is not installed";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".mid") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SmfFile file;
    SmfError error;
    ASSERT_TRUE(ReadSmf(bytes.data(), bytes.size(), &file, &error)) << entry.path() << ": " << error.message;
    const ProjectImage project = ProjectFromSmf(file);
    size_t events = 0;
    for (const ProjectTrack& t : project.tracks) events += t.events.size();
    EXPECT_GT(events, 0u) << entry.path();
    EXPECT_EQ("", Difference(project, RoundTrip(project))) << entry.path();
    ++files;
  }
  EXPECT_EQ(31, files);
}

}  // namespace
