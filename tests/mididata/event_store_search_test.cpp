// Finding events by time, changing selection and the display transform,
// checked against the host's project and its call log.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "mididata/edit_gestures.h"
#include "tests/mididata/store_fixture.h"

using refhost::Controller;
using refhost::Note;
using refhost::Selected;
using storetest::StoreTest;

namespace {

class StoreSearchTest : public StoreTest {
 protected:
  void SetUp() override {
    track = host.AddTrack({.channel = 0});
    block = host.AddBlock(track, {.start = 0, .end = 7680});
  }
  ItemPath Add(const MidiEvent& e) { return host.AddEvent(block, e); }
  bool IsSelected(const ItemPath& p) { return (host.Event(p)->record.flags & kEventSelected) != 0; }

  ItemPath track{}, block{};
};

TEST_F(StoreSearchTest, WindowFindsANoteThatStartsBeforeItOnlyByItsSpan) {
  const ItemPath held = Add(Note(0, 960, 60));  // sounds 0..960
  Add(Note(2000, 10, 62));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);

  int32_t index = 0;
  ItemPath found{};
  MidiEvent record{};
  ASSERT_EQ(store.FindInWindow(&index, &found, &record, 500, 100, kEvNoteOn, false), S_OK);
  EXPECT_EQ(found.eventId, held.eventId);
  EXPECT_EQ(index, 1);  // advanced past the entry examined
  // As points, the note is only at its start.
  index = 0;
  EXPECT_EQ(store.FindInWindow(&index, &found, &record, 500, 100, kEvNoteOn, true), S_FALSE);
  EXPECT_EQ(index, 2);
  // No window: the first event of an admitted type.
  index = 0;
  ASSERT_EQ(store.FindInWindow(&index, &found, &record, kNoWindow, 0, kEvNoteOn, false), S_OK);
  EXPECT_EQ(record.data[0], 60);
  // Types outside the mask are passed over.
  index = 0;
  EXPECT_EQ(store.FindInWindow(&index, &found, &record, kNoWindow, 0, kEvControlChange, false), S_FALSE);
}

TEST_F(StoreSearchTest, FirstAtFindsTheCoveringNoteOrTheEarliestStartingAtTheTime) {
  Add(Note(0, 480, 50));
  const ItemPath a = Add(Note(960, 240, 60));
  const ItemPath b = Add(Note(960, 480, 64));
  const ItemPath c = Add(Controller(1500, 7, 90));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);

  ItemPath found{};
  ASSERT_EQ(store.FindFirstAt(&found, 300, kEvNoteOn, 0xFFFF, 0), S_OK);
  EXPECT_EQ(host.Event(found)->record.data[0], 50);
  // Two notes start at 960: the earliest of them is returned.
  ASSERT_EQ(store.FindFirstAt(&found, 960, kEvNoteOn, 0xFFFF, 0), S_OK);
  EXPECT_EQ(found.eventId, a.eventId);
  // 1300 is only covered by the longer one.
  ASSERT_EQ(store.FindFirstAt(&found, 1300, kEvNoteOn, 0xFFFF, 0), S_OK);
  EXPECT_EQ(found.eventId, b.eventId);
  // Nothing sounds at 1450; with flag 1 the next event starting after it is found.
  EXPECT_EQ(store.FindFirstAt(&found, 1450, kEvNoteOn | kEvControlChange, 0xFFFF, 0), S_FALSE);
  ASSERT_EQ(store.FindFirstAt(&found, 1450, kEvNoteOn | kEvControlChange, 0xFFFF, kFindStartingAfter), S_OK);
  EXPECT_EQ(found.eventId, c.eventId);
  // Channel mask without channel 0.
  EXPECT_EQ(store.FindFirstAt(&found, 960, kEvNoteOn, 0xFFFE, 0), S_FALSE);
  EXPECT_EQ(host.Log().UnbracketedCount(), 0u);
}

