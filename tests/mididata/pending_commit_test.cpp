// Committing pending edits and the one-bracket writes against the reference
// host: the exact host calls and undo labels of each operation, the order of
// the steps, and what a failing host call leaves behind.
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

constexpr HRESULT kInjected = static_cast<HRESULT>(0x8004D00Bu);

class CommitTest : public edittest::EditTest {};

// The gesture of a move: snapshot the selection, shift every pending record.
HRESULT MoveSelection(EventStore& store, int64_t by) {
  HRESULT hr = BeginMoveOrResize(store);
  if (FAILED(hr)) return hr;
  PendingEdits& p = store.pending();
  for (int32_t i = 0; i < p.PendingChangeCount(); ++i) {
    ItemPath path{};
    MidiEvent e{};
    p.PendingChangeAt(i, &path, &e);
    e.start += by;
    hr = p.QueueChange(path, e, kSetAll);
    if (FAILED(hr)) return hr;
  }
  return CommitPending(store, EditLabel(EditKind::Move, p), false);
}

}  // namespace

TEST_F(CommitTest, MovingOneNoteAndTwoNotes) {
  const ItemPath a = host.AddEvent(block, Selected(Note(0, 240, 60)));
  const ItemPath b = host.AddEvent(block, Note(480, 240, 62));
  Show();
  ASSERT_EQ(MoveSelection(store, 120), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Move MIDI Event)", Set(a), "EndEdit(1)"}));
  EXPECT_EQ(At(a).start, 120);
  EXPECT_EQ(At(b).start, 480);

  host.Log().Clear();
  ASSERT_EQ(store.SelectAllNotes(true), S_OK);
  host.Log().Clear();
  ASSERT_EQ(MoveSelection(store, 10), S_OK);
  // Changes are written from the last to the first.
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Move MIDI Events)", Set(b), Set(a), "EndEdit(1)"}));
  EXPECT_EQ(At(a).start, 130);
  EXPECT_EQ(At(b).start, 490);
  EXPECT_EQ(host.UndoLabels().back(), L"Move MIDI Events");
  EXPECT_TRUE(store.pending().Empty());
}

TEST_F(CommitTest, StepsGoInsertsThenChangesBackwardsThenDeletes) {
  const ItemPath a = host.AddEvent(block, Note(0, 240, 60));
  const ItemPath b = host.AddEvent(block, Note(480, 240, 62));
  const ItemPath c = host.AddEvent(block, Note(960, 240, 64));
  const ItemPath d = host.AddEvent(block, Note(1440, 240, 65));
  Show();
  PendingEdits& p = store.pending();
  ASSERT_EQ(p.QueueInsert(Note(100, 10, 70), nullptr), S_OK);
  ASSERT_EQ(p.QueueInsert(Note(200, 10, 71), nullptr), S_OK);
  MidiEvent changed = At(a);
  changed.data[1] = 11;
  ASSERT_EQ(p.QueueChange(a, changed, kSetAll), S_OK);
  changed = At(b);
  changed.data[1] = 22;
  ASSERT_EQ(p.QueueChange(b, changed, kSetAll), S_OK);
  ASSERT_EQ(p.QueueDelete(c), S_OK);
  ASSERT_EQ(p.QueueDelete(d), S_OK);

  ASSERT_EQ(CommitPending(store, KVTEXT("Paint MIDI Events"), false), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Paint MIDI Events)", Ins(InsertTarget()),
                                               Ins(InsertTarget()), Set(b), Set(a), Del(c), Del(d), "EndEdit(1)"}));
  EXPECT_TRUE(p.Empty());
  EXPECT_EQ(At(a).data[1], 11);
  EXPECT_EQ(At(b).data[1], 22);
  EXPECT_FALSE(host.Event(c).has_value());
  const auto events = host.Events(piano.trackId);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].record.start, 100);
  EXPECT_EQ(events[1].record.data[0], 70);
  EXPECT_EQ(events[1].record.channel, 0);
  EXPECT_EQ(events[2].record.data[0], 71);
  EXPECT_EQ(host.UndoLabels(), (std::vector<std::wstring>{L"Paint MIDI Events"}));
}

