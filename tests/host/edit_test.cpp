// Writing through HostMidiData: brackets and the undo steps they make, the
// change masks of SetItem, where InsertItem files events, DeleteItem, DeselectAll.
#include "host_fixture.h"

namespace refhost {
namespace {

using Texts = std::vector<std::string>;
using Labels = std::vector<std::wstring>;

class EditTest : public HostFixture {
 protected:
  HRESULT Insert(ItemPath* path, const MidiEvent& e) { return data->InsertItem(path, kLevelEvent, &e); }
  HRESULT Set(const ItemPath& path, const MidiEvent& e, DWORD mask) {
    return data->SetItem(&path, kLevelEvent, &e, mask);
  }
  std::vector<uint32_t> Order(const ItemPath& block) const {
    std::vector<uint32_t> ids;
    for (const SongEvent& e : host.Block(block)->events) ids.push_back(e.id);
    return ids;
  }
};

TEST_F(EditTest, ALabelledCommittedBracketIsOneUndoStep) {
  ItemPath path{t1.trackId, b1.blockId, 0};
  ASSERT_EQ(data->BeginEdit(1, L"Draw MIDI Event"), S_OK);
  ASSERT_EQ(Insert(&path, Note(1920, 480, 72)), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  EXPECT_EQ(host.Log().Texts(CallFilter::Edits), (Texts{"BeginEdit(1,Draw MIDI Event)", "InsertItem(3,t1,b1)", "EndEdit(1)"}));
  EXPECT_EQ(host.UndoLabels(), Labels{L"Draw MIDI Event"});
  EXPECT_EQ(path.blockId, b1.blockId);
  EXPECT_EQ(path.eventId, 8u);
  EXPECT_EQ(host.Log().Entries()[0].label, std::wstring(L"Draw MIDI Event"));
  EXPECT_EQ(host.Log().Entries()[1].outPath.eventId, 8u);
  EXPECT_EQ(host.Log().Entries()[1].event->data[0], 72);
  EXPECT_EQ(host.Log().Count("InsertItem"), 1u);
  EXPECT_EQ(Record(path).data[0], 72);
  EXPECT_EQ(host.OpenBrackets(), 0);
}

TEST_F(EditTest, NestedBracketsMakeOneStepUnderTheOutermostUndoableLabel) {
  ASSERT_EQ(data->BeginEdit(0, nullptr), S_OK);  // a read bracket around it all
  ASSERT_EQ(data->BeginEdit(1, L"Move MIDI Events"), S_OK);
  ASSERT_EQ(data->BeginEdit(1, L"Inner"), S_OK);
  ASSERT_EQ(Set(e1, Note(100, 240, 60), kSetAll), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  EXPECT_TRUE(host.UndoLabels().empty());  // nothing until the step's own bracket closes
  ASSERT_EQ(Set(e5, Note(1100, 480, 67), kSetAll), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  ASSERT_EQ(data->EndEdit(0), S_OK);
  EXPECT_EQ(host.UndoLabels(), Labels{L"Move MIDI Events"});
  EXPECT_EQ(host.Log().Texts(CallFilter::Edits),
            (Texts{"BeginEdit(1,Move MIDI Events)", "BeginEdit(1,Inner)", "SetItem(3,t1,b1,e1,0xFFFF)", "EndEdit(1)",
                   "SetItem(3,t1,b1,e5,0xFFFF)", "EndEdit(1)"}));
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(Record(e1).start, 0);
  EXPECT_EQ(Record(e5).start, 960);
}

TEST_F(EditTest, EndEditZeroKeepsTheChangesButRecordsNoStep) {
  ASSERT_EQ(data->BeginEdit(1, L"Delete MIDI Event"), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e2), S_OK);
  ASSERT_EQ(data->EndEdit(0), S_OK);
  EXPECT_FALSE(host.Event(e2).has_value());
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_EQ(host.Undo(), S_FALSE);
}

TEST_F(EditTest, SelectionOnlyBracketsWithoutLabelRecordNoStep) {
  ASSERT_EQ(data->BeginEdit(1, nullptr), S_OK);
  ASSERT_EQ(Set(e1, Selected(Note(0, 240, 60)), kSetSelected), S_OK);
  ASSERT_EQ(Set(e3, Note(480, 240, 64), kSetSelected), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_EQ(Record(e1).flags & kEventSelected, kEventSelected);
  EXPECT_EQ(Record(e3).flags & kEventSelected, 0u);

  // The same change under a label is a step ...
  ASSERT_EQ(data->BeginEdit(1, L"Edit MIDI Event"), S_OK);
  ASSERT_EQ(Set(e5, Selected(Note(960, 480, 67)), kSetSelected), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  // ... and so is an unlabelled bracket that changes data.
  ASSERT_EQ(data->BeginEdit(1, nullptr), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e2), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);
  EXPECT_EQ(host.UndoLabels(), (Labels{L"Edit MIDI Event", L""}));
}

TEST_F(EditTest, CallsOutsideABracketAreServedAndMarked) {
  MidiEvent e{};
  ItemPath path = e1;
  EXPECT_EQ(data->GetItem(&path, kLevelEvent, &e, kGetEvent), S_OK);
  EXPECT_EQ(e.data[0], 60);
  EXPECT_EQ(data->EndEdit(1), E_UNEXPECTED);
  EXPECT_EQ(host.Log().TextsWithResults(), (Texts{"GetItem(3,t1,b1,e1) [unbracketed] = S_OK", "EndEdit(1) = E_UNEXPECTED"}));
  EXPECT_EQ(host.Log().UnbracketedCount(), 1u);
  EXPECT_TRUE(host.Log().Entries()[0].unbracketed);
}

TEST_F(EditTest, SetAllReplacesTheRecordAndResortsOnlyWhenTheStartMoves) {
  data->BeginEdit(1, L"Edit");
  MidiEvent louder = Note(0, 300, 61, 127);
  louder.hostFields[3] = 9;
  ASSERT_EQ(Set(e1, louder, kSetAll), S_OK);
  EXPECT_EQ(Order(b1), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Record(e1).data[1], 127);
  EXPECT_EQ(Record(e1).duration, 300);
  EXPECT_EQ(Record(e1).hostFields[3], 9);
  ASSERT_EQ(Set(e1, Note(500, 300, 61), kSetAll), S_OK);  // now after e3 and e4 (480)
  EXPECT_EQ(Order(b1), (std::vector<uint32_t>{2, 3, 4, 1, 5}));
  ASSERT_EQ(Set(e5, Note(480, 480, 67), kSetAll), S_OK);  // equal start: after those already there
  EXPECT_EQ(Order(b1), (std::vector<uint32_t>{2, 3, 4, 5, 1}));
  ASSERT_EQ(Set(e1, Note(-10, 300, 61), kSetAll), S_OK);  // back past all of them
  EXPECT_EQ(Order(b1), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  // Every event is still found by its path after the moves.
  for (const ItemPath& e : {e1, e2, e3, e4, e5}) EXPECT_TRUE(host.Event(e).has_value()) << e.eventId;
  data->EndEdit(1);
  // Undo puts each event back at its place, equal starts in their old order.
  const std::vector<uint32_t> before = {1, 2, 3, 4, 5};
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_EQ(Order(b1), before);
  EXPECT_EQ(Record(e1).start, 0);
  ASSERT_EQ(host.Redo(), S_OK);
  EXPECT_EQ(Record(e1).start, -10);
  EXPECT_EQ(Record(e5).start, 480);
}

TEST_F(EditTest, TheSelectedAndSoloMasksChangeNothingElse) {
  data->BeginEdit(1, nullptr);
  // Only the selected flag is taken from the record.
  ASSERT_EQ(Set(e1, Selected(Note(999, 1, 1, 1, 9)), kSetSelected), S_OK);
  EXPECT_EQ(Record(e1).flags, kEventSelected);
  EXPECT_EQ(Record(e1).start, 0);
  EXPECT_EQ(Record(e1).data[0], 60);

  TrackInfo track = host.Track(t1.trackId)->info;
  track.channel = 9;
  SetTrackFlags(&track, kTrackSolo | 0x100);
  ASSERT_EQ(data->SetItem(&t1, kLevelTrack, &track, kSetSolo), S_OK);
  EXPECT_EQ(TrackFlags(host.Track(t1.trackId)->info), kTrackSolo);
  EXPECT_EQ(host.Track(t1.trackId)->info.channel, 0);
  ASSERT_EQ(data->SetItem(&t1, kLevelTrack, &track, kSetAll), S_OK);
  EXPECT_EQ(host.Track(t1.trackId)->info.channel, 9);
  EXPECT_EQ(host.Track(t1.trackId)->name, L"Piano");  // names are not written by SetItem

  EXPECT_EQ(Set(e1, Note(0, 1, 1), kSetSolo), E_INVALIDARG);
  EXPECT_EQ(data->SetItem(&t1, kLevelTrack, &track, kSetSelected), E_INVALIDARG);
  EXPECT_EQ(Set(ItemPath{t1.trackId, b2.blockId, e1.eventId}, Note(0, 1, 1), kSetAll), E_INVALIDARG);
  data->EndEdit(1);
  EXPECT_EQ(host.UndoLabels(), Labels{L""});  // the solo change is data, not selection
}

TEST_F(EditTest, RecordsWithoutExactlyOneKnownTypeBitAreRefused) {
  data->BeginEdit(1, L"Bad");
  ItemPath path{t1.trackId, b1.blockId, 0};
  MidiEvent e = Note(0, 10, 60);
  e.type = kEvNoteOn | kEvNoteOff;
  EXPECT_EQ(Insert(&path, e), E_INVALIDARG);
  e.type = 0;
  EXPECT_EQ(Insert(&path, e), E_INVALIDARG);
  e.type = 0x1000;
  EXPECT_EQ(Set(e1, e, kSetAll), E_INVALIDARG);
  e = LongEvent(kEvMeta, 0);
  e.duration = 3;  // three bytes promised, none given
  EXPECT_EQ(Insert(&path, e), E_INVALIDARG);
  data->EndEdit(1);
  EXPECT_EQ(Order(b1).size(), 5u);
  EXPECT_TRUE(host.UndoLabels().empty());
}

TEST_F(EditTest, InsertWithoutBlockFilesTheEventInTheBlockHoldingItsStart) {
  Advise();
  data->BeginEdit(1, L"Paste MIDI Events");
  ItemPath early{t1.trackId, 0, 0}, late{t1.trackId, 0, 0}, past{t1.trackId, 0, 0};
  ASSERT_EQ(Insert(&early, Note(100, 10, 50)), S_OK);
  ASSERT_EQ(Insert(&late, Note(4000, 10, 50)), S_OK);
  ASSERT_EQ(Insert(&past, Note(7600, 200, 50)), S_OK);  // runs 120 ticks past b2
  data->EndEdit(1);
  EXPECT_EQ(early.blockId, b1.blockId);
  EXPECT_EQ(late.blockId, b2.blockId);
  EXPECT_EQ(past.blockId, b2.blockId);
  EXPECT_EQ(host.Block(b2)->info.end, 7800);
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(3,t1,b1,e8)", "Inserted(3,t1,b2,e9)", "Changed(2,t1,b2)",
                                 "Inserted(3,t1,b2,e10)"}));
}

TEST_F(EditTest, InsertIntoATrackWithoutBlocksCreatesOne) {
  const ItemPath empty = host.AddTrack({.name = L"Empty"});
  Advise();
  ItemPath path{empty.trackId, 0, 0};
  data->BeginEdit(1, L"Draw MIDI Event");
  ASSERT_EQ(Insert(&path, Note(960, 240, 60)), S_OK);
  data->EndEdit(1);
  ASSERT_NE(path.blockId, 0u);
  const SongBlock* block = host.Block(path);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->info.start, 960);
  EXPECT_EQ(block->info.end, 1200);
  EXPECT_EQ(block->info.kind, 2u);
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(2,t3,b4)", "Inserted(3,t3,b4,e8)"}));
  ASSERT_EQ(host.Undo(), S_OK);
  EXPECT_TRUE(host.Track(empty.trackId)->blocks.empty());
}

TEST_F(EditTest, AStartMovedOutOfItsBlockMovesTheEventToTheBlockHoldingIt) {
  Advise();
  data->BeginEdit(1, L"Move MIDI Event");
  ASSERT_EQ(Set(e5, Note(4000, 480, 67), kSetAll), S_OK);
  data->EndEdit(1);
  const ItemPath moved{t1.trackId, b2.blockId, e5.eventId};
  ASSERT_TRUE(host.Event(moved).has_value());
  EXPECT_FALSE(host.Event(e5).has_value());
  EXPECT_EQ(ProbeTexts(), Texts{"Moved(3,t1,b1,e5>t1,b2,e5)"});
  EXPECT_EQ(Order(b2), (std::vector<uint32_t>{6, 5}));
}

TEST_F(EditTest, DeleteItemRemovesItemsAtEachLevel) {
  data->BeginEdit(1, L"Delete");
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e3), S_OK);
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e3), E_INVALIDARG);
  EXPECT_EQ(data->DeleteItem(kLevelBlock, &b2), S_OK);
  EXPECT_EQ(data->DeleteItem(kLevelTrack, &t2), S_OK);
  EXPECT_EQ(data->DeleteItem(kLevelEvent, nullptr), E_POINTER);
  data->EndEdit(1);
  EXPECT_EQ(Order(b1), (std::vector<uint32_t>{1, 2, 4, 5}));
  EXPECT_EQ(host.Block(b2), nullptr);
  EXPECT_EQ(host.Track(t2.trackId), nullptr);
  EXPECT_EQ(host.Log().Texts(CallFilter::Edits),
            (Texts{"BeginEdit(1,Delete)", "DeleteItem(3,t1,b1,e3)", "DeleteItem(3,t1,b1,e3)", "DeleteItem(2,t1,b2)",
                   "DeleteItem(1,t2)", "DeleteItem(3,t0,b0,e0)", "EndEdit(1)"}));
}

