// Host notifications applied to the store's caches: what happens while the
// host reports (synchronously, often while the store itself is in a bracket)
// and what waits for the replay on the user-interface thread.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/mididata/store_fixture.h"

using refhost::Note;
using storetest::StoreTest;

namespace {

HostNotification DataChange(int32_t level, uint32_t flags, ItemPath oldPath, ItemPath newPath) {
  HostNotification n{};
  n.kind = NOTIFY_DataChanged;
  n.flags = flags;
  n.level = level;
  n.oldPath = oldPath;
  n.newPath = newPath;
  return n;
}

class StoreNotifyTest : public StoreTest {
 protected:
  void SetUp() override {
    track = host.AddTrack({.name = L"One", .channel = 0, .orderKey = 10});
    block = host.AddBlock(track, {.start = 0, .end = 7680});
    n60 = host.AddEvent(block, Note(0, 100, 60));
    n62 = host.AddEvent(block, Note(480, 100, 62));
    n64 = host.AddEvent(block, Note(960, 100, 64));
    ASSERT_EQ(store.SelectView(0, -1), S_OK);
    Advise();
  }
  ItemPath track{}, block{}, n60{}, n62{}, n64{};
};

TEST_F(StoreNotifyTest, DeletionIsAppliedWhileTheHostReports) {
  ASSERT_EQ(host.DeleteEvent(n62), S_OK);
  // Removed at once, before any replay; nothing queued.
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 64}));
  EXPECT_TRUE(sink.queued.empty());
  // A deletion of something not listed answers 1.
  bool queue = false;
  EXPECT_EQ(store.ApplyNotification(DataChange(3, kChangeDeleted, n62, {}), true, &queue), S_FALSE);
}

TEST_F(StoreNotifyTest, ChangeWithoutResortIsUpdatedInPlaceNeverResorted) {
  MidiEvent e = host.Event(n60)->record;
  e.data[0] = 70;
  ASSERT_EQ(host.ChangeEvent(n60, e), S_OK);
  EXPECT_TRUE(sink.queued.empty());
  EXPECT_EQ(ListedPitches(), (std::vector<int>{70, 62, 64}));

  // A change record without 0x10 keeps the entry where it is, even when the
  // host-side time differs (the host says no re-sort is due).
  bool queue = false;
  EXPECT_EQ(store.ApplyNotification(DataChange(3, kChangeChanged, n64, n64), true, &queue), S_OK);
  EXPECT_FALSE(queue);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{70, 62, 64}));
}

TEST_F(StoreNotifyTest, MovedStartIsResortedOnReplay) {
  MidiEvent e = host.Event(n60)->record;
  e.start = 2000;
  ASSERT_EQ(host.ChangeEvent(n60, e), S_OK);
  ASSERT_EQ(sink.queued.size(), 1u);
  EXPECT_EQ(sink.queued[0].flags & (kChangeChanged | kChangeResort), kChangeChanged | kChangeResort);
  EXPECT_EQ(Replay(), std::vector<HRESULT>{S_OK});
  EXPECT_EQ(ListedPitches(), (std::vector<int>{62, 64, 60}));
}

TEST_F(StoreNotifyTest, InsertionsWaitForTheReplayAndLandInOrder) {
  host.InsertEvent(block, Note(700, 10, 63));
  host.InsertEvent(block, Note(0, 10, 59, 100, 0));
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 64}));
  ASSERT_EQ(sink.queued.size(), 2u);
  EXPECT_EQ(Replay(), (std::vector<HRESULT>{S_OK, S_OK}));
  const std::vector<int> pitches = ListedPitches();
  ASSERT_EQ(pitches.size(), 5u);
  EXPECT_EQ(pitches[3], 63);
  EXPECT_EQ(pitches[4], 64);
  // Both events at time 0 are listed, in display order.
  EXPECT_EQ(std::count(pitches.begin(), pitches.begin() + 2, 59), 1);
  EXPECT_EQ(std::count(pitches.begin(), pitches.begin() + 2, 60), 1);
}

TEST_F(StoreNotifyTest, ReplayAfterARebuildDoesNotListAnEventTwice) {
  host.InsertEvent(block, Note(700, 10, 63));
  ASSERT_EQ(store.Refresh(true), S_OK);
  EXPECT_EQ(store.EventCount(), 4);  // the rebuild read the new event
  Replay();
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 63, 64}));
}

TEST_F(StoreNotifyTest, InsertionsElsewhereAreNotTaken) {
  const ItemPath other = host.InsertTrack({.name = L"Two", .channel = 1, .orderKey = 20});
  const ItemPath otherBlock = host.InsertBlock(other, {.start = 0, .end = 960});
  host.InsertEvent(otherBlock, Note(10, 10, 90, 100, 1));
  const std::vector<HRESULT> results = Replay();
  ASSERT_EQ(results.size(), 3u);  // track, block, event
  EXPECT_EQ(results[0], S_OK);
  EXPECT_EQ(results[2], S_FALSE);  // not in the current track
  EXPECT_EQ(store.TrackCount(), 2);
  EXPECT_EQ(store.TrackIdAt(1), other.trackId);
  EXPECT_EQ(store.BlockCount(1), 1);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 64}));
  EXPECT_EQ(store.ChannelsInUse(), 0x3);
}