TEST_F(CommitTest, NothingPendingOrDiscardOpensNothing) {
  const ItemPath a = host.AddEvent(block, Note(0, 240, 60));
  Show();
  EXPECT_EQ(CommitPending(store, KVTEXT("Draw MIDI Event"), false), S_FALSE);
  EXPECT_EQ(CommitDeletes(store, false), S_FALSE);
  ASSERT_EQ(store.pending().QueueDelete(a), S_OK);
  ASSERT_EQ(store.pending().QueueInsert(Note(5, 5, 5), nullptr), S_OK);
  EXPECT_EQ(CommitPending(store, KVTEXT("Draw MIDI Event"), true), S_OK);
  EXPECT_TRUE(store.pending().Empty());
  EXPECT_TRUE(host.Log().Entries().empty());
  EXPECT_TRUE(host.Event(a).has_value());
}

// Every step of a commit is made to fail in turn: the result is the host's
// code, the steps before it stay in one kept bracket (or none is kept when
// nothing succeeded), the lists are emptied and no bracket stays open.
TEST_F(CommitTest, FailingStepsStopTheCommit) {
  const ItemPath a = host.AddEvent(block, Note(0, 240, 60));
  const ItemPath b = host.AddEvent(block, Note(480, 240, 62));
  Show();
  struct Case {
    const char* call;
    int nth;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"BeginEdit(1,Edit)", 1, {"BeginEdit(1,Edit)"}},
      {"InsertItem", 1, {"BeginEdit(1,Edit)", Ins(InsertTarget()), "EndEdit(0)"}},
      {"InsertItem", 2, {"BeginEdit(1,Edit)", Ins(InsertTarget()), Ins(InsertTarget()), "EndEdit(1)"}},
      {"SetItem", 1, {"BeginEdit(1,Edit)", Ins(InsertTarget()), Ins(InsertTarget()), Set(a), "EndEdit(1)"}},
      {"DeleteItem",
       1,
       {"BeginEdit(1,Edit)", Ins(InsertTarget()), Ins(InsertTarget()), Set(a), Del(b), "EndEdit(1)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.call) + " #" + std::to_string(c.nth));
    PendingEdits& p = store.pending();
    ASSERT_EQ(p.QueueInsert(Note(100, 10, 70), nullptr), S_OK);
    ASSERT_EQ(p.QueueInsert(Note(200, 10, 71), nullptr), S_OK);
    ASSERT_EQ(p.QueueChange(a, At(a), kSetAll), S_OK);
    ASSERT_EQ(p.QueueDelete(b), S_OK);
    const size_t before = host.Events(piano.trackId).size();
    host.Faults().FailCall(c.call, kInjected, c.nth);
    host.Log().Clear();
    EXPECT_EQ(CommitPending(store, KVTEXT("Edit"), false), kInjected);
    host.Faults().Clear();
    EXPECT_EQ(Edits(), c.expected);
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(host.OpenBrackets(), 0);
    EXPECT_EQ(host.OutstandingBlocks(), 0u);
    if (c.expected.size() <= 3) {
      EXPECT_EQ(host.Events(piano.trackId).size(), before);
    }
    // Put the project back for the next case.
    for (const auto& e : host.Events(piano.trackId)) {
      if (e.record.data[0] >= 70) {
        EXPECT_EQ(host.DeleteEvent(e.path), S_OK);
      }
    }
    ASSERT_EQ(host.Events(piano.trackId).size(), 2u);
  }
}

TEST_F(CommitTest, DeleteSelectionAndCommitDeletes) {
  const ItemPath a = host.AddEvent(block, Selected(Note(0, 240, 60)));
  const ItemPath b = host.AddEvent(block, Note(480, 240, 62));
  const ItemPath c = host.AddEvent(block, Selected(refhost::Controller(500, 7, 99)));
  Show();
  ASSERT_EQ(DeleteSelection(store), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Delete MIDI Event)", Del(a), Del(c), "EndEdit(1)"}));
  EXPECT_TRUE(host.Event(b).has_value());
  EXPECT_FALSE(host.Event(a).has_value());
  EXPECT_TRUE(store.pending().Empty());

  host.Log().Clear();
  EXPECT_EQ(DeleteSelection(store), S_FALSE);  // nothing selected: no bracket
  EXPECT_TRUE(Edits().empty());

  // A failing first delete keeps nothing.
  ASSERT_EQ(store.pending().QueueDelete(b), S_OK);
  ASSERT_EQ(store.pending().QueueInsert(Note(1, 1, 1), nullptr), S_OK);
  host.Faults().FailCall("DeleteItem", kInjected, 1);
  host.Log().Clear();
  EXPECT_EQ(CommitDeletes(store, false), kInjected);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Delete MIDI Event)", Del(b), "EndEdit(0)"}));
  EXPECT_EQ(store.pending().PendingDeleteCount(), 0);
  EXPECT_EQ(store.pending().PendingInsertCount(), 1);  // the other lists are not CommitDeletes' business
  EXPECT_EQ(host.OpenBrackets(), 0);
}

