// Cut, copy and paste through the real clipboard: round trips between two
// plug-in instances, the bytes of the block, damaged blocks, and failing host
// calls while pasting.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mididata/clip_codec.h"
#include "mididata/clipboard.h"
#include "mididata/clipboard_handles.h"
#include "tests/mididata/edit_fixture.h"

using edittest::Del;
using edittest::Ins;
using refhost::Note;
using refhost::Selected;

namespace {

constexpr HRESULT kInjected = static_cast<HRESULT>(0x8004D00Bu);

// A window to own the clipboard, as the track view window does.
class OwnerWindow {
 public:
  OwnerWindow() : hwnd_(CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// The clipboard block's bytes, or nothing.
std::vector<uint8_t> ClipboardBytes() {
  std::vector<uint8_t> out;
  OpenedClipboard clipboard(nullptr);
  if (!clipboard.IsOpen()) return out;
  HGLOBAL block = GetClipboardData(EventClipboardFormat());
  if (!block) return out;
  const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(block));
  if (p) out.assign(p, p + GlobalSize(block));
  GlobalUnlock(block);
  return out;
}

// Puts raw bytes on the clipboard in the events' format.
void PutBlock(HWND owner, const std::vector<uint8_t>& bytes) {
  GlobalBlock block(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.empty() ? 1 : bytes.size());
  ASSERT_NE(block.get(), nullptr);
  void* p = GlobalLock(block.get());
  ASSERT_NE(p, nullptr);
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(block.get());
  OpenedClipboard clipboard(owner);
  ASSERT_TRUE(clipboard.IsOpen());
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(EventClipboardFormat(), block.get()), nullptr);
  block.Release();
}

void Put32(std::vector<uint8_t>& b, size_t at, uint64_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A block written by hand from the record layout: notes of 240 ticks.
std::vector<uint8_t> NoteBlock(std::vector<int64_t> starts, uint32_t version = 1, uint32_t kind = 2) {
  std::vector<uint8_t> b(12 + 64 * starts.size(), 0);
  Put32(b, 0, version);
  Put32(b, 4, kind);
  Put32(b, 8, starts.size());
  for (size_t i = 0; i < starts.size(); ++i) {
    const size_t r = 12 + 64 * i;
    Put32(b, r + 0, kEvNoteOn);
    Put32(b, r + 4, kEventSelected);
    Put32(b, r + 8, 0x1111);   // host field
    Put32(b, r + 12, 7);       // port
    Put32(b, r + 16, 9);       // channel
    Put32(b, r + 20, 0x2222);  // host field
    Put32(b, r + 24, static_cast<uint64_t>(starts[i]), 8);
    Put32(b, r + 32, kTimeTicks);
    Put32(b, r + 40, 240);
    b[r + 44] = static_cast<uint8_t>(60 + i);
    b[r + 45] = 100;
    b[r + 48] = 0x5A;  // first of the trailing host fields
  }
  return b;
}

class ClipboardTest : public edittest::EditTest {
 protected:
  ClipboardTest() { EXPECT_NE(EventClipboardFormat(), 0u); }
  OwnerWindow owner;
};

}  // namespace

// The pasting example: three notes at 480, 960 and 1440 pasted at cursor 0 in
// another instance land at 0, 480 and 960, selected, and the cursor ends at 1200.
TEST_F(ClipboardTest, CopyInOneInstancePasteInAnother) {
  const ItemPath a = host.AddEvent(block, Selected(Note(480, 240, 60, 90)));
  host.AddEvent(block, Selected(Note(960, 240, 62, 91)));
  host.AddEvent(block, Selected(Note(1440, 240, 64, 92)));
  host.AddEvent(block, Note(2000, 240, 66));  // not selected: not copied
  Show();
  ASSERT_EQ(CopySelection(store, owner.get(), false), S_OK);
  EXPECT_TRUE(Edits().empty());
  EXPECT_TRUE(host.Event(a).has_value());
  EXPECT_TRUE(ClipboardHasEvents());

  edittest::Instance second;
  const ItemPath track = second.host.AddTrack({.name = L"Strings", .channel = 5});
  const ItemPath theirBlock = second.host.AddBlock(track, {.start = 0, .end = 7680});
  const ItemPath kept = second.host.AddEvent(theirBlock, Selected(Note(3000, 10, 40)));
  ASSERT_EQ(second.store.SelectView(0, -1), S_OK);
  second.host.Log().Clear();
  int64_t cursor = 0;
  ASSERT_EQ(PasteClipboard(second.store, &cursor), S_OK);
  EXPECT_EQ(cursor, 1200);
  const ItemPath target{track.trackId, 0, 0};
  EXPECT_EQ(second.host.Log().Texts(refhost::CallFilter::Edits),
            (std::vector<std::string>{"BeginEdit(1)", "DeselectAll(3,0x60)", "EndEdit(1)",
                                      "BeginEdit(1,Paste MIDI Events)", Ins(target), Ins(target), Ins(target),
                                      "EndEdit(1)"}));
  const auto events = second.host.Events(track.trackId);
  ASSERT_EQ(events.size(), 4u);
  const int64_t starts[] = {0, 480, 960};
  for (int i = 0; i < 3; ++i) {
    const MidiEvent& e = events[i].record;
    EXPECT_EQ(e.start, starts[i]);
    EXPECT_EQ(e.duration, 240);
    EXPECT_EQ(e.data[0], 60 + 2 * i);
    EXPECT_EQ(e.data[1], 90 + i);
    EXPECT_EQ(e.channel, 5);
    EXPECT_TRUE(e.flags & kEventSelected);
  }
  EXPECT_FALSE(second.host.Event(kept)->record.flags & kEventSelected);  // deselected before pasting
  EXPECT_EQ(second.host.UndoLabels().back(), L"Paste MIDI Events");
}

// The block carries the 64-byte 32-bit records whatever the build.
TEST_F(ClipboardTest, BlockBytesFollowTheRecordLayout) {
  MidiEvent note = Selected(Note(480, 240, 60, 100, 9));
  note.hostFields[0] = 0x5A;
  host.AddEvent(block, note);
  host.AddEvent(block, refhost::Selected(refhost::LongEvent(kEvSysex, 500)), {0xF0, 0x7E, 0xF7});
  Show();
  ASSERT_EQ(CopySelection(store, owner.get(), false), S_OK);
  const std::vector<uint8_t> bytes = ClipboardBytes();
  ASSERT_EQ(bytes.size(), 76u);  // one record: the long event is not carried
  std::vector<uint8_t> expected = NoteBlock({480});
  // What the host keeps of the record: its own fields as it reports them.
  const MidiEvent stored = host.Events(piano.trackId)[0].record;
  Put32(expected, 12 + 4, stored.flags);
  Put32(expected, 12 + 8, stored.hostField8);
  Put32(expected, 12 + 12, stored.port);
  Put32(expected, 12 + 16, stored.channel);
  Put32(expected, 12 + 20, stored.hostField20);
  Put32(expected, 12 + 36, stored.hostField36);
  expected[12 + 45] = 100;
  std::memcpy(&expected[12 + 48], stored.hostFields, 16);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(bytes[12 + 48], 0x5A);
}

TEST_F(ClipboardTest, PasteZeroesHostFieldsAndForcesTheChannel) {
  Show();
  PutBlock(owner.get(), NoteBlock({100}));
  int64_t cursor = 50;
  ASSERT_EQ(PasteClipboard(store, &cursor), S_OK);
  EXPECT_EQ(cursor, 290);
  std::vector<MidiEvent> inserted;
  for (const auto& entry : host.Log().Entries())
    if (entry.method == "InsertItem" && entry.event) inserted.push_back(*entry.event);
  ASSERT_EQ(inserted.size(), 1u);
  EXPECT_EQ(inserted[0].hostField8, 0u);
  EXPECT_EQ(inserted[0].port, 0u);
  EXPECT_EQ(inserted[0].hostField20, 0u);
  EXPECT_EQ(inserted[0].hostFields[0], 0x5A);  // the other host fields travel unchanged
  EXPECT_EQ(inserted[0].channel, 2);
  EXPECT_EQ(inserted[0].start, 50);
  EXPECT_EQ(host.UndoLabels().back(), L"Paste MIDI Event");
}

// Damaged blocks paste nothing and return E_FAIL, reading only inside the block.
TEST_F(ClipboardTest, DamagedBlocksAreRefused) {
  host.AddEvent(block, Note(0, 10, 60));
  Show();
  std::vector<uint8_t> hugeCount = NoteBlock({0});
  Put32(hugeCount, 8, 0xFFFFFFFFu);
  std::vector<uint8_t> zeroCount = NoteBlock({0});
  Put32(zeroCount, 8, 0);
  std::vector<uint8_t> overCount = NoteBlock({0, 480});
  Put32(overCount, 8, 3);
  std::vector<uint8_t> underCount = NoteBlock({0, 480});
  Put32(underCount, 8, 1);
  std::vector<uint8_t> cutRecord = NoteBlock({0, 480});
  cutRecord.resize(cutRecord.size() - 1);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"shorter than a header", {1, 0, 0, 0, 2, 0, 0, 0}},
      {"version 2", NoteBlock({0}, 2)},
      {"kind 3", NoteBlock({0}, 1, 3)},
      {"zero count", zeroCount},
      {"huge count", hugeCount},
      {"count past the block", overCount},
      {"last record cut", cutRecord},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutBlock(owner.get(), c.bytes);
    host.Log().Clear();
    int64_t cursor = 77;
    EXPECT_EQ(PasteClipboard(store, &cursor), E_FAIL);
    EXPECT_EQ(cursor, 77);
    EXPECT_TRUE(Edits().empty());
    EXPECT_EQ(host.Events(piano.trackId).size(), 1u);
  }
  // Fewer records than the block has room for: the counted ones paste.
  PutBlock(owner.get(), underCount);
  int64_t cursor = 0;
  EXPECT_EQ(PasteClipboard(store, &cursor), S_OK);
  EXPECT_EQ(host.Events(piano.trackId).size(), 2u);
}

