// The event store's track and block caches and the event list of a view:
// what it lists, in which order, when it reads the host again.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/mididata/store_fixture.h"

using refhost::Controller;
using refhost::Note;
using refhost::TrackSpec;
using storetest::StoreTest;

namespace {

class StoreViewTest : public StoreTest {};

TEST_F(StoreViewTest, TracksAreCachedWithTheirBlocksAndTheChannelsTheyForce) {
  const ItemPath a = host.AddTrack({.name = L"Piano", .channel = 2});
  const ItemPath b = host.AddTrack({.name = L"Strings", .channel = 9});
  host.AddBlock(a, {.start = 0, .end = 1920});
  host.AddBlock(a, {.start = 1920, .end = 3840});
  host.AddBlock(b, {.start = 0, .end = 960});

  ASSERT_EQ(store.Refresh(false), S_OK);
  ASSERT_EQ(store.TrackCount(), 2);
  EXPECT_EQ(store.TrackIdAt(0), a.trackId);
  EXPECT_EQ(store.TrackIdAt(1), b.trackId);
  EXPECT_EQ(store.BlockCount(0), 2);
  EXPECT_EQ(store.BlockCount(1), 1);
  ItemPath block{};
  ASSERT_EQ(store.BlockPathAt(1, 0, &block), S_OK);
  EXPECT_EQ(block.trackId, b.trackId);
  EXPECT_NE(block.blockId, 0u);
  EXPECT_EQ(block.eventId, 0u);
  EXPECT_EQ(store.BlockPathAt(1, 1, &block), S_FALSE);
  EXPECT_EQ(store.ChannelsInUse(), (1u << 2) | (1u << 9));
  EXPECT_EQ(store.status() & 0x3u, 0x3u);
  // Every host read sits in a read bracket.
  EXPECT_EQ(host.Log().UnbracketedCount(), 0u);
  EXPECT_EQ(host.OpenBrackets(), 0);
}

TEST_F(StoreViewTest, TrackWithoutForcedChannelAdmitsAllEventsAndMarksAllChannels) {
  const ItemPath t = host.AddTrack({.channel = -1});
  const ItemPath bl = host.AddBlock(t, {.start = 0, .end = 3840});
  for (int ch = 0; ch < 16; ++ch) host.AddEvent(bl, Note(ch * 10, 5, 40 + ch, 100, ch));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  EXPECT_EQ(store.ChannelsInUse(), 0xFFFF);
  EXPECT_EQ(store.EventCount(), 16);

  // The channel mask filters by the event's own channel when the track forces none.
  store.SetChannelMask(1u << 3);
  EXPECT_EQ(ListedPitches(), std::vector<int>{43});
}

TEST_F(StoreViewTest, ForcedChannelDecidesAdmissionOverTheEventsOwn) {
  const ItemPath t = host.AddTrack({.channel = 5});
  const ItemPath bl = host.AddBlock(t, {.start = 0, .end = 3840});
  host.AddEvent(bl, Note(0, 10, 60, 100, 0));
  host.AddEvent(bl, Note(10, 10, 61, 100, 1));
  store.SetChannelMask(1u << 5);
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 61}));
  store.SetChannelMask(1u << 0);
  EXPECT_EQ(store.EventCount(), 0);
}

TEST_F(StoreViewTest, AllTracksListInDisplayOrder) {
  // At the same time the track with the lower order key comes first, whatever
  // the project order; within a track, unforced (-1) channels first.
  const ItemPath late = host.AddTrack({.name = L"key 3", .channel = 4, .orderKey = 3});
  const ItemPath early = host.AddTrack({.name = L"key 1", .channel = 7, .orderKey = 1});
  const ItemPath b1 = host.AddBlock(late, {.start = 0, .end = 3840});
  const ItemPath b2 = host.AddBlock(early, {.start = 0, .end = 3840});
  host.AddEvent(b1, Note(480, 10, 30));
  host.AddEvent(b2, Note(480, 10, 10));
  host.AddEvent(b1, Note(0, 10, 31));
  host.AddEvent(b2, Note(960, 10, 11));
  ASSERT_EQ(store.SelectView(-1, -1), S_OK);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{31, 10, 30, 11}));
  // The track list itself follows the order keys, not the project order.
  EXPECT_EQ(store.TrackIdAt(0), early.trackId);
  EXPECT_EQ(store.TrackIdAt(1), late.trackId);
}

