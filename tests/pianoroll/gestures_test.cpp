// The Draw and Selection tools under real mouse and key messages: what each
// gesture writes to the host (calls, labels, undo), what it leaves in the
// project, and the notes it sounds while it runs. The view shows 12 ticks
// per pixel from time 0 with a quarter-note grid (480 ticks at 480 per
// quarter), rows of pitches 72 down to 26, and the edit cursor at 0.
#include <gtest/gtest.h>

#include "tests/pianoroll/roll_fixture.h"

namespace {

using rolltest::RollTest;
using Note = RollTest::Note;
using Lines = std::vector<std::string>;

const Lines kDeselectAll = {"BeginEdit(1)", "DeselectAll(3,0x60)", "EndEdit(1)"};
const Lines kSelectFirst = {"BeginEdit(1)", "SetItem(3,t1,b1,e1,0x8000)", "EndEdit(1)"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

#define EDIT(label, ...) Lines{"BeginEdit(1," label ")", __VA_ARGS__, "EndEdit(1)"}
#define SET(id) "SetItem(3,t1,b1,e" #id ",0xFFFF)"

class GestureTest : public RollTest {
 protected:
  void Start(const std::vector<MidiEvent>& notes, int topPitch = 72) {
    prefs.gridValue = -4;
    prefs.dataLength = 40 * 1920;
    prefs.firstVisibleRow = 127 - topPitch;
    Open();
    Frame(0, 12);
    AddNotes(notes);
  }
};

struct Point {
  int64_t tick;
  int pitch;
};
struct DragCase {
  const char* name;
  std::vector<MidiEvent> notes;
  Point from, via, to;
  WPARAM keys = 0;  // held from the first movement on
  bool alt = false;
  int topPitch = 72;
  bool scaleSnap = false;
  const wchar_t* label;
  Lines calls;
  std::vector<Note> after;
  std::vector<int> previews;
};

void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class DragTest : public GestureTest, public testing::WithParamInterface<DragCase> {};

// Press, two movements and the release; one labelled step that undo takes back exactly.
TEST_P(DragTest, IsOneUndoableStep) {
  const DragCase& c = GetParam();
  prefs.scaleSnap = c.scaleSnap;
  Start(c.notes, c.topPitch);
  Press(At(c.from.tick, c.from.pitch), 0, c.alt);
  MoveTo(At(c.via.tick, c.via.pitch), c.keys, c.alt);
  MoveTo(At(c.to.tick, c.to.pitch), c.keys, c.alt);
  held = host.song();
  Release(At(c.to.tick, c.to.pitch), c.keys, c.alt);
  EXPECT_EQ(Edits(), c.calls);
  EXPECT_EQ(Notes(), c.after);
  EXPECT_EQ(Previews(), c.previews);
  ExpectUndoRestores(c.label);
}

const MidiEvent kC = RollTest::N(960, 480, 60, true), kE = RollTest::N(1920, 480, 64, true);
const Lines kDraw = Join({kDeselectAll, kDeselectAll, EDIT("Draw MIDI Event", "InsertItem(3,t1,b0)")});
const Lines kMoveOne = EDIT("Move MIDI Event", SET(1)), kMoveTwo = EDIT("Move MIDI Events", SET(2), SET(1));
const Lines kSize = Join({kDeselectAll, kSelectFirst, EDIT("Size MIDI Event", SET(1))});
const wchar_t *kDrawn = L"Draw MIDI Event", *kMoved = L"Move MIDI Event", *kMovedAll = L"Move MIDI Events",
              *kSized = L"Size MIDI Event";

DragCase Drawn(const char* name, int64_t from, int64_t via, int64_t to, WPARAM keys, int64_t start, int32_t length) {
  return {name, {}, {from, 60}, {via, 60}, {to, 60}, keys, false, 72, false, kDrawn, kDraw,
          {{start, length, 60, true}}, {60}};
}
// The first note is sized; the second one loses its selection.
DragCase Sized(const char* name, int64_t from, int64_t to, WPARAM keys, int64_t start, int32_t length) {
  return {name, {kC, kE}, {from, 60}, {(from + to) / 2, 60}, {to, 60}, keys, false, 72, false, kSized, kSize,
          {{start, length, 60, true}, {1920, 480, 64, false}}, {60}};
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, DragTest,
    testing::Values(
        Drawn("DrawLeftToRight", 504, 960, 1404, 0, 480, 960),
        Drawn("DrawRightToLeftEndsAtTheSnappedPress", 1404, 960, 504, 0, 480, 960),
        Drawn("DrawAShortStrokeGivesOneGridStep", 504, 552, 600, 0, 480, 480),
        Drawn("DrawWithShiftDoesNotSnap", 504, 960, 1404, MK_SHIFT, 504, 900),
        Drawn("DrawWithShiftRightToLeft", 1404, 960, 504, MK_SHIFT, 504, 900),
        DragCase{"MoveOneNote", {kC, RollTest::N(1920, 480, 64)}, {1152, 60}, {1632, 61}, {2112, 62}, 0, false, 72,
                 false, kMoved, kMoveOne, {{1920, 480, 62, true}, {1920, 480, 64, false}}, {60, 61, 62}},
        DragCase{"MoveTwoNotes", {kC, kE}, {1152, 60}, {912, 60}, {672, 60}, 0, false, 72, false, kMovedAll, kMoveTwo,
                 {{480, 480, 60, true}, {1440, 480, 64, true}}, {60}},
        DragCase{"MoveStopsAtTimeZeroAndPitchZero",
                 {RollTest::N(480, 480, 2, true), RollTest::N(1440, 480, 7, true)}, {1632, 7}, {912, 5}, {192, 3}, 0,
                 false, 40, false, kMovedAll, kMoveTwo, {{0, 480, 0, true}, {960, 480, 5, true}}, {7, 5}},
        // Below the last row the pointer's row is clamped like any other.
        DragCase{"MoveBelowTheRowsStopsAtPitchZero",
                 {RollTest::N(480, 480, 2, true), RollTest::N(1440, 480, 7, true)}, {1632, 7}, {912, 6}, {192, -3}, 0,
                 false, 40, false, kMovedAll, kMoveTwo, {{0, 480, 0, true}, {960, 480, 5, true}}, {7, 6, 5}},
        DragCase{"MoveStopsAtPitch127", {RollTest::N(480, 480, 125, true), RollTest::N(1440, 480, 120, true)},
                 {1632, 120}, {2112, 122}, {2592, 124}, 0, false, 127, false, kMovedAll, kMoveTwo,
                 {{1440, 480, 127, true}, {2400, 480, 122, true}}, {120, 122}},
        DragCase{"MoveWithAltSidewaysFirstLocksTime", {kC}, {1152, 60}, {1392, 60}, {2112, 63}, 0, true, 72, false,
                 kMoved, kMoveOne, {{1920, 480, 60, true}}, {60}},
        DragCase{"MoveWithAltUpFirstLocksPitch", {kC}, {1152, 60}, {1152, 62}, {2112, 64}, 0, true, 72, false, kMoved,
                 kMoveOne, {{960, 480, 64, true}}, {60, 62, 64}},
        // C major: the grabbed E goes to F; C and F would land on black keys and stay.
        DragCase{"MoveWithScaleKeepsOffScaleNotes",
                 {RollTest::N(480, 480, 60, true), RollTest::N(960, 480, 64, true), RollTest::N(1440, 480, 65, true)},
                 {1152, 64}, {1152, 65}, {1152, 65}, 0, false, 72, true, kMovedAll,
                 EDIT("Move MIDI Events", SET(3), SET(2), SET(1)),
                 {{480, 480, 60, true}, {960, 480, 65, true}, {1440, 480, 65, true}}, {64, 65}},
        Sized("SizeEndToTheNearestLine", 1440, 2016, 0, 960, 960),
        Sized("SizeEndLeftOfStartLeavesOneTick", 1440, 600, MK_SHIFT, 960, 1),
        Sized("SizeStartToTheNearestLine", 960, 504, 0, 480, 960),
        Sized("SizeStartPastTheEndLeavesOneTick", 960, 1704, MK_SHIFT, 1439, 1)),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_F(GestureTest, ClicksSelectAndPlaceTheCursor) {
  Start({N(960, 480, 60), N(2000, 480, 64, true)});
  Click(At(1152, 60));  // the body of the first note: the cursor snaps
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, true}, {2000, 480, 64, false}}));
  EXPECT_EQ(roll()->cursorPos, 960);
  Click(At(2148, 64), MK_CONTROL);  // adds the second; the cursor stays
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, true}, {2000, 480, 64, true}}));
  Click(At(1152, 60), MK_CONTROL);  // takes the first away
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, false}, {2000, 480, 64, true}}));
  EXPECT_EQ(roll()->cursorPos, 960);
  Click({X(2480) + 2, Y(64)});  // an end edge: the cursor goes to the note's end
  EXPECT_EQ(roll()->cursorPos, 2480);
  EXPECT_EQ(Previews(), (std::vector<int>{60, 64, 60, 64}));
  host.Log().Clear();
  Click(At(1404, 62));  // an empty row: the cursor moves, no note is drawn
  EXPECT_EQ(roll()->cursorPos, 1440);
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, false}, {2000, 480, 64, false}}));
  EXPECT_EQ(Edits(), kDeselectAll);
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_TRUE(Previews().empty());
}