TEST_F(ClipboardTest, RecordsAHostMustNotTakeAreLeftOut) {
  Show();
  std::vector<uint8_t> bytes = NoteBlock({0, 480, 960});
  Put32(bytes, 12 + 64, kEvSysex);      // a payload pointer from another process
  Put32(bytes, 12 + 64 + 44, 0xDEADBEEF);
  Put32(bytes, 12 + 128, kEvNoteOn | kEvNoteOff);  // no single type
  PutBlock(owner.get(), bytes);
  int64_t cursor = 0;
  ASSERT_EQ(PasteClipboard(store, &cursor), S_OK);
  EXPECT_EQ(cursor, 240);
  ASSERT_EQ(host.Events(piano.trackId).size(), 1u);
  EXPECT_EQ(host.UndoLabels().back(), L"Paste MIDI Event");

  Put32(bytes, 12, kEvMeta);
  PutBlock(owner.get(), bytes);
  host.Log().Clear();
  EXPECT_EQ(PasteClipboard(store, &cursor), S_FALSE);  // nothing left to paste
  EXPECT_TRUE(Edits().empty());
}

TEST_F(ClipboardTest, CutCopiesThenDeletes) {
  const ItemPath a = host.AddEvent(block, Selected(Note(0, 240, 60)));
  const ItemPath b = host.AddEvent(block, Note(480, 240, 62));
  const ItemPath c = host.AddEvent(block, Selected(refhost::Controller(960, 7, 64)));
  Show();
  ASSERT_EQ(CopySelection(store, owner.get(), true), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Delete MIDI Event)", Del(a), Del(c), "EndEdit(1)"}));
  EXPECT_TRUE(host.Event(b).has_value());
  EXPECT_EQ(ClipboardBytes().size(), ClipBlockSize(2));
  EXPECT_TRUE(store.pending().Empty());
}