TEST_F(StoreViewTest, BlocksOfOneTrackMergeByTime) {
  const ItemPath t = host.AddTrack({.channel = -1});
  const ItemPath first = host.AddBlock(t, {.start = 0, .end = 1920});
  const ItemPath second = host.AddBlock(t, {.start = 0, .end = 1920});
  host.AddEvent(first, Note(0, 10, 1));
  host.AddEvent(first, Note(200, 10, 3));
  host.AddEvent(first, Note(400, 10, 5, 100, 3));
  host.AddEvent(second, Note(100, 10, 2));
  host.AddEvent(second, Note(300, 10, 4));
  host.AddEvent(second, Note(400, 10, 6, 100, 1));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{1, 2, 3, 4, 6, 5}));
  // One block alone.
  ASSERT_EQ(store.SelectView(0, 1), S_OK);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{2, 4, 6}));
}

TEST_F(StoreViewTest, TypeMaskChoosesWhatIsListedAndItsChangeRebuilds) {
  const ItemPath t = host.AddTrack({.channel = 0});
  const ItemPath bl = host.AddBlock(t, {.start = 0, .end = 3840});
  host.AddEvent(bl, Note(0, 100, 60));
  host.AddEvent(bl, Controller(50, 7, 100));
  host.AddEvent(bl, Note(100, 100, 62));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  EXPECT_EQ(store.EventCount(), 3);

  store.SetTypeMask(kEvNoteOn);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62}));
  store.SetTypeMask(kEvControlChange);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{7}));
}

TEST_F(StoreViewTest, ListIsRebuiltOnlyWhenSomethingChanged) {
  const ItemPath t = host.AddTrack({});
  const ItemPath bl = host.AddBlock(t, {.start = 0, .end = 3840});
  host.AddEvent(bl, Note(0, 100, 60));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  host.Log().Clear();
  EXPECT_EQ(store.EventCount(), 1);
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  ItemPath p{};
  EXPECT_EQ(store.PathAt(0, &p), S_OK);
  EXPECT_EQ(host.Log().Count("EnumFirst"), 0u);

  // A refresh of everything drops the caches; the next use reads again.
  ASSERT_EQ(store.Refresh(true), S_OK);
  EXPECT_EQ(store.status() & kStoreEventsValid, 0u);
  EXPECT_EQ(store.EventCount(), 1);
  EXPECT_GT(host.Log().Count("EnumFirst"), 0u);
  EXPECT_EQ(store.PathAt(1, &p), S_FALSE);
  EXPECT_EQ(store.PathAt(-1, &p), S_FALSE);
}

TEST_F(StoreViewTest, TrackIndexPastTheEndLeavesTheListEmpty) {
  const ItemPath t = host.AddTrack({});
  host.AddEvent(host.AddBlock(t, {.start = 0, .end = 960}), Note(0, 10, 60));
  EXPECT_EQ(store.SelectView(1, -1), S_OK);
  EXPECT_EQ(store.EventCount(), 0);
  EXPECT_EQ(store.SelectView(0, 5), S_OK);
  EXPECT_EQ(store.EventCount(), 0);
}

TEST_F(StoreViewTest, LongEventPayloadsReadWhileListingAreFreed) {
  const ItemPath t = host.AddTrack({});
  const ItemPath bl = host.AddBlock(t, {.start = 0, .end = 960});
  host.AddEvent(bl, refhost::LongEvent(kEvSysex, 0), {0xF0, 0x7E, 0x7F, 0xF7});
  host.AddEvent(bl, refhost::LongEvent(kEvMeta, 10), {0x03, 'P', 'n', 'o'});
  host.AddEvent(bl, Note(20, 10, 60));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  EXPECT_EQ(store.EventCount(), 3);

  // A record read for the caller hands its payload over with it.
  ItemPath p{};
  ASSERT_EQ(store.PathAt(0, &p), S_OK);
  MidiEvent e{};
  ASSERT_EQ(store.GetEvent(p, &e), S_OK);
  ASSERT_EQ(e.type, kEvSysex);
  ASSERT_EQ(e.duration, 4);
  EXPECT_EQ(e.payload[1], 0x7E);
  FreeEventPayload(&e);
}

TEST_F(StoreViewTest, TrackNamesAndRecords) {
  host.AddTrack({.name = L"Grand Piano", .channel = 3, .velocityOffset = -4, .pitchOffset = 12});
  TrackInfo info{};
  ASSERT_EQ(store.Refresh(false), S_OK);
  ASSERT_EQ(store.GetTrackInfo(0, &info), S_OK);
  EXPECT_EQ(info.channel, 3);
  EXPECT_EQ(info.velocityOffset, -4);
  EXPECT_EQ(info.pitchOffset, 12);
  ASSERT_NE(info.name, nullptr);
  EXPECT_STREQ(info.name, L"Grand Piano");
  CoTaskMemFree(info.name);

  wchar_t buffer[6];
  wmemset(buffer, L'#', 6);
  ASSERT_EQ(store.GetTrackName(0, buffer, 6), S_OK);
  EXPECT_STREQ(buffer, L"Grand");
  // No room: nothing at all is written.
  wmemset(buffer, L'#', 6);
  ASSERT_EQ(store.GetTrackName(0, buffer, 0), S_OK);
  EXPECT_EQ(buffer[0], L'#');
  ASSERT_EQ(store.GetTrackName(0, buffer, 1), S_OK);
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(store.GetTrackName(4, buffer, 6), S_FALSE);
  EXPECT_EQ(buffer[0], L'\0');
}

