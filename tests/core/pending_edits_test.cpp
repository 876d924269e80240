// PendingEdits: queueing, replacing, finding and removing inserts, changes and
// deletes; the payload copies of long events; the undo labels.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "mididata/edit_labels.h"
#include "mididata/pending_edits.h"

namespace {

MidiEvent Note(int64_t start, int32_t duration, uint8_t pitch, uint8_t velocity = 64) {
  MidiEvent e{};
  e.type = kEvNoteOn;
  e.start = start;
  e.timeFormat = kTimeTicks;
  e.duration = duration;
  e.data[0] = pitch;
  e.data[1] = velocity;
  return e;
}

MidiEvent Typed(uint32_t type, int64_t start, uint8_t d1, uint8_t d2 = 0) {
  MidiEvent e = Note(start, 0, d1, d2);
  e.type = type;
  return e;
}

std::u16string Text(const kvchar* s) {
  std::u16string out;
  for (; *s; ++s) out.push_back(static_cast<char16_t>(*s));
  return out;
}

}  // namespace

TEST(PendingEdits, StartsEmptyAndReportsOutOfRangeIndexes) {
  PendingEdits p;
  EXPECT_TRUE(p.Empty());
  MidiEvent e{};
  ItemPath path{};
  EXPECT_EQ(p.PendingInsertAt(0, &e), kPendingNone);
  EXPECT_EQ(p.RemovePendingInsert(-1), kPendingNone);
  EXPECT_EQ(p.PendingChangeAt(0, &path, &e), kPendingNone);
  EXPECT_EQ(p.PendingDeleteAt(0, &path), kPendingNone);
  EXPECT_EQ(p.PendingChangeFor(ItemPath{1, 2, 3}, &e), kPendingNoChange);
  EXPECT_EQ(p.FindPendingChange(ItemPath{1, 2, 3}), -1);
  EXPECT_EQ(p.FindPendingDelete(ItemPath{1, 2, 3}), -1);
  EXPECT_EQ(p.FindPendingInsert(0, kEvNoteOn, 60), -1);
}

TEST(PendingEdits, QueueInsertAppendsOrReplacesByIndex) {
  PendingEdits p;
  int32_t index = -1;
  ASSERT_EQ(p.QueueInsert(Note(0, 100, 60), &index), KV_OK);
  EXPECT_EQ(index, 0);
  int32_t second = 7;  // names no entry: appended
  ASSERT_EQ(p.QueueInsert(Note(50, 100, 62), &second), KV_OK);
  EXPECT_EQ(second, 1);
  ASSERT_EQ(p.QueueInsert(Note(10, 200, 61), &index), KV_OK);  // replaces entry 0
  EXPECT_EQ(index, 0);
  ASSERT_EQ(p.QueueInsert(Note(70, 5, 30), nullptr), KV_OK);
  EXPECT_EQ(p.PendingInsertCount(), 3);

  MidiEvent e{};
  ASSERT_EQ(p.PendingInsertAt(0, &e), KV_OK);
  EXPECT_EQ(e.start, 10);
  EXPECT_EQ(e.duration, 200);
  EXPECT_EQ(e.data[0], 61);
  ASSERT_EQ(p.RemovePendingInsert(1), KV_OK);
  ASSERT_EQ(p.PendingInsertAt(1, &e), KV_OK);
  EXPECT_EQ(e.data[0], 30);
  EXPECT_EQ(p.PendingInsertCount(), 2);
}

TEST(PendingEdits, SortIsStableByStart) {
  PendingEdits p;
  for (auto [start, pitch] : {std::pair{300, 1}, {100, 2}, {300, 3}, {-5, 4}, {100, 5}})
    ASSERT_EQ(p.QueueInsert(Note(start, 1, static_cast<uint8_t>(pitch)), nullptr), KV_OK);
  ASSERT_EQ(p.SortPendingInserts(), KV_OK);
  std::vector<int> order;
  for (int32_t i = 0; i < p.PendingInsertCount(); ++i) {
    MidiEvent e{};
    p.PendingInsertAt(i, &e);
    order.push_back(e.data[0]);
  }
  EXPECT_EQ(order, (std::vector<int>{4, 2, 5, 1, 3}));
}

