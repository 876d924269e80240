// Undo and Redo as the host's Edit menu runs them: the project comes back
// exactly (records, ids, payloads, names, order) and every change is reported.
#include "host_fixture.h"

namespace refhost {
namespace {

using Texts = std::vector<std::string>;
using Labels = std::vector<std::wstring>;

class UndoRedoTest : public HostFixture {};

TEST_F(UndoRedoTest, AStepOfEveryKindOfChangeUndoesAndRedoesExactly) {
  const Song before = host.song();
  data->BeginEdit(1, L"Everything");
  ItemPath meta{t1.trackId, b1.blockId, 0};
  MidiEvent metaRecord = LongEvent(kEvMeta, 100);
  uint8_t text[] = {0x01, 'h', 'i'};
  metaRecord.duration = sizeof text;
  metaRecord.payload = text;
  ASSERT_EQ(data->InsertItem(&meta, kLevelEvent, &metaRecord), S_OK);
  const MidiEvent moved = Note(2000, 240, 64);
  ASSERT_EQ(data->SetItem(&e3, kLevelEvent, &moved, kSetAll), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e4), S_OK);  // the sysex with its payload
  TrackInfo bass = host.Track(t2.trackId)->info;
  bass.pitchOffset = -12;
  ASSERT_EQ(data->SetItem(&t2, kLevelTrack, &bass, kSetAll), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelBlock, &b2), S_OK);  // a named block with an event
  ItemPath grown{t2.trackId, 0, 0};
  const MidiEvent beyond = Note(3800, 400, 40);  // widens b3
  ASSERT_EQ(data->InsertItem(&grown, kLevelEvent, &beyond), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  const Song after = host.song();
  ASSERT_NE(after, before);

  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(host.Undo(), S_OK);
    EXPECT_EQ(host.song(), before);
    EXPECT_EQ(host.RedoLabels(), Labels{L"Everything"});
    ASSERT_EQ(host.Redo(), S_OK);
    EXPECT_EQ(host.song(), after);
    EXPECT_EQ(host.UndoLabels(), Labels{L"Everything"});
  }
}

TEST_F(UndoRedoTest, EventsAtEqualTimesComeBackInTheirOldOrder) {
  // e3 and e4 both start at 480; put a third one between them in time order.
  const ItemPath middle = host.AddEvent(b1, Note(480, 10, 10));  // after e4
  const Song before = host.song();
  data->BeginEdit(1, L"Delete MIDI Event");
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e3), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e4), S_OK);
  data->EndEdit(1);
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(host.song(), before);  // e3, e4, middle, not middle first
  EXPECT_EQ(host.Block(b1)->events[4].id, middle.eventId);
}

TEST_F(UndoRedoTest, UndoAndRedoReportTheirChangesLikeAnyOther) {
  Advise();
  ItemPath added{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 72);
  const MidiEvent later = Note(1000, 240, 60);
  data->BeginEdit(1, L"Edit");
  data->InsertItem(&added, kLevelEvent, &note);
  data->SetItem(&e1, kLevelEvent, &later, kSetAll);
  data->DeleteItem(kLevelEvent, &e2);
  data->EndEdit(1);
  probe->records.clear();
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(3,t1,b1,e2)", "Changed+Resort(3,t1,b1,e1)", "Deleted(3,t1,b1,e8)"}));
  probe->records.clear();
  ASSERT_EQ(host.Redo(), S_OK);
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(3,t1,b1,e8)", "Changed+Resort(3,t1,b1,e1)", "Deleted(3,t1,b1,e2)"}));
}

TEST_F(UndoRedoTest, UndoRevertsOnlyItsOwnStep) {
  ItemPath added{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 72);
  data->BeginEdit(1, L"Draw MIDI Event");
  data->InsertItem(&added, kLevelEvent, &note);
  data->EndEdit(1);
  // A later selection change makes no step and must survive the undo.
  const MidiEvent selected = Selected(Note(0, 240, 60));
  data->BeginEdit(1, nullptr);
  data->SetItem(&e1, kLevelEvent, &selected, kSetSelected);
  data->EndEdit(1);
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_FALSE(host.Event(added).has_value());
  EXPECT_EQ(Record(e1).flags & kEventSelected, kEventSelected);
}

TEST_F(UndoRedoTest, ANewStepDropsTheRedoHistory) {
  data->BeginEdit(1, L"First");
  data->DeleteItem(kLevelEvent, &e1);
  data->EndEdit(1);
  data->BeginEdit(1, L"Second");
  data->DeleteItem(kLevelEvent, &e2);
  data->EndEdit(1);
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(host.RedoLabels(), Labels{L"Second"});
  data->BeginEdit(1, L"Third");
  data->DeleteItem(kLevelEvent, &e3);
  data->EndEdit(1);
  EXPECT_TRUE(host.RedoLabels().empty());
  EXPECT_EQ(host.UndoLabels(), (Labels{L"First", L"Third"}));
  EXPECT_EQ(host.Redo(), S_FALSE);
}

TEST_F(UndoRedoTest, NothingToUndoAndOpenBracketsAreRefused) {
  EXPECT_EQ(host.Undo(), S_FALSE);
  EXPECT_EQ(host.Redo(), S_FALSE);
  data->BeginEdit(1, L"Open");
  data->DeleteItem(kLevelEvent, &e1);
  EXPECT_EQ(host.Undo(), E_UNEXPECTED);
  data->EndEdit(1);
  EXPECT_EQ(host.Undo(), S_OK);
  EXPECT_TRUE(host.Event(e1).has_value());
}

TEST_F(UndoRedoTest, TheHostUsersOwnEditsAreStepsToo) {
  const Song before = host.song();
  host.BeginUserEdit(L"Transpose");
  ASSERT_EQ(host.ChangeEvent(e1, Note(0, 240, 62)), S_OK);
  ASSERT_EQ(host.ChangeEvent(e5, Note(960, 480, 69)), S_OK);
  ASSERT_EQ(host.EndUserEdit(), S_OK);
  ASSERT_EQ(host.DeleteTrack(t2), S_OK);
  const ItemPath track = host.InsertTrack({.name = L"Strings", .channel = 3});
  EXPECT_EQ(host.UndoLabels(), (Labels{L"Transpose", L"", L""}));
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(host.Track(track.trackId), nullptr);
  ASSERT_EQ(host.Undo(), S_OK);
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(host.song(), before);
  EXPECT_EQ(host.EndUserEdit(), E_UNEXPECTED);
}

}  // namespace
}  // namespace refhost