TEST_F(EditTest, DeselectAllClearsTheSelectedEventsOfTheMaskEverywhere) {
  host.AddEvent(b3, Selected(Note(100, 10, 40)));                 // e8, another track
  host.AddEvent(b1, Selected(Controller(600, 1, 2)));             // e9, another type
  Advise();
  data->BeginEdit(1, nullptr);
  ASSERT_EQ(data->DeselectAll(kLevelEvent, 0, kEvNoteOn | kEvNoteOff, 0, 0, 0, 0, 0, 2), S_OK);
  EXPECT_EQ(data->DeselectAll(kLevelTrack, 0, kEvNoteOn, 0, 0, 0, 0, 0, 2), E_INVALIDARG);
  data->EndEdit(1);
  EXPECT_EQ(Record(e3).flags & kEventSelected, 0u);
  EXPECT_EQ(Record({t2.trackId, b3.blockId, 8}).flags & kEventSelected, 0u);
  EXPECT_EQ(Record({t1.trackId, b1.blockId, 9}).flags & kEventSelected, kEventSelected);
  EXPECT_EQ(ProbeTexts(), (Texts{"Changed(3,t1,b1,e3)", "Changed(3,t2,b3,e8)"}));
  EXPECT_EQ(host.Log().Texts(CallFilter::Edits)[1], "DeselectAll(3,0x60)");
  EXPECT_TRUE(host.UndoLabels().empty());
}

}  // namespace
}  // namespace refhost
