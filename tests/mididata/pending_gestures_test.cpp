// Gesture operations against the reference host: setting the velocity of the
// selection, the velocity line, and clearing room for a drawn note.
#include <gtest/gtest.h>

#include "mididata/edit_gestures.h"
#include "mididata/edit_labels.h"
#include "tests/mididata/edit_fixture.h"

using edittest::Del;
using edittest::Ins;
using edittest::Set;
using refhost::Note;
using refhost::Selected;

namespace {

class GestureTest : public edittest::EditTest {};

}  // namespace

TEST_F(GestureTest, SetVelocityOfTheSelectionThroughTheTrackOffset) {
  ASSERT_EQ(host.ChangeTrack(piano, {.name = L"Piano", .channel = 2, .velocityOffset = 10, .pitchOffset = 12,
                                     .orderKey = 1}),
            S_OK);
  const ItemPath high = host.AddEvent(block, Selected(Note(0, 240, 120, 90)));  // shows as pitch 127 (clamped)
  const ItemPath low = host.AddEvent(block, Selected(Note(480, 240, 40, 30)));
  const ItemPath off = host.AddEvent(block, Note(960, 240, 41, 30));
  const ItemPath cc = host.AddEvent(block, Selected(refhost::Controller(100, 7, 99)));
  Show();
  ASSERT_EQ(SetSelectedVelocity(store, 64), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Set MIDI Event Velocities)", Set(low), Set(high),
                                               "EndEdit(1)"}));
  EXPECT_EQ(At(high).data[1], 54);  // 64 shown = 54 stored
  EXPECT_EQ(At(high).data[0], 120);  // the stored pitch is kept, not the clamped shown one
  EXPECT_EQ(At(low).data[1], 54);
  EXPECT_EQ(At(off).data[1], 30);
  EXPECT_EQ(At(cc).data[1], 99);  // a controller value is no velocity

  ASSERT_EQ(store.SelectAllNotes(false), S_OK);
  MidiEvent one = At(low);
  one.flags |= kEventSelected;
  ASSERT_EQ(SetEvent(store, low, one, kSetSelected), S_OK);
  host.Log().Clear();
  ASSERT_EQ(SetSelectedVelocity(store, 127), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Set MIDI Event Velocity)", Set(low), "EndEdit(1)"}));
  EXPECT_EQ(At(low).data[1], 117);
}

TEST_F(GestureTest, VelocityLineFromZeroToZeroSetsEveryVisitedNoteToOne) {
  const ItemPath a = host.AddEvent(block, Note(0, 100, 60, 90));
  const ItemPath b = host.AddEvent(block, Note(480, 100, 62, 90));
  const ItemPath c = host.AddEvent(block, Note(960, 100, 64, 90));
  const ItemPath late = host.AddEvent(block, Note(2000, 100, 64, 90));
  Show();
  ASSERT_EQ(VelocityLine(store, 960, 0, 0, 0, 10, 0xFFFFFFFFu), S_OK);  // given right to left
  ASSERT_EQ(CommitPending(store, KVTEXT("Draw MIDI Velocity"), false), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Draw MIDI Velocity)", Set(c), Set(b), Set(a),
                                               "EndEdit(1)"}));
  EXPECT_EQ(At(a).data[1], 1);
  EXPECT_EQ(At(b).data[1], 1);
  EXPECT_EQ(At(c).data[1], 1);
  EXPECT_EQ(At(late).data[1], 90);
}