TEST_F(GestureTest, CancelledDragsWriteNothing) {
  struct Gesture {
    const char* name;
    int64_t from, to;
    int pitch;
  } gestures[] = {{"press", 1152, 1152, 60}, {"draw", 2412, 3000, 66}, {"move", 1152, 2112, 60}, {"size", 1440, 2016, 60}};
  Start({kC});
  for (bool escape : {true, false}) {
    for (const Gesture& g : gestures) {
      SCOPED_TRACE(std::string(g.name) + (escape ? " / Escape" : " / WM_CANCELMODE"));
      Press(At(g.from, g.pitch));
      MoveTo(At((g.from + g.to) / 2, g.pitch));
      MoveTo(At(g.to, g.pitch));
      EXPECT_NE(roll()->dragMode, 0);
      held = host.song();
      host.Log().Clear();
      if (escape) {
        Key(VK_ESCAPE);
      } else {
        SendMessageW(window(), WM_CANCELMODE, 0, 0);
      }
      EXPECT_EQ(roll()->dragMode, 0);
      EXPECT_NE(GetCapture(), window());
      Release(At(g.to, g.pitch));
      EXPECT_EQ(Edits(), Lines{});
      EXPECT_EQ(host.song(), held);
      EXPECT_EQ(Previews(), std::vector<int>{g.pitch});  // and stopped
    }
  }
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, true}}));
}