TEST(PendingEdits, FindPendingInsertHitRules) {
  PendingEdits p;
  p.QueueInsert(Typed(kEvControlChange, 100, 7, 90), nullptr);  // 0
  p.QueueInsert(Note(100, 50, 60), nullptr);                     // 1: sounds 100..149
  p.QueueInsert(Typed(kEvPitchBend, 120, 0, 64), nullptr);       // 2
  p.QueueInsert(Typed(kEvControlChange, 100, 10, 1), nullptr);   // 3

  EXPECT_EQ(p.FindPendingInsert(100, kEvNoteOn, 60), 1);
  EXPECT_EQ(p.FindPendingInsert(149, kEvNoteOn, 60), 1);
  EXPECT_EQ(p.FindPendingInsert(150, kEvNoteOn, 60), -1);  // ends before 150
  EXPECT_EQ(p.FindPendingInsert(99, kEvNoteOn, 60), -1);
  EXPECT_EQ(p.FindPendingInsert(120, kEvNoteOn, 61), -1);
  EXPECT_EQ(p.FindPendingInsert(120, kEvPitchBend, 99), 2);  // data byte ignored for pitch bend
  EXPECT_EQ(p.FindPendingInsert(121, kEvPitchBend, 0), -1);
  EXPECT_EQ(p.FindPendingInsert(100, kEvControlChange, 10), 3);
  EXPECT_EQ(p.FindPendingInsert(100, kEvControlChange, 7), 0);
  EXPECT_EQ(p.FindPendingInsert(101, kEvControlChange, 7), -1);
}

TEST(PendingEdits, OneChangePerPathWithItsMask) {
  PendingEdits p;
  const ItemPath a{1, 2, 3}, b{1, 2, 4};
  ASSERT_EQ(p.QueueChange(a, Note(0, 10, 60), 0xFFFF), KV_OK);
  ASSERT_EQ(p.QueueChange(b, Note(5, 10, 61), 0xFFFF), KV_OK);
  ASSERT_EQ(p.QueueChange(a, Note(40, 10, 62), 0x8000), KV_OK);
  EXPECT_EQ(p.PendingChangeCount(), 2);
  EXPECT_EQ(p.FindPendingChange(b), 1);

  ItemPath path{};
  MidiEvent e{};
  uint32_t mask = 0;
  ASSERT_EQ(p.PendingChangeAt(0, &path, &e, &mask), KV_OK);
  EXPECT_TRUE(SamePath(path, a));
  EXPECT_EQ(e.start, 40);
  EXPECT_EQ(e.data[0], 62);
  EXPECT_EQ(mask, 0x8000u);
  ASSERT_EQ(p.PendingChangeFor(b, &e), KV_OK);
  EXPECT_EQ(e.data[0], 61);
}

TEST(PendingEdits, DeletingDropsThePendingChangeAndIsNotQueuedTwice) {
  PendingEdits p;
  const ItemPath a{1, 2, 3}, b{1, 2, 4};
  p.QueueChange(a, Note(0, 10, 60), 0xFFFF);
  p.QueueChange(b, Note(0, 10, 61), 0xFFFF);
  ASSERT_EQ(p.QueueDelete(a), KV_OK);
  MidiEvent e{};
  EXPECT_EQ(p.PendingChangeFor(a, &e), kPendingNoChange);
  EXPECT_EQ(p.PendingChangeCount(), 1);
  EXPECT_EQ(p.FindPendingChange(b), 0);
  ASSERT_EQ(p.QueueDelete(a), KV_OK);
  EXPECT_EQ(p.PendingDeleteCount(), 1);
  ASSERT_EQ(p.QueueDelete(b), KV_OK);
  EXPECT_EQ(p.FindPendingDelete(b), 1);
  ItemPath out{};
  ASSERT_EQ(p.PendingDeleteAt(1, &out), KV_OK);
  EXPECT_TRUE(SamePath(out, b));

  p.Clear();
  EXPECT_TRUE(p.Empty());
  ASSERT_EQ(p.QueueInsert(Note(1, 1, 1), nullptr), KV_OK);  // usable after clearing
  EXPECT_FALSE(p.Empty());
}