TEST_F(StoreNotifyTest, EventMovedToAnotherTrackLeavesAtOnceAndArrivesOnReplay) {
  const ItemPath other = host.AddTrack({.name = L"Two", .channel = 0, .orderKey = 20});
  const ItemPath otherBlock = host.AddBlock(other, {.start = 0, .end = 960});
  ASSERT_EQ(store.Refresh(true), S_OK);
  ASSERT_EQ(store.SelectView(-1, -1), S_OK);
  ASSERT_EQ(store.EventCount(), 3);

  const ItemPath moved = host.MoveEvent(n62, otherBlock);
  ASSERT_NE(moved.eventId, 0u);
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 64}));  // old entry gone at once
  ASSERT_EQ(sink.queued.size(), 1u);
  EXPECT_EQ(Replay(), std::vector<HRESULT>{S_OK});
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 64}));
  ItemPath p{};
  ASSERT_EQ(store.PathAt(1, &p), S_OK);
  EXPECT_EQ(p.trackId, other.trackId);
}

TEST_F(StoreNotifyTest, UndoAndRedoOfAnEditKeepTheListInStep) {
  MidiEvent e = host.Event(n64)->record;
  e.start = 100;
  host.BeginUserEdit(L"Move");
  ASSERT_EQ(host.ChangeEvent(n64, e), S_OK);
  host.DeleteEvent(n60);
  ASSERT_EQ(host.EndUserEdit(true), S_OK);
  Replay();
  EXPECT_EQ(ListedPitches(), (std::vector<int>{64, 62}));

  ASSERT_EQ(host.Undo(), S_OK);
  Replay();
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 64}));
  ASSERT_EQ(host.Redo(), S_OK);
  Replay();
  EXPECT_EQ(ListedPitches(), (std::vector<int>{64, 62}));
}

TEST_F(StoreNotifyTest, TrackDeletionMovesTheViewOrRebuildsIt) {
  const ItemPath other = host.AddTrack({.name = L"Two", .channel = 0, .orderKey = 20});
  host.AddEvent(host.AddBlock(other, {.start = 0, .end = 960}), Note(5, 10, 90));
  ASSERT_EQ(store.Refresh(true), S_OK);
  ASSERT_EQ(store.SelectView(1, -1), S_OK);
  ASSERT_EQ(ListedPitches(), std::vector<int>{90});

  // Deleting another track keeps the view on the same track.
  ASSERT_EQ(host.DeleteTrack(track), S_OK);
  Replay();
  EXPECT_EQ(store.TrackCount(), 1);
  EXPECT_EQ(store.CurrentTrack(), 0);
  EXPECT_EQ(ListedPitches(), std::vector<int>{90});
  // Deleting the current one moves the view to track 0, all blocks.
  const ItemPath third = host.InsertTrack({.name = L"Three", .channel = 0, .orderKey = 30});
  Replay();
  ASSERT_EQ(store.SelectView(1, -1), S_OK);
  ASSERT_EQ(host.DeleteTrack(third), S_OK);
  Replay();
  EXPECT_EQ(store.CurrentTrack(), 0);
  EXPECT_EQ(store.CurrentBlock(), -1);
  EXPECT_EQ(ListedPitches(), std::vector<int>{90});
}

TEST_F(StoreNotifyTest, UnknownTracksAndIgnoredKinds) {
  bool queue = false;
  // A block for a track the store does not know.
  EXPECT_EQ(store.ApplyNotification(DataChange(2, kChangeInserted, {}, {999, 5, 0}), false, &queue), E_UNEXPECTED);
  EXPECT_EQ(store.ApplyNotification(DataChange(3, kChangeInserted, {}, {999, 5, 7}), false, &queue), E_UNEXPECTED);
  // Moved tracks, block changes other than inserts and other levels are ignored.
  EXPECT_EQ(store.ApplyNotification(DataChange(1, kChangeMoved, track, track), true, &queue), S_FALSE);
  EXPECT_FALSE(queue);
  EXPECT_EQ(store.ApplyNotification(DataChange(2, kChangeChanged, block, block), true, &queue), S_FALSE);
  EXPECT_EQ(store.ApplyNotification(DataChange(4, kChangeInserted, {}, n60), true, &queue), S_FALSE);
  EXPECT_FALSE(queue);
}

TEST_F(StoreNotifyTest, ResetOfEverythingRefreshesOnReplay) {
  host.AddTrack({.name = L"Silent", .channel = 3});
  host.ReportReset(kLevelTrack);
  EXPECT_EQ(store.TrackCount(), 1);
  Replay();
  EXPECT_EQ(store.TrackCount(), 2);
  EXPECT_EQ(store.ChannelsInUse(), (1u << 0) | (1u << 3));
}

TEST_F(StoreNotifyTest, SelectionWhileTheHostReportsEachFlagSynchronously) {
  // The host calls the sink from inside each SetItem of SelectRange, while the
  // store walks its list inside its own bracket.
  ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, true), S_OK);
  EXPECT_TRUE(sink.queued.empty());
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 62, 64}));
  EXPECT_EQ(store.AnySelected(), 1);
  EXPECT_EQ(host.OpenBrackets(), 0);
}

TEST_F(StoreNotifyTest, DeferredDeliveryGivesTheSameResult) {
  host.SetDelivery(refhost::Delivery::AtBracketEnd);
  host.BeginUserEdit(L"Edit");
  host.InsertEvent(block, Note(100, 10, 61));
  ASSERT_EQ(host.DeleteEvent(n64), S_OK);
  EXPECT_EQ(store.EventCount(), 3);  // nothing reported yet
  ASSERT_EQ(host.EndUserEdit(true), S_OK);
  EXPECT_EQ(store.EventCount(), 2) << ::testing::PrintToString(host.DeliveryTexts());
  Replay();
  EXPECT_EQ(ListedPitches(), (std::vector<int>{60, 61, 62}));
}

}  // namespace