TEST_F(CommitTest, InsertEventsSetEventAndSetTrackInfo) {
  const ItemPath a = host.AddEvent(block, Note(0, 240, 60));
  Show();
  const MidiEvent two[2] = {Note(10, 5, 50), Note(20, 5, 51)};
  EXPECT_EQ(InsertEvents(store, block, two, 0, KVTEXT("Paste MIDI Event")), S_FALSE);
  EXPECT_TRUE(host.Log().Entries().empty());
  ASSERT_EQ(InsertEvents(store, block, two, 2, KVTEXT("Paste MIDI Events")), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Paste MIDI Events)", Ins(block), Ins(block),
                                               "EndEdit(1)"}));
  EXPECT_EQ(host.Events(piano.trackId).size(), 3u);

  host.Faults().FailCall("InsertItem", kInjected, 2);
  host.Log().Clear();
  EXPECT_EQ(InsertEvents(store, block, two, 2, KVTEXT("Paste MIDI Events")), kInjected);
  EXPECT_EQ(Edits().back(), "EndEdit(1)");  // the first insert is kept
  EXPECT_EQ(host.Events(piano.trackId).size(), 4u);
  host.Faults().Clear();

  host.Log().Clear();
  MidiEvent selected = At(a);
  selected.flags |= kEventSelected;
  ASSERT_EQ(SetEvent(store, a, selected, kSetSelected), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Edit MIDI Event)", Set(a, "0x8000"), "EndEdit(1)"}));
  EXPECT_TRUE(At(a).flags & kEventSelected);

  host.Faults().FailCall("SetItem", kInjected, 1);
  host.Log().Clear();
  EXPECT_EQ(SetEvent(store, a, selected, kSetSelected), kInjected);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Edit MIDI Event)", Set(a, "0x8000"), "EndEdit(0)"}));
  host.Faults().Clear();

  const int32_t index = store.TrackIndexOf(piano.trackId);
  TrackInfo info{};
  ASSERT_EQ(store.GetTrackInfo(index, &info), S_OK);
  CoTaskMemFree(info.name);
  info.name = nullptr;
  host.Log().Clear();
  ASSERT_EQ(SetTrackInfo(store, index, info, kSetSolo, EditLabel(EditKind::SoloSubTrack, store.pending())), S_OK);
  const std::string track = "t" + std::to_string(piano.trackId);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Solo MIDI sub track)", "SetItem(1," + track + ",0x1000)",
                                               "EndEdit(1)"}));
  host.Log().Clear();
  ASSERT_EQ(SetTrackInfo(store, index, info, kSetAll), S_OK);
  EXPECT_EQ(Edits().front(), "BeginEdit(1,Edit Track)");
  EXPECT_EQ(SetTrackInfo(store, 7, info, kSetAll), S_FALSE);  // no such track
}