TEST_F(GestureTest, RangeAndBandSelectExactlyTheNotesInside) {
  Start({N(0, 480, 60), N(960, 480, 62), N(1920, 480, 64), N(2880, 480, 60), N(960, 480, 65), N(2400, 480, 61),
         N(1920, 480, 59)});
  auto selected = [&] {
    std::vector<Note> out;
    for (const Note& n : Notes())
      if (n.selected) out.push_back(n);
    return out;
  };
  // Shift on a note, nothing selected: from the press to the pointer.
  Drag(At(1152, 62), At(2604, 60), MK_SHIFT);
  EXPECT_EQ(selected(), (std::vector<Note>{{960, 480, 62, true}, {2400, 480, 61, true}}));
  EXPECT_EQ(Previews(), std::vector<int>{62});
  // A second Shift press extends from the same anchor.
  Click(At(3000, 60), MK_SHIFT);
  EXPECT_EQ(selected(), (std::vector<Note>{{960, 480, 62, true}, {2400, 480, 61, true}, {2880, 480, 60, true}}));
  EXPECT_EQ(Previews(), std::vector<int>{60});
  // The Selection tool's band replaces the selection with what it holds.
  Key('D');
  ASSERT_EQ(roll()->activeTool, kToolSelect);
  Press(At(300, 66));
  MoveTo(At(1200, 64));
  MoveTo(At(2100, 63));
  host.Log().Clear();
  MoveTo(At(2160, 63));  // holds the same notes: nothing to write
  for (const std::string& call : Edits()) EXPECT_EQ(call.find("Item"), std::string::npos) << call;
  Release(At(2160, 63));
  EXPECT_EQ(selected(), (std::vector<Note>{{960, 480, 65, true}, {1920, 480, 64, true}}));
  EXPECT_TRUE(Previews().empty());
  EXPECT_TRUE(host.UndoLabels().empty());
}

TEST_F(GestureTest, ScaleSnappingRefusesOffScaleRowsUnlessAlt) {
  prefs.scaleSnap = 1;  // C major
  Start({});
  Drag(At(504, 61), At(1404, 61));
  EXPECT_EQ(Edits(), kDeselectAll);
  EXPECT_TRUE(Notes().empty());
  EXPECT_EQ(roll()->cursorPos, 1440);  // the release was a click
  EXPECT_TRUE(Previews().empty());
  Drag(At(504, 61), At(1404, 61), 0, true);
  EXPECT_EQ(Notes(), (std::vector<Note>{{480, 960, 61, true}}));
  EXPECT_EQ(Previews(), std::vector<int>{61});
}

TEST_F(GestureTest, DrawingPastTheEndGrowsTheTrack) {
  prefs.gridValue = -4;
  prefs.dataLength = 5 * 1920;
  prefs.firstVisibleRow = 127 - 72;
  Open();
  Frame(2280, 12);
  ASSERT_EQ(roll()->totalLength, 9600);
  Drag(At(9000, 60), At(9852, 60));
  EXPECT_EQ(Notes(), (std::vector<Note>{{9120, 960, 60, true}}));
  std::vector<refhost::EventView> events = host.Events(track.trackId);
  EXPECT_EQ(events[0].record.data[1], 64);  // the new note's velocity
  EXPECT_EQ(events[0].record.channel, 0);
  // 10080 up to whole measures (1920), then whole grid steps (480).
  EXPECT_EQ(roll()->totalLength, 11520);
  ExpectUndoRestores(kDrawn);
}

TEST_F(GestureTest, PastingPastTheEndGrowsTheTrackAndMovesTheCursor) {
  prefs.dataLength = 5 * 1920;
  AddNotes({N(0, 480, 60, true)});
  Open();
  Frame(0, 12);
  ASSERT_EQ(roll()->totalLength, 9600);
  SendMessageW(window(), WM_COPY, 0, 0);
  roll()->cursorPos = 9500;
  SendMessageW(window(), WM_PASTE, 0, 0);
  Sync();
  EXPECT_EQ(Notes(), (std::vector<Note>{{0, 480, 60, false}, {9500, 480, 60, true}}));
  EXPECT_EQ(roll()->cursorPos, 9980);
  EXPECT_EQ(roll()->totalLength, 11520);  // 9980 up to whole measures
}

}  // namespace