TEST_F(StoreSearchTest, FirstAtStepsBackOnlyOverEventsOfAdmittedChannels) {
  // A track of every channel; at one start, first an event of a channel the caller excludes.
  const ItemPath free = host.AddTrack({.channel = -1});
  const ItemPath freeBlock = host.AddBlock(free, {.start = 0, .end = 3840});
  const ItemPath other = host.AddEvent(freeBlock, Note(960, 480, 62, 100, 1));
  const ItemPath wanted = host.AddEvent(freeBlock, Note(960, 480, 60, 100, 0));
  ASSERT_EQ(store.SelectView(store.TrackIndexOf(free.trackId), -1), S_OK);
  ItemPath found{};
  ASSERT_EQ(store.FindFirstAt(&found, 960, kEvNoteOn, 0x1, 0), S_OK);
  EXPECT_EQ(found.eventId, wanted.eventId);
  ASSERT_EQ(store.FindFirstAt(&found, 960, kEvNoteOn, 0xFFFF, 0), S_OK);
  EXPECT_EQ(found.eventId, other.eventId);
}

TEST_F(StoreSearchTest, NextEventWalksTheBlockWithFilters) {
  const ItemPath a = Add(Note(0, 10, 60));
  Add(Controller(5, 7, 90));
  const ItemPath c = Add(Note(10, 10, 61, 100, 3));
  const ItemPath d = Add(Note(20, 10, 62));
  ItemPath p = a;
  ASSERT_EQ(store.NextEvent(&p, kEvNoteOn, 0xFFFF), S_OK);
  // The track forces channel 0, so the event's own channel 3 does not matter.
  EXPECT_EQ(p.eventId, c.eventId);
  ASSERT_EQ(store.NextEvent(&p, kEvNoteOn, 0xFFFF), S_OK);
  EXPECT_EQ(p.eventId, d.eventId);
  EXPECT_EQ(store.NextEvent(&p, kEvNoteOn, 0xFFFF), S_FALSE);
}

TEST_F(StoreSearchTest, SelectRangeWritesOnlyTheFlagsThatChangeInOneBracket) {
  const ItemPath low = Add(Note(0, 100, 40));
  const ItemPath mid = Add(Selected(Note(200, 100, 60)));
  const ItemPath high = Add(Note(400, 100, 120));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  host.Log().Clear();

  // Highest note -1 reaches 127; the note already selected is not written.
  ASSERT_EQ(store.SelectRange(-1, 0, 50, -1, true), S_OK);
  EXPECT_FALSE(IsSelected(low));
  EXPECT_TRUE(IsSelected(mid));
  EXPECT_TRUE(IsSelected(high));
  const auto calls = host.Log().Texts(refhost::CallFilter::Edits);
  ASSERT_EQ(calls.size(), 3u) << ::testing::PrintToString(calls);
  EXPECT_EQ(calls[0], "BeginEdit(1)");
  EXPECT_EQ(calls[2], "EndEdit(1)");
  ASSERT_EQ(host.Log().Count("SetItem"), 1u);
  for (const refhost::CallEntry& c : host.Log().Entries()) {
    if (c.method != "SetItem") continue;
    EXPECT_EQ(c.path.eventId, high.eventId);
    EXPECT_EQ(c.mask, kSetSelected);
  }
  // Selection is no undo step.
  EXPECT_TRUE(host.UndoLabels().empty());
}