TEST_F(StoreViewTest, BlockRecords) {
  const ItemPath t = host.AddTrack({});
  const ItemPath bl = host.AddBlock(t, {.start = 960, .end = 4800, .name = L"Verse"});
  BlockInfo info{};
  ASSERT_EQ(store.GetBlockInfo(bl, &info), S_OK);
  EXPECT_EQ(info.start, 960);
  EXPECT_EQ(info.end, 4800);
  EXPECT_EQ(info.timeFormat, kTimeTicks);
  CoTaskMemFree(info.name);
}

}  // namespace

// Lists large enough to spill past a build's first chunk and to be rebuilt in
// the room the first build left, in each layout of blocks: one after another,
// interleaved, and interleaved with equal times whose channels a block holds
// out of display order. Every build must equal a stable sort of the blocks'
// events, taken in block order.
TEST_F(StoreViewTest, LargeListsOfManyBlocksBuildInDisplayOrderEveryWay) {
  const struct {
    const char* layout;
    bool interleaved, channelsDescend;
  } cases[] = {{"one after another", false, false}, {"interleaved", true, false}, {"descending channels", true, true}};
  for (const auto& c : cases) {
    const ItemPath t = host.AddTrack({.channel = -1});  // each case on a track of its own
    constexpr int kBlocks = 3, kEach = 12000;
    std::vector<ItemPath> blocks;
    for (int b = 0; b < kBlocks; ++b) {
      const int64_t base = c.interleaved ? 0 : int64_t{b} * kEach * 4;
      blocks.push_back(host.AddBlock(t, {.start = base, .end = base + int64_t{kEach} * 4 + 8}));
      for (int i = 0; i < kEach; ++i) {
        // Pairs of equal times, the same in the first and third blocks; the
        // second of a pair has the lower channel when channels descend.
        const int64_t start = base + int64_t{i / 2} * 8 + b % 2;
        const int channel = c.channelsDescend ? (i % 2 ? 2 : 9) : i % 16;
        host.AddEvent(blocks.back(), Note(start, 4, 60, 100, channel));
      }
    }
    // The blocks' events in block order, each in the host's order, sorted stably.
    auto expected = [&] {
      std::vector<ItemPath> paths;
      std::vector<std::pair<int64_t, int>> keys;
      for (const ItemPath& b : blocks)
        for (const refhost::SongEvent& e : host.Block(b)->events) {
          paths.push_back({b.trackId, b.blockId, e.id});
          keys.emplace_back(e.record.start, e.record.channel);
        }
      std::vector<size_t> order(paths.size());
      for (size_t i = 0; i < order.size(); ++i) order[i] = i;
      std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
      std::vector<ItemPath> out;
      for (size_t i : order) out.push_back(paths[i]);
      return out;
    };
    EventStore s;
    s.Connect(HostLinks{data.get(), properties.get(), time.get(), ports.get(), nullptr});
    ASSERT_EQ(s.Refresh(true), S_OK);
    const int32_t track = s.TrackIndexOf(t.trackId);
    ASSERT_GE(track, 0);
    auto check = [&](const char* build) {
      const std::vector<ItemPath> want = expected();
      ASSERT_EQ(s.EventCount(), static_cast<int32_t>(want.size())) << c.layout << ", " << build;
      for (int32_t i = 0; i < s.EventCount(); ++i) {
        ItemPath p{};
        ASSERT_EQ(s.PathAt(i, &p), S_OK);
        ASSERT_TRUE(p.eventId == want[i].eventId && p.blockId == want[i].blockId)
            << c.layout << ", " << build << ": entry " << i << " is e" << p.eventId << " of b" << p.blockId
            << ", not e" << want[i].eventId << " of b" << want[i].blockId;
      }
    };
    ASSERT_EQ(s.SelectView(track, -1), S_OK);  // a first build: everything gathered aside
    check("first build");
    ASSERT_EQ(s.SelectView(track, 0), S_OK);
    ASSERT_EQ(s.SelectView(track, -1), S_OK);  // again, in the room the last build left
    check("rebuild");
    // More than the kept room holds: the last block's tail spills.
    for (int i = 0; i < 3000; ++i) host.AddEvent(blocks.back(), Note(int64_t{i} * 7 + 3, 4, 61, 100, i % 16));
    ASSERT_EQ(s.Refresh(true), S_OK);
    ASSERT_EQ(s.SelectView(track, -1), S_OK);
    check("a rebuild past the room");
    s.Disconnect();
  }
}
