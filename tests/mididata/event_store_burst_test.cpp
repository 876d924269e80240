// Bursts of host reports: removals, renumberings and arrivals wait and are
// applied together, so the list must come out as a fresh build of the same
// project would make it, whatever the interleaving of edits, replays and reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "tests/mididata/store_fixture.h"

using refhost::Note;
using storetest::StoreTest;

namespace {

using Entry = std::tuple<int64_t, uint32_t, uint32_t, uint32_t>;  // start, track, block, event

class StoreBurstTest : public StoreTest {
 protected:
  // The store's list as (start, path), checked to be in start order; and the
  // same of a store built afresh from the project.
  std::vector<Entry> Listed(EventStore& s) {
    std::vector<Entry> out;
    for (const refhost::EventView& e : ListedViews(s)) {
      EXPECT_TRUE(out.empty() || std::get<0>(out.back()) <= e.record.start) << "out of order at " << out.size();
      out.emplace_back(e.record.start, e.path.trackId, e.path.blockId, e.path.eventId);
    }
    return out;
  }
  std::vector<Entry> Fresh(int32_t track, int32_t block) {
    EventStore fresh;
    fresh.Connect(store.host());
    EXPECT_EQ(fresh.SelectView(track, block), S_OK);
    std::vector<Entry> out = Listed(fresh);
    fresh.Disconnect();
    return out;
  }
  std::vector<Entry> Sorted(std::vector<Entry> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
};

// Random edits of two blocks (2000 steps), with replays and reads of the list at random
// points: after each step the list holds what the host holds, in start order
// (only the order of events of one start may differ from a fresh build).
TEST_F(StoreBurstTest, RandomBurstsLeaveTheListAsAFreshBuildWouldMakeIt) {
  const ItemPath track = host.AddTrack({.name = L"One", .channel = 0});
  const ItemPath blocks[] = {host.AddBlock(track, {.start = 0, .end = 7680}),
                             host.AddBlock(track, {.start = 0, .end = 7680})};
  std::vector<ItemPath> live;
  for (int i = 0; i < 40; ++i) live.push_back(host.AddEvent(blocks[i % 2], Note(i * 40, 30, 60 + i % 12)));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  Advise();
  std::mt19937 rng(5);
  for (int step = 0; step < 2000; ++step) {
    const unsigned op = rng() % 7;
    if (op == 0 || live.empty()) {
      live.push_back(host.InsertEvent(blocks[rng() % 2], Note(static_cast<int64_t>(rng() % 2000), 30, 64)));
    } else {
      const size_t at = rng() % live.size();
      const ItemPath p = live[at];
      MidiEvent e = host.Event(p)->record;
      if (op == 1) {
        ASSERT_EQ(host.DeleteEvent(p), S_OK);
        live.erase(live.begin() + static_cast<ptrdiff_t>(at));
      } else if (op == 2) {
        e.start = static_cast<int64_t>(rng() % 2000);  // a new time: reported for a re-sort
        ASSERT_EQ(host.ChangeEvent(p, e), S_OK);
      } else if (op == 3) {
        e.data[1] = static_cast<uint8_t>(1 + rng() % 127);
        ASSERT_EQ(host.ChangeEvent(p, e), S_OK);
      } else if (op == 4) {
        live[at] = host.MoveEvent(p, blocks[p.blockId == blocks[0].blockId ? 1 : 0]);
      } else if (op == 5) {
        Replay();
      } else {
        store.EventCount();  // a reader applies what waits
      }
    }
    if (step % 50 == 49 || rng() % 8 == 0) {
      Replay();
      ASSERT_EQ(Sorted(Listed(store)), Sorted(Fresh(0, -1))) << "step " << step;
    }
  }
  Replay();
  EXPECT_EQ(Listed(store).size(), live.size());
}

// A renumbering of a waiting arrival, an arrival removed before it was
// applied, and a path removed and read again in one burst.
TEST_F(StoreBurstTest, RenumberedRemovedAndReturningPathsInOneBurst) {
  const ItemPath track = host.AddTrack({.name = L"One", .channel = 0});
  const ItemPath block = host.AddBlock(track, {.start = 0, .end = 7680});
  const ItemPath a = host.AddEvent(block, Note(0, 10, 60));
  const ItemPath b = host.AddEvent(block, Note(100, 10, 62));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  Advise();
  const ItemPath c = host.InsertEvent(block, Note(50, 10, 64));
  const ItemPath d = host.InsertEvent(block, Note(70, 10, 65));
  Replay();  // c and d wait to be applied
  ASSERT_EQ(host.DeleteEvent(d), S_OK);
  bool queue = false;
  HostNotification renumber{};
  renumber.kind = NOTIFY_DataChanged;
  renumber.level = kLevelEvent;
  renumber.flags = kChangeChanged;
  renumber.oldPath = b;
  renumber.newPath = ItemPath{0, 0, 9000};  // only the new event id is given
  EXPECT_EQ(store.ApplyNotification(renumber, true, &queue), S_OK);
  // A deletion of the old path now finds nothing; one of a never-listed path neither.
  renumber.flags = kChangeDeleted;
  EXPECT_EQ(store.ApplyNotification(renumber, true, &queue), S_FALSE);
  renumber.oldPath = ItemPath{track.trackId, block.blockId, 12345};
  EXPECT_EQ(store.ApplyNotification(renumber, true, &queue), S_FALSE);
  const std::vector<ItemPath> expected = {a, c, ItemPath{b.trackId, b.blockId, 9000}};
  ASSERT_EQ(store.EventCount(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    ItemPath p{};
    store.PathAt(i, &p);
    EXPECT_TRUE(SamePath(p, expected[i])) << i;
  }
}

// With every track and one block index chosen, the list holds that block of
// each track, and an event reported into such a block joins the list.
TEST_F(StoreBurstTest, EveryTrackWithAChosenBlockListsAndTakesReportsByOneRule) {
  ItemPath blocks[2][2];
  for (int t = 0; t < 2; ++t) {
    const ItemPath track = host.AddTrack({.name = t ? L"Two" : L"One", .channel = t, .orderKey = t});
    for (int b = 0; b < 2; ++b) {
      blocks[t][b] = host.AddBlock(track, {.start = 0, .end = 7680});
      host.AddEvent(blocks[t][b], Note(100 * (2 * t + b), 10, 60));
    }
  }
  ASSERT_EQ(store.SelectView(-1, 1), S_OK);
  Advise();
  EXPECT_EQ(Sorted(Listed(store)), Sorted(Fresh(-1, 1)));
  EXPECT_EQ(store.EventCount(), 2);
  const ItemPath into = host.InsertEvent(blocks[1][1], Note(20, 10, 61));
  host.InsertEvent(blocks[1][0], Note(30, 10, 62));  // another block index: not listed
  const std::vector<HRESULT> results = Replay();
  EXPECT_EQ(results, (std::vector<HRESULT>{S_OK, S_FALSE}));
  EXPECT_EQ(Sorted(Listed(store)), Sorted(Fresh(-1, 1)));
  EXPECT_EQ(store.EventCount(), 3);
  ItemPath first{};
  store.PathAt(0, &first);
  EXPECT_TRUE(SamePath(first, into));
}

}  // namespace