TEST_F(StoreSearchTest, SelectRangeByTimeWindow) {
  const ItemPath before = Add(Note(0, 100, 60));    // ends at 100
  const ItemPath across = Add(Note(150, 400, 61));  // 150..550
  const ItemPath inside = Add(Note(600, 10, 62));
  const ItemPath after = Add(Note(1000, 10, 63));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  ASSERT_EQ(store.SelectRange(500, 500, 0, 127, true), S_OK);  // 500..1000
  EXPECT_FALSE(IsSelected(before));
  EXPECT_TRUE(IsSelected(across));
  EXPECT_TRUE(IsSelected(inside));
  EXPECT_FALSE(IsSelected(after));
  EXPECT_EQ(store.IsSelectedAt(600, kEvNoteOn, 0xFFFF), 1);
  EXPECT_EQ(store.IsSelectedAt(0, kEvNoteOn, 0xFFFF), 0);
  EXPECT_EQ(store.AnySelected(), 1);

  // Only a start: everything that ends at or after it.
  ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, false), S_OK);
  EXPECT_EQ(store.AnySelected(), 0);
  ASSERT_EQ(store.SelectRange(100, 0, 0, 127, true), S_OK);
  EXPECT_TRUE(IsSelected(before));
  EXPECT_TRUE(IsSelected(after));
}

// On a long track a time range and a time read only what can reach them: the
// events from one longest note before the range to its end.
TEST_F(StoreSearchTest, RangesAndTimesReadOnlyWhatCanReachThem) {
  const ItemPath longNote = Add(Note(0, 5000, 40));  // the longest note: 5000 ticks
  std::vector<ItemPath> notes;
  for (int i = 1; i < 2000; ++i) notes.push_back(Add(Note(i * 100, 50, 60)));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  const struct {
    int64_t start, length;
    size_t selected, maxReads;
  } cases[] = {{150000, 1000, 10, 70}, {199900, 0, 1, 60}, {0, 300, 3, 10}};
  for (const auto& c : cases) {
    ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, false), S_OK);
    host.Log().Clear();
    ASSERT_EQ(store.SelectRange(c.start, c.length, 0, 127, true), S_OK);
    EXPECT_LE(host.Log().Count("GetItem"), c.maxReads) << c.start;
    size_t selected = IsSelected(longNote);
    for (const ItemPath& p : notes) selected += IsSelected(p);
    EXPECT_EQ(selected, c.selected) << c.start;
  }
  host.Log().Clear();
  EXPECT_EQ(store.IsSelectedAt(200, kEvNoteOn, 0xFFFF), 1);  // the last range's
  EXPECT_EQ(store.IsSelectedAt(199900, kEvNoteOn, 0xFFFF), 0);
  EXPECT_LE(host.Log().Count("GetItem"), 8u);
}

// AnySelected answers from the selection the store keeps: it reads only the
// events reported changed since, and walks the list only after a host-wide
// deselection, whose extent the store cannot know.
TEST_F(StoreSearchTest, AnySelectedReadsOnlyWhatChanged) {
  std::vector<ItemPath> notes;
  for (int i = 0; i < 500; ++i) notes.push_back(Add(Note(i * 100, 50, 60)));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  Advise();
  auto reads = [&] {
    const size_t n = host.Log().Count("GetItem");
    host.Log().Clear();
    return n;
  };
  reads();
  EXPECT_EQ(store.AnySelected(), 0);
  EXPECT_EQ(reads(), 0u);
  MidiEvent e = host.Event(notes[250])->record;
  e.flags |= kEventSelected;
  ASSERT_EQ(host.ChangeEvent(notes[250], e), S_OK);  // selected by the host's own user
  reads();
  EXPECT_EQ(store.AnySelected(), 1);
  EXPECT_EQ(reads(), 1u);
  ASSERT_EQ(store.SetSelected(notes[250], false), S_OK);
  EXPECT_EQ(store.AnySelected(), 0);
  ASSERT_EQ(store.SelectRange(1000, 300, 0, 127, true), S_OK);
  EXPECT_EQ(store.AnySelected(), 1);
  // Deleting the selection reads only the three selected notes.
  reads();
  ASSERT_EQ(DeleteSelection(store), S_OK);
  EXPECT_EQ(reads(), 3u);
  EXPECT_FALSE(host.Event(notes[11]).has_value());
  Replay();
  EXPECT_EQ(store.AnySelected(), 0);  // the selected ones are gone
  EXPECT_EQ(reads(), 0u);
  ASSERT_EQ(store.SelectRange(2000, 100, 0, 127, true), S_OK);
  Replay();
  EXPECT_EQ(store.AnySelected(), 1);
  reads();
  // The host's DeselectAll: the one selected note is read again, not the list.
  ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, false), S_OK);
  Replay();
  EXPECT_EQ(store.AnySelected(), 0);
  EXPECT_LE(reads(), 3u);
}