TEST_F(ClipboardTest, NothingSelectedLeavesTheClipboardAlone) {
  host.AddEvent(block, Note(0, 240, 60));
  Show();
  PutBlock(owner.get(), NoteBlock({5, 6}));
  const DWORD sequence = GetClipboardSequenceNumber();
  EXPECT_EQ(CopySelection(store, owner.get(), true), S_FALSE);
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(ClipboardBytes(), NoteBlock({5, 6}));
  EXPECT_TRUE(host.Log().Texts(refhost::CallFilter::Edits).empty());
}

TEST_F(ClipboardTest, FailingHostCallsWhilePasting) {
  Show();
  PutBlock(owner.get(), NoteBlock({0, 480}));
  // The second insert fails: the first stays in the kept bracket, the cursor stays.
  host.Faults().FailCall("InsertItem", kInjected, 2);
  int64_t cursor = 1000;
  EXPECT_EQ(PasteClipboard(store, &cursor), kInjected);
  EXPECT_EQ(cursor, 1000);
  EXPECT_EQ(Edits().back(), "EndEdit(1)");
  EXPECT_EQ(host.Events(piano.trackId).size(), 1u);
  EXPECT_EQ(host.OpenBrackets(), 0);
  host.Faults().Clear();

  // Reading the track fails: nothing is opened for writing.
  host.Faults().FailCall("GetItem", kInjected, 1);
  host.Log().Clear();
  EXPECT_EQ(PasteClipboard(store, &cursor), kInjected);
  EXPECT_TRUE(Edits().empty());
  EXPECT_EQ(host.OpenBrackets(), 0);
  host.Faults().Clear();

  // The paste bracket cannot open.
  host.Faults().FailCall("BeginEdit(1,Paste MIDI Events)", kInjected, 1);
  host.Log().Clear();
  EXPECT_EQ(PasteClipboard(store, &cursor), kInjected);
  EXPECT_EQ(host.Events(piano.trackId).size(), 1u);
  EXPECT_EQ(host.OpenBrackets(), 0);
  EXPECT_EQ(cursor, 1000);
}