TEST_F(GestureTest, VelocityLineSlopeReachAndSelectionAtOneTime) {
  const ItemPath early = host.AddEvent(block, Note(95, 10, 50, 5));   // one pixel (10 ticks) before the line
  const ItemPath tooEarly = host.AddEvent(block, Note(89, 10, 50, 5));
  const ItemPath mid = host.AddEvent(block, Note(600, 10, 50, 5));
  const ItemPath chordSel = host.AddEvent(block, Selected(Note(1000, 10, 60, 5)));
  const ItemPath chordOther = host.AddEvent(block, Note(1000, 10, 64, 5));
  const ItemPath same = host.AddEvent(block, Note(350, 10, 70, 35));  // already at the line's value
  Show();
  // 10 at 100 rising to 100 at 1000: slope 0.1.
  ASSERT_EQ(VelocityLine(store, 100, 10, 1000, 100, 10, 0xFFFFFFFFu), S_OK);
  const PendingEdits& p = store.pending();
  EXPECT_EQ(p.PendingChangeCount(), 3);
  MidiEvent e{};
  ASSERT_EQ(p.PendingChangeFor(early, &e), S_OK);
  EXPECT_EQ(e.data[1], 9);  // 10 + 0.1 x -5 = 9.5, truncated
  ASSERT_EQ(p.PendingChangeFor(mid, &e), S_OK);
  EXPECT_EQ(e.data[1], 60);
  ASSERT_EQ(p.PendingChangeFor(chordSel, &e), S_OK);
  EXPECT_EQ(e.data[1], 100);
  EXPECT_EQ(p.FindPendingChange(chordOther), -1);  // a selected note starts at the same time
  EXPECT_EQ(p.FindPendingChange(tooEarly), -1);
  EXPECT_EQ(p.FindPendingChange(same), -1);
  EXPECT_TRUE(host.Log().Texts(refhost::CallFilter::Edits).empty());  // nothing written while drawing
  EXPECT_EQ(CommitPending(store, nullptr, true), S_OK);
}

TEST_F(GestureTest, DrawingOverALongerNoteShortensItAndDeletesNotesInTheWay) {
  const ItemPath longer = host.AddEvent(block, Note(0, 960, 60));
  const ItemPath inside = host.AddEvent(block, Note(600, 100, 60));
  const ItemPath otherPitch = host.AddEvent(block, Note(500, 100, 61));
  const ItemPath after = host.AddEvent(block, Note(720, 100, 60));
  Show();
  PendingEdits& p = store.pending();
  // A painted insert in the way, then the note being drawn at 480..720.
  ASSERT_EQ(p.QueueInsert(Note(500, 50, 60), nullptr), S_OK);
  int32_t drawn = -1;
  ASSERT_EQ(p.QueueInsert(Note(480, 240, 60), &drawn), S_OK);
  ASSERT_EQ(drawn, 1);
  bool changed = false;
  ASSERT_EQ(ClearRoomForNote(store, 480, 240, 60, 60, 0xFFFFFFFFu, &drawn, &changed), S_OK);
  EXPECT_TRUE(changed);
  EXPECT_EQ(drawn, 0);  // follows the removal before it
  EXPECT_EQ(p.PendingInsertCount(), 1);
  ASSERT_EQ(CommitPending(store, EditLabel(EditKind::Draw, p), false), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Draw MIDI Event)", Ins(InsertTarget()), Set(longer),
                                               Del(inside), "EndEdit(1)"}));
  EXPECT_EQ(At(longer).duration, 480);  // ends where the new one begins
  EXPECT_FALSE(host.Event(inside).has_value());
  EXPECT_EQ(At(otherPitch).duration, 100);
  EXPECT_EQ(At(after).start, 720);

  // Nothing in the way: nothing changes.
  host.Log().Clear();
  ASSERT_EQ(ClearRoomForNote(store, 3000, 100, 10, 20, 0xFFFFFFFFu, nullptr, &changed), S_OK);
  EXPECT_FALSE(changed);
  EXPECT_TRUE(p.Empty());
}

TEST_F(GestureTest, ClearingRoomUsesPendingRecordsAndTheChannelMask) {
  const ItemPath moved = host.AddEvent(block, Note(0, 100, 60));
  Show();
  PendingEdits& p = store.pending();
  MidiEvent stretched = At(moved);
  stretched.duration = 1000;  // pending: now reaches into the window
  ASSERT_EQ(p.QueueChange(moved, stretched, kSetAll), S_OK);
  bool changed = false;
  // The track forces channel 2: a mask without it leaves the note alone.
  ASSERT_EQ(ClearRoomForNote(store, 500, 100, 60, 60, ~(1u << 2), nullptr, &changed), S_OK);
  EXPECT_FALSE(changed);
  ASSERT_EQ(ClearRoomForNote(store, 500, 100, 61, 59, 1u << 2, nullptr, &changed), S_OK);  // range in either order
  EXPECT_TRUE(changed);
  MidiEvent e{};
  ASSERT_EQ(p.PendingChangeFor(moved, &e), S_OK);
  EXPECT_EQ(e.duration, 500);
  CommitPending(store, nullptr, true);
}