// A small selection in a long list is found through the kept selection, not a
// walk of the list: its indexes, then a snapshot of it for a move, in list
// order whatever order the notes were selected in.
TEST_F(StoreSearchTest, ASmallSelectionIsVisitedInListOrderWithoutAWalk) {
  std::vector<ItemPath> notes;
  for (int i = 0; i < 1000; ++i) notes.push_back(Add(Note(i * 7, 5, 60 + i % 12)));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  Advise();
  std::vector<int32_t> want;
  for (int i = 0; i < 40; ++i) want.push_back((i * 617) % 1000);  // scattered, out of order
  for (int32_t i : want) ASSERT_EQ(store.SetSelected(notes[i], true), S_OK);
  Replay();
  store.EventCount();  // the list brought up to date, as a walk does first
  std::sort(want.begin(), want.end());
  std::vector<int32_t> indexes;
  ASSERT_TRUE(store.SelectedIndexes(&indexes));
  EXPECT_EQ(indexes, want);
  ASSERT_EQ(store.RereadChanged(), S_OK);  // the reported changes read back once
  host.Log().Clear();
  ASSERT_EQ(BeginMoveOrResize(store), S_OK);
  EXPECT_EQ(host.Log().Count("GetItem"), want.size());
  PendingEdits& p = store.pending();
  ASSERT_EQ(p.PendingChangeCount(), static_cast<int32_t>(want.size()));
  for (int32_t k = 0; k < p.PendingChangeCount(); ++k) {
    ItemPath path{};
    ASSERT_EQ(p.PendingChangeAt(k, &path, nullptr), S_OK);
    EXPECT_EQ(path.eventId, notes[want[k]].eventId) << k;
  }
  p.Clear();
  // A selection of most of the list is walked instead.
  ASSERT_EQ(store.SelectRange(0, 7000, 0, 127, true), S_OK);
  Replay();
  store.EventCount();
  EXPECT_FALSE(store.SelectedIndexes(&indexes));
}

TEST_F(StoreSearchTest, DeselectingEverythingAsksTheHostFirst) {
  Add(Selected(Note(0, 10, 60)));
  Add(Selected(Note(10, 10, 61)));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  host.Log().Clear();
  ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, false), S_OK);
  EXPECT_EQ(host.Log().Count("DeselectAll"), 1u);
  EXPECT_EQ(host.Log().Count("SetItem"), 0u);
  EXPECT_EQ(store.AnySelected(), 0);

  // When the host cannot, the events are cleared one by one.
  ASSERT_EQ(store.SelectAllNotes(true), S_OK);
  host.Faults().FailCall("DeselectAll", E_NOTIMPL);
  host.Log().Clear();
  ASSERT_EQ(store.SelectRange(-1, 0, 0, 127, false), S_OK);
  EXPECT_EQ(host.Log().Count("SetItem"), 2u);
  EXPECT_EQ(store.AnySelected(), 0);
}

TEST_F(StoreSearchTest, SelectAllNotesLeavesOtherTypesAndRestoresTheMask) {
  const ItemPath note = Add(Note(0, 10, 60));
  const ItemPath cc = Add(Controller(5, 70, 1));
  ASSERT_EQ(store.SelectView(0, -1), S_OK);
  ASSERT_EQ(store.SelectAllNotes(true), S_OK);
  EXPECT_TRUE(IsSelected(note));
  EXPECT_FALSE(IsSelected(cc));
  EXPECT_EQ(store.TypeMask(), kEvAllTypes);
  EXPECT_EQ(store.EventCount(), 2);
  // Deselecting the notes leaves the selected controller known to be selected.
  ASSERT_EQ(store.SetSelected(cc, true), S_OK);
  ASSERT_EQ(store.SelectAllNotes(false), S_OK);
  EXPECT_FALSE(IsSelected(note));
  EXPECT_EQ(store.AnySelected(), 1);
  EXPECT_TRUE(store.MaybeSelected(cc));
  EXPECT_FALSE(store.MaybeSelected(note));
}