// A long event queued from a host read keeps its payload after the reader
// frees its own copy; replacing an entry with its own record keeps it intact.
// Changes and deletes of many paths in random order against a plain model:
// the lists keep queueing order, one change per path, a delete drops the
// path's change, and every index handed out reads back its own path.
TEST(PendingEdits, ManyPathsKeepOrderAndIndexesAgainstAModel) {
  PendingEdits p;
  std::vector<std::pair<ItemPath, int64_t>> changes;  // the model, in queueing order
  std::vector<ItemPath> deletes;
  std::mt19937 rng(3);
  auto at = [](std::vector<std::pair<ItemPath, int64_t>>& v, const ItemPath& path) {
    for (size_t i = 0; i < v.size(); ++i)
      if (SamePath(v[i].first, path)) return static_cast<int32_t>(i);
    return -1;
  };
  for (int step = 0; step < 3000; ++step) {
    const ItemPath path{static_cast<uint32_t>(1 + rng() % 2), 1, static_cast<uint32_t>(1 + rng() % 400)};
    if (rng() % 3) {
      const int64_t start = step;
      ASSERT_EQ(p.QueueChange(path, Note(start, 10, 60), 0xFFFFFFFFu), KV_OK);
      const int32_t i = at(changes, path);
      if (i >= 0) {
        changes[i].second = start;
      } else {
        changes.emplace_back(path, start);
      }
    } else {
      ASSERT_EQ(p.QueueDelete(path), KV_OK);
      const int32_t i = at(changes, path);
      if (i >= 0) changes.erase(changes.begin() + i);
      bool known = false;
      for (const ItemPath& d : deletes) known = known || SamePath(d, path);
      if (!known) deletes.push_back(path);
    }
    if (step % 97 == 0 || step == 2999) {
      ASSERT_EQ(p.PendingChangeCount(), static_cast<int32_t>(changes.size())) << step;
      for (int32_t i = 0; i < p.PendingChangeCount(); ++i) {
        ItemPath got{};
        MidiEvent e{};
        ASSERT_EQ(p.PendingChangeAt(i, &got, &e), KV_OK);
        ASSERT_TRUE(SamePath(got, changes[i].first)) << step << " at " << i;
        EXPECT_EQ(e.start, changes[i].second);
        EXPECT_EQ(p.FindPendingChange(got), i);
      }
      ASSERT_EQ(p.PendingDeleteCount(), static_cast<int32_t>(deletes.size()));
      for (int32_t i = 0; i < p.PendingDeleteCount(); ++i) {
        ItemPath got{};
        ASSERT_EQ(p.PendingDeleteAt(i, &got), KV_OK);
        EXPECT_TRUE(SamePath(got, deletes[i]));
        EXPECT_EQ(p.FindPendingDelete(got), i);
      }
    }
  }
  p.Clear();
  EXPECT_TRUE(p.Empty());
  EXPECT_EQ(p.FindPendingChange(ItemPath{1, 1, 1}), -1);
  EXPECT_EQ(p.FindPendingDelete(ItemPath{1, 1, 1}), -1);
}

TEST(PendingEdits, LongEventsKeepTheirOwnPayload) {
  PendingEdits p;
  uint8_t* hostPayload = new uint8_t[5]{0xF0, 0x7E, 0x7F, 0x09, 0xF7};
  MidiEvent sysex{};
  sysex.type = kEvSysex;
  sysex.duration = 5;
  sysex.payload = hostPayload;
  const ItemPath path{1, 1, 9};
  ASSERT_EQ(p.QueueChange(path, sysex, 0xFFFF), KV_OK);
  ASSERT_EQ(p.QueueInsert(sysex, nullptr), KV_OK);
  std::memset(hostPayload, 0xAA, 5);
  delete[] hostPayload;

  MidiEvent pending{};
  ASSERT_EQ(p.PendingChangeFor(path, &pending), KV_OK);
  ASSERT_NE(pending.payload, nullptr);
  EXPECT_EQ(pending.payload[1], 0x7E);
  pending.start = 480;
  ASSERT_EQ(p.QueueChange(path, pending, 0xFFFF), KV_OK);  // re-queue the shared record
  MidiEvent again{};
  ASSERT_EQ(p.PendingChangeFor(path, &again), KV_OK);
  EXPECT_EQ(again.start, 480);
  EXPECT_EQ(again.payload[4], 0xF7);

  MidiEvent inserted{};
  ASSERT_EQ(p.PendingInsertAt(0, &inserted), KV_OK);
  EXPECT_NE(inserted.payload, again.payload);
  int32_t index = 0;
  ASSERT_EQ(p.QueueInsert(inserted, &index), KV_OK);
  ASSERT_EQ(p.PendingInsertAt(0, &inserted), KV_OK);
  EXPECT_EQ(inserted.payload[3], 0x09);
  ASSERT_EQ(p.QueueDelete(path), KV_OK);  // frees the change's copy (checked by ASan)
}

