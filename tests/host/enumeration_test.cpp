// Walking and reading the project through HostMidiData, as the event store does.
#include <cstring>

#include "host/host_text.h"
#include "host_fixture.h"

namespace refhost {
namespace {

class EnumerationTest : public HostFixture {
 protected:
  EnumerationTest() { data->BeginEdit(0, nullptr); }
  ~EnumerationTest() override { data->EndEdit(0); }

  struct Step {
    HRESULT hr;
    uint32_t id;
    DWORD cursor;
  };
  // One enumeration call at level 3 under b1.
  Step Walk(HRESULT (STDMETHODCALLTYPE HostMidiData::*step)(ItemPath*, LONG, void*, DWORD*, DWORD), DWORD cursor,
            DWORD filter = kEvAllTypes) {
    ItemPath path{b1.trackId, b1.blockId, 0};
    MidiEvent record{};
    const HRESULT hr = (data.get()->*step)(&path, kLevelEvent, &record, &cursor, filter);
    if (IsLongEvent(record)) CoTaskMemFree(record.payload);
    return {hr, path.eventId, cursor};
  }
  static void ExpectStep(const Step& s, HRESULT hr, uint32_t id, DWORD cursor) {
    EXPECT_EQ(s.hr, hr);
    EXPECT_EQ(s.id, id);
    EXPECT_EQ(s.cursor, cursor);
  }
};

TEST_F(EnumerationTest, TracksComeInProjectOrderEachWithTheCursorOfTheNext) {
  ItemPath path{};
  TrackInfo track{};
  DWORD cursor = 99;
  ASSERT_EQ(data->EnumFirst(&path, kLevelTrack, &track, &cursor, 2), S_OK);
  EXPECT_EQ(path.trackId, t1.trackId);
  EXPECT_EQ(cursor, t2.trackId);
  EXPECT_EQ(track.channel, 0);
  EXPECT_EQ(track.name, nullptr);  // names only when asked for
  ASSERT_EQ(data->EnumNext(&path, kLevelTrack, &track, &cursor, 2), S_OK);
  EXPECT_EQ(path.trackId, t2.trackId);
  EXPECT_EQ(track.orderKey, 0);
  EXPECT_EQ(cursor, 0u);
  EXPECT_EQ(data->EnumNext(&path, kLevelTrack, &track, &cursor, 2), S_FALSE);
  EXPECT_EQ(path.trackId, 0u);
}

TEST_F(EnumerationTest, BlocksOfATrackWithAndWithoutNames) {
  ItemPath path{t1.trackId, 0, 0};
  BlockInfo block{};
  DWORD cursor = 0;
  ASSERT_EQ(data->EnumFirst(&path, kLevelBlock, &block, &cursor, 2), S_OK);
  EXPECT_EQ(path.blockId, b1.blockId);
  EXPECT_EQ(block.kind, 2u);
  EXPECT_EQ(block.start, 0);
  EXPECT_EQ(block.end, 3840);
  EXPECT_EQ(block.name, nullptr);
  EXPECT_EQ(cursor, b2.blockId);
  ASSERT_EQ(data->EnumNext(&path, kLevelBlock, &block, &cursor, kGetWithName), S_OK);
  EXPECT_EQ(path.blockId, b2.blockId);
  EXPECT_EQ(Utf8(block.name), "Chorus");
  CoTaskMemFree(block.name);
  EXPECT_EQ(data->EnumNext(&path, kLevelBlock, &block, &cursor, 2), S_FALSE);
}

TEST_F(EnumerationTest, ForwardFromFirstToTheEnd) {
  ExpectStep(Walk(&HostMidiData::EnumFirst, 0), S_OK, e1.eventId, e2.eventId);
  ExpectStep(Walk(&HostMidiData::EnumNext, e2.eventId), S_OK, e2.eventId, e3.eventId);
  ExpectStep(Walk(&HostMidiData::EnumNext, e4.eventId), S_OK, e4.eventId, e5.eventId);
  ExpectStep(Walk(&HostMidiData::EnumNext, e5.eventId), S_OK, e5.eventId, 0);
  ExpectStep(Walk(&HostMidiData::EnumNext, 0), S_FALSE, 0, 0);
}

TEST_F(EnumerationTest, ACursorSeededWithAnEventReturnsThatEventFirstInEitherDirection) {
  ExpectStep(Walk(&HostMidiData::EnumNext, e3.eventId), S_OK, e3.eventId, e4.eventId);
  ExpectStep(Walk(&HostMidiData::EnumPrev, e3.eventId), S_OK, e3.eventId, e2.eventId);
  ExpectStep(Walk(&HostMidiData::EnumPrev, e2.eventId), S_OK, e2.eventId, e1.eventId);
  ExpectStep(Walk(&HostMidiData::EnumPrev, e1.eventId), S_OK, e1.eventId, 0);
  ExpectStep(Walk(&HostMidiData::EnumPrev, 0), S_FALSE, 0, 0);
}

TEST_F(EnumerationTest, TheTypeMaskSkipsOtherEventsInBothDirections) {
  ExpectStep(Walk(&HostMidiData::EnumFirst, 0, kEvNoteOn), S_OK, e1.eventId, e3.eventId);
  ExpectStep(Walk(&HostMidiData::EnumNext, e3.eventId, kEvNoteOn), S_OK, e3.eventId, e5.eventId);
  ExpectStep(Walk(&HostMidiData::EnumNext, e5.eventId, kEvNoteOn), S_OK, e5.eventId, 0);
  // A seed of a filtered type starts at the next admitted event in the walk's direction.
  ExpectStep(Walk(&HostMidiData::EnumNext, e2.eventId, kEvNoteOn), S_OK, e3.eventId, e5.eventId);
  ExpectStep(Walk(&HostMidiData::EnumPrev, e4.eventId, kEvNoteOn), S_OK, e3.eventId, e1.eventId);
  ExpectStep(Walk(&HostMidiData::EnumFirst, 0, kEvSysex | kEvControlChange), S_OK, e2.eventId, e4.eventId);
  ExpectStep(Walk(&HostMidiData::EnumFirst, 0, kEvPitchBend), S_FALSE, 0, 0);
}

TEST_F(EnumerationTest, EnumeratedRecordsAreTheProjectsWithPayloadsHandedOut) {
  ItemPath path{b1.trackId, b1.blockId, 0};
  MidiEvent record{};
  DWORD cursor = e4.eventId;
  ASSERT_EQ(data->EnumNext(&path, kLevelEvent, &record, &cursor, kEvAllTypes), S_OK);
  EXPECT_EQ(record.type, kEvSysex);
  EXPECT_EQ(record.duration, static_cast<int32_t>(sysex.size()));
  ASSERT_NE(record.payload, nullptr);
  EXPECT_EQ(std::memcmp(record.payload, sysex.data(), sysex.size()), 0);
  EXPECT_EQ(host.OutstandingBlocks(), 1u);
  CoTaskMemFree(record.payload);
  EXPECT_EQ(host.OutstandingBlocks(), 0u);

  path = {b1.trackId, b1.blockId, 0};
  cursor = e3.eventId;
  ASSERT_EQ(data->EnumNext(&path, kLevelEvent, &record, &cursor, kEvAllTypes), S_OK);
  const MidiEvent stored = Record(e3);
  EXPECT_EQ(std::memcmp(&record, &stored, sizeof record), 0);
  EXPECT_EQ(record.flags & kEventSelected, kEventSelected);
}

TEST_F(EnumerationTest, UnknownParentsAndLevelsAreRefusedAndEmptyBlocksEndAtOnce) {
  const ItemPath empty = host.AddBlock(t2, {.start = 3840, .end = 7680});
  ItemPath path{empty.trackId, empty.blockId, 0};
  MidiEvent record{};
  DWORD cursor = 5;
  EXPECT_EQ(data->EnumFirst(&path, kLevelEvent, &record, &cursor, kEvAllTypes), S_FALSE);
  EXPECT_EQ(path.eventId, 0u);
  EXPECT_EQ(cursor, 0u);

  path = {t1.trackId, b3.blockId, 0};  // b3 belongs to t2
  EXPECT_EQ(data->EnumFirst(&path, kLevelEvent, &record, &cursor, kEvAllTypes), E_INVALIDARG);
  path = {99, 0, 0};
  EXPECT_EQ(data->EnumFirst(&path, kLevelBlock, &record, &cursor, 2), E_INVALIDARG);
  EXPECT_EQ(data->EnumFirst(&path, 4, &record, &cursor, 2), E_INVALIDARG);
  EXPECT_EQ(data->EnumFirst(&path, kLevelTrack, &record, nullptr, 2), E_POINTER);
  // A cursor naming an event that is not in the block ends the walk.
  path = {b1.trackId, b1.blockId, 0};
  cursor = e6.eventId;
  EXPECT_EQ(data->EnumNext(&path, kLevelEvent, &record, &cursor, kEvAllTypes), S_FALSE);
}

TEST_F(EnumerationTest, GetItemReadsEachLevelWithNamesOnRequest) {
  TrackInfo track{};
  ItemPath path = t1;
  ASSERT_EQ(data->GetItem(&path, kLevelTrack, &track, kGetRecord), S_OK);
  EXPECT_EQ(track.name, nullptr);
  ASSERT_EQ(data->GetItem(&path, kLevelTrack, &track, kGetWithName), S_OK);
  EXPECT_EQ(Utf8(track.name), "Piano");
  CoTaskMemFree(track.name);

  BlockInfo block{};
  path = b2;
  ASSERT_EQ(data->GetItem(&path, kLevelBlock, &block, kGetWithName), S_OK);
  EXPECT_EQ(block.start, 3840);
  EXPECT_EQ(Utf8(block.name), "Chorus");
  CoTaskMemFree(block.name);

  MidiEvent event{};
  path = e4;
  ASSERT_EQ(data->GetItem(&path, kLevelEvent, &event, kGetEvent), S_OK);
  ASSERT_NE(event.payload, nullptr);
  EXPECT_EQ(std::memcmp(event.payload, sysex.data(), sysex.size()), 0);
  CoTaskMemFree(event.payload);

  path = e6;
  ASSERT_EQ(data->GetItem(&path, kLevelEvent, &event, kGetEvent), S_OK);
  EXPECT_EQ(event.start, 3840);
  EXPECT_EQ(event.data[0], 72);
  EXPECT_EQ(event.duration, 480);
  EXPECT_EQ(host.OutstandingBlocks(), 0u);
}

TEST_F(EnumerationTest, GetItemRefusesPathsThatDoNotNameAnItem) {
  MidiEvent event{};
  ItemPath stale{e6.trackId, b1.blockId, e6.eventId};  // e6 lives in b2
  EXPECT_EQ(data->GetItem(&stale, kLevelEvent, &event, kGetEvent), E_INVALIDARG);
  ItemPath missing{t1.trackId, b1.blockId, 999};
  EXPECT_EQ(data->GetItem(&missing, kLevelEvent, &event, kGetEvent), E_INVALIDARG);
  EXPECT_EQ(data->GetItem(&missing, kLevelEvent, nullptr, kGetEvent), E_POINTER);
  EXPECT_EQ(host.Log().Texts().back(), "GetItem(3,t1,b1,e999)");
}

TEST_F(EnumerationTest, PlaceholderSlotsAnswerNotImplemented) {
  EXPECT_EQ(data->Reserved9(), E_NOTIMPL);
  EXPECT_EQ(data->Reserved10(), E_NOTIMPL);
  EXPECT_EQ(time->Reserved5(), E_NOTIMPL);
  EXPECT_EQ(properties->Reserved3(), E_NOTIMPL);
  EXPECT_EQ(properties->Reserved4(), E_NOTIMPL);
}

}  // namespace
}  // namespace refhost