TEST_F(StoreSearchTest, SelectRangeTakesShownPitches) {
  // With a pitch offset of +12 the note stored as 48 shows on the row of 60.
  const ItemPath shifted = host.AddTrack({.channel = 0, .pitchOffset = 12});
  const ItemPath shiftedBlock = host.AddBlock(shifted, {.start = 0, .end = 3840});
  const ItemPath shown60 = host.AddEvent(shiftedBlock, Note(0, 480, 48));
  const ItemPath shown72 = host.AddEvent(shiftedBlock, Note(0, 480, 60));
  ASSERT_EQ(store.SelectView(store.TrackIndexOf(shifted.trackId), -1), S_OK);
  ASSERT_EQ(store.SelectRange(0, 480, 60, 60, true), S_OK);
  EXPECT_TRUE(IsSelected(shown60));
  EXPECT_FALSE(IsSelected(shown72));
}

TEST_F(StoreSearchTest, DisplayTransformTakesAnyHostOffset) {
  // Offsets at the ends of their range: the sums must not wrap (UBSan in the native build).
  const ItemPath extreme = host.AddTrack({.channel = 0, .velocityOffset = INT32_MIN, .pitchOffset = INT32_MAX});
  host.SetPitchOffset(INT32_MAX);
  MidiEvent e = Note(0, 10, 60, 100);
  ASSERT_EQ(store.ToDisplay(extreme, &e), S_OK);
  EXPECT_EQ(e.data[0], 127);
  EXPECT_EQ(e.data[1], 0);
  e = Note(0, 10, 60, 100);
  ASSERT_EQ(store.ToStored(extreme, &e), S_OK);
  EXPECT_EQ(e.data[0], 0);
  EXPECT_EQ(e.data[1], 127);
  host.SetPitchOffset(0);
}

TEST_F(StoreSearchTest, DisplayTransformShiftsAndClamps) {
  const ItemPath up = host.AddTrack({.channel = 0, .velocityOffset = 10, .pitchOffset = 12});
  const ItemPath down = host.AddTrack({.channel = 0, .velocityOffset = -20, .pitchOffset = -5});
  MidiEvent e = Note(0, 10, 120, 100);
  ASSERT_EQ(store.ToDisplay(up, &e), S_OK);
  EXPECT_EQ(e.data[0], 127);  // 132 clamped
  EXPECT_EQ(e.data[1], 110);
  e = Note(0, 10, 0, 10);
  ASSERT_EQ(store.ToDisplay(down, &e), S_OK);
  EXPECT_EQ(e.data[0], 0);
  EXPECT_EQ(e.data[1], 0);
  e = Note(0, 10, 70, 90);
  ASSERT_EQ(store.ToStored(up, &e), S_OK);
  EXPECT_EQ(e.data[0], 58);
  EXPECT_EQ(e.data[1], 80);

  // The project's offset adds to the track's and is read at every call.
  host.SetPitchOffset(2);
  e = Note(0, 10, 60, 90);
  ASSERT_EQ(store.ToDisplay(up, &e), S_OK);
  EXPECT_EQ(e.data[0], 74);
  host.SetPitchOffset(0);
  e = Note(0, 10, 60, 90);
  ASSERT_EQ(store.ToDisplay(up, &e), S_OK);
  EXPECT_EQ(e.data[0], 72);

  // A controller number is no pitch.
  e = Controller(0, 7, 100);
  ASSERT_EQ(store.ToDisplay(up, &e), S_OK);
  EXPECT_EQ(e.data[0], 7);
  EXPECT_EQ(e.data[1], 100);
}

}  // namespace