TEST(EditLabels, SingularAndPluralRules) {
  PendingEdits p;
  EXPECT_EQ(Text(EditLabel(EditKind::Move, p)), u"Move MIDI Event");
  p.QueueChange(ItemPath{1, 1, 1}, Note(0, 1, 1), 0xFFFF);
  EXPECT_EQ(Text(EditLabel(EditKind::Move, p)), u"Move MIDI Event");
  EXPECT_EQ(Text(EditLabel(EditKind::SetVelocity, p)), u"Set MIDI Event Velocity");
  EXPECT_EQ(Text(EditLabel(EditKind::Paint, p)), u"Paint MIDI Event");
  EXPECT_EQ(Text(EditLabel(EditKind::Erase, p)), u"Erase MIDI Event");
  p.QueueChange(ItemPath{1, 1, 2}, Note(0, 1, 1), 0xFFFF);
  EXPECT_EQ(Text(EditLabel(EditKind::Move, p)), u"Move MIDI Events");
  EXPECT_EQ(Text(EditLabel(EditKind::SetVelocity, p)), u"Set MIDI Event Velocities");
  EXPECT_EQ(Text(EditLabel(EditKind::Paint, p)), u"Paint MIDI Events");
  EXPECT_EQ(Text(EditLabel(EditKind::Erase, p)), u"Erase MIDI Events");
  EXPECT_EQ(Text(EditLabel(EditKind::Size, p)), u"Size MIDI Event");
  EXPECT_EQ(Text(EditLabel(EditKind::Draw, p)), u"Draw MIDI Event");
  EXPECT_EQ(Text(EditLabel(EditKind::Delete, p)), u"Delete MIDI Event");

  PendingEdits paint;
  paint.QueueInsert(Note(0, 1, 1), nullptr);
  EXPECT_EQ(Text(EditLabel(EditKind::Paint, paint)), u"Paint MIDI Event");
  paint.QueueInsert(Note(1, 1, 1), nullptr);
  EXPECT_EQ(Text(EditLabel(EditKind::Paint, paint)), u"Paint MIDI Events");
  EXPECT_EQ(Text(EditLabel(EditKind::Erase, paint)), u"Erase MIDI Event");  // inserts do not count

  PendingEdits erase;
  erase.QueueDelete(ItemPath{1, 1, 1});
  EXPECT_EQ(Text(EditLabel(EditKind::Erase, erase)), u"Erase MIDI Event");
  erase.QueueDelete(ItemPath{1, 1, 2});
  EXPECT_EQ(Text(EditLabel(EditKind::Erase, erase)), u"Erase MIDI Events");
  EXPECT_EQ(Text(EditLabel(EditKind::Move, erase)), u"Move MIDI Event");  // deletes do not count

  EXPECT_EQ(Text(PasteLabel(1)), u"Paste MIDI Event");
  EXPECT_EQ(Text(PasteLabel(2)), u"Paste MIDI Events");
}

TEST(EditLabels, LaneLabelsCarryTheLaneName) {
  kvchar buffer[128];
  LaneEditLabel(false, KVTEXT("Velocity"), buffer, 128);
  EXPECT_EQ(Text(buffer), u"Draw MIDI Velocity");
  LaneEditLabel(true, KVTEXT("7: Main Volume MSB"), buffer, 128);
  EXPECT_EQ(Text(buffer), u"Erase MIDI 7: Main Volume MSB");
  LaneEditLabel(true, KVTEXT("Pitch Bend"), buffer, 12);
  EXPECT_EQ(Text(buffer), u"Erase MIDI ");  // cut to 11 units and terminated
}
