// Building and reading the project from the test's side, and the host user's
// own changes to tracks and blocks.
#include "host_fixture.h"

namespace refhost {
namespace {

using Texts = std::vector<std::string>;

std::vector<uint32_t> Ids(const std::vector<EventView>& events) {
  std::vector<uint32_t> ids;
  for (const EventView& e : events) ids.push_back(e.path.eventId);
  return ids;
}

class ProjectTest : public HostFixture {};

TEST_F(ProjectTest, EventsOfATrackComeInTimeOrderOverAllItsBlocks) {
  MidiEvent absolute = Note(0, 10, 50);
  absolute.start = 2500000;  // a quarter of a second: 480 ticks
  absolute.timeFormat = kTimeAbsolute;
  const ItemPath early = host.AddEvent(b2, Note(100, 10, 40));  // filed in b2, though b2 starts later
  const ItemPath inAbsoluteTime = host.AddEvent(b1, absolute);
  EXPECT_EQ(early.blockId, b2.blockId);
  EXPECT_EQ(host.Block(b2)->info.start, 100);  // widened to hold it
  const auto events = host.Events(t1.trackId);
  EXPECT_EQ(Ids(events), (std::vector<uint32_t>{1, early.eventId, 2, 3, 4, inAbsoluteTime.eventId, 5, 6}));
  EXPECT_EQ(events[5].record.timeFormat, kTimeAbsolute);
  EXPECT_EQ(events[4].payload, sysex);
  EXPECT_EQ(host.Events(99).size(), 0u);
}

TEST_F(ProjectTest, BuildingIsSilentAndForgetsTheUndoHistory) {
  Advise();
  host.DeleteEvent(e1);
  ASSERT_EQ(host.UndoLabels().size(), 1u);
  const ItemPath track = host.AddTrack({.name = L"Pads", .channel = 2});
  const ItemPath note = host.AddEvent({track.trackId, 0, 0}, Note(960, 480, 48));  // a block is made for it
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_EQ(ProbeTexts(), Texts{"Deleted(3,t1,b1,e1)"});
  EXPECT_EQ(host.Track(track.trackId)->info.orderKey, 2);
  EXPECT_EQ(host.Track(track.trackId)->blocks.size(), 1u);
  EXPECT_EQ(host.Event(note)->record.data[0], 48);
  EXPECT_EQ(host.AddEvent({99, 0, 0}, Note(0, 1, 1)).eventId, 0u);
}

TEST_F(ProjectTest, EventHelpersWriteTheWireLayout) {
  const MidiEvent n = Note(480, 240, 60, 90, 3);
  EXPECT_EQ(n.type, kEvNoteOn);
  EXPECT_EQ(n.timeFormat, kTimeTicks);
  EXPECT_EQ(n.channel, 3);
  EXPECT_EQ(n.data[1], 90);
  EXPECT_EQ(n.duration, 240);
  const MidiEvent low = PitchBend(0, -8192), mid = PitchBend(0, 0), high = PitchBend(0, 8191);
  EXPECT_EQ((std::vector<int>{low.data[0], low.data[1], mid.data[0], mid.data[1], high.data[0], high.data[1]}),
            (std::vector<int>{0, 0, 0, 64, 127, 127}));
  EXPECT_EQ(Selected(Selected(n), false).flags, 0u);
  const ItemPath meta = host.AddEvent(b1, LongEvent(kEvMeta, 10), {0x51, 0x03});
  EXPECT_EQ(host.Event(meta)->record.duration, 2);  // length from the payload
  EXPECT_EQ(host.Time().ticksPerQuarter, 960u);
}

TEST_F(ProjectTest, TheHostUserChangesTracksAndBlocksWithReports) {
  Advise();
  ASSERT_EQ(host.ChangeTrack(t2, {.name = L"Fretless", .channel = 4, .solo = true}), S_OK);
  EXPECT_EQ(host.Track(t2.trackId)->name, L"Fretless");
  EXPECT_EQ(host.Track(t2.trackId)->info.orderKey, 0);  // kept unless given
  EXPECT_EQ(TrackFlags(host.Track(t2.trackId)->info), kTrackSolo);
  const ItemPath block = host.InsertBlock(t2, {.start = 3840, .end = 7680, .name = L"Fill"});
  ASSERT_EQ(host.DeleteBlock(b3), S_OK);
  EXPECT_EQ(host.DeleteBlock(b3), E_INVALIDARG);
  EXPECT_EQ(host.ChangeTrack({99, 0, 0}, {}), E_INVALIDARG);
  EXPECT_EQ(ProbeTexts(), (Texts{"Changed(1,t2)", "Inserted(2,t2,b" + std::to_string(block.blockId) + ")",
                                 "Deleted(2,t2,b3)"}));
  EXPECT_EQ(host.UndoLabels().size(), 3u);
  host.Undo();
  host.Undo();
  host.Undo();
  EXPECT_EQ(host.Track(t2.trackId)->name, L"Bass");
  EXPECT_EQ(host.Track(t2.trackId)->blocks.size(), 1u);
  EXPECT_EQ(host.Events(t2.trackId).size(), 1u);
}

TEST_F(ProjectTest, TheDumpShowsEveryItem) {
  const std::string dump = Describe(host.song());
  EXPECT_NE(dump.find("track t1 \"Piano\" channel 0"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  block b2 \"Chorus\" kind 2 3840..7680"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    e3 NoteOn @480 64/100+240 ch0 sel"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    e4 Sysex @480 bytes 6 ch0"), std::string::npos) << dump;
}

}  // namespace
}  // namespace refhost
