// The Paint, Erase and Zoom tools, the bands, the velocity and controller lane, the keyboard header and
// the quantize run, under real mouse messages on a piano roll over the reference host: the calls and
// labels of each gesture, the notes it leaves, undo, and what reaches the MIDI output. The view shows
// 12 ticks per pixel from 0 (480 per quarter), pitches 72 and below, and a keyboard 60 pixels wide.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "kvlib/ui_resources.h"
#include "pianoroll/roll_internal.h"
#include "tests/pianoroll/roll_fixture.h"

namespace {

using rolltest::RollTest;
using Note = RollTest::Note;
using Lines = std::vector<std::string>;
using Ints = std::vector<int>;
using refhost::Controller;

Lines Bracket(const wchar_t* label, Lines calls) {
  calls.insert(calls.begin(), "BeginEdit(1," + std::string(label, label + wcslen(label)) + ")");
  calls.push_back("EndEdit(1)");
  return calls;
}
std::string Set(int id) { return "SetItem(3,t1,b1,e" + std::to_string(id) + ",0xFFFF)"; }
std::string Del(int id) { return "DeleteItem(3,t1,b1,e" + std::to_string(id) + ")"; }
const std::string kInsert = "InsertItem(3,t1,b0)";

class ToolsTest : public RollTest {
 protected:
  ToolsTest() {
    prefs.gridValue = -4;
    prefs.dataLength = 40 * 1920;
    prefs.firstVisibleRow = 127 - 72;
    prefs.keyboardWidth = 60;
  }
  void Start(int tool, const std::vector<MidiEvent>& events, int ticksPerPixel = 12) {
    prefs.activeTool = tool;
    Open();
    Frame(0, ticksPerPixel);
    AddNotes(events);
    host.ClearSentEvents();
  }
  void Cancel() { SendMessageW(window(), WM_CANCELMODE, 0, 0); }
  void RightClickWhileDragging(POINT p, int clicks) {
    for (int i = 0; i < clicks; ++i) {
      Mouse(WM_RBUTTONDOWN, p, MK_LBUTTON | MK_RBUTTON);
      Mouse(WM_RBUTTONUP, p, MK_LBUTTON);
    }
  }
  int Pending() {
    PendingEdits& p = store.pending();
    return p.PendingInsertCount() + p.PendingChangeCount() + p.PendingDeleteCount();
  }
  // A point `position` pixels above the bottom of the lane's value area.
  POINT InLane(int64_t tick, int position) const { return {X(tick), roll()->lane.bottom - position}; }
  // A key's x at tenths of the keyboard's width (the header less its 6-pixel splitter), a row's top and height.
  int KeyX(int tenths) const { return roll()->header.left + (roll()->header.width - 6) * tenths / 10; }
  int Top(int pitch) const { return roll()->RowToY(127 - pitch); }
  int RowHeight(int pitch) const { return roll()->RowToY(128 - pitch) - Top(pitch); }
  std::vector<int64_t> View() const { return {roll()->viewStart, roll()->viewSpan, roll()->firstRow, roll()->vertSpan}; }
  Ints Starts() const {
    Ints out;
    for (const refhost::EventView& e : host.Events(track.trackId)) out.push_back(static_cast<int>(e.record.start));
    return out;
  }
};

// A stroke from `from` to `to` on a pitch's row (to `toPitch`'s when given) under grid and paint codes;
// painted notes sound for `sounding` ticks; no label when nothing is written.
struct StrokeCase {
  const char* name;
  int tool;
  int64_t grid, paint;
  uint32_t ticksPerQuarter;
  std::vector<MidiEvent> notes;
  int64_t from, to;
  int pitch;
  WPARAM keys;
  bool alt, scale;
  const wchar_t* label;
  Lines calls;
  std::vector<Note> after;
  int32_t sounding;
  int toPitch = -1;
};
class ToolsStroke : public ToolsTest, public testing::WithParamInterface<StrokeCase> {};

TEST_P(ToolsStroke, IsOneUndoableStep) {
  const StrokeCase& c = GetParam();
  std::tie(prefs.gridValue, prefs.paintNoteValue, prefs.scaleSnap) = std::tuple(c.grid, c.paint, c.scale);
  host.SetTicksPerQuarter(c.ticksPerQuarter);
  source.SetTimeBase(TrackTimeBase{{}, 4, 4, c.ticksPerQuarter});
  Start(c.tool, c.notes);
  Drag(At(c.from, c.pitch), At(c.to, c.toPitch < 0 ? c.pitch : c.toPitch), c.keys, c.alt);
  EXPECT_EQ(Edits(), c.label ? Bracket(c.label, c.calls) : Lines{});
  EXPECT_EQ(Notes(), c.after);
  // Each painted note sounds for its length at velocity 64 and needs no note-off.
  const std::vector<refhost::SentEvent>& sent = host.SentEvents();
  EXPECT_EQ(sent.size(), static_cast<size_t>(std::count(c.calls.begin(), c.calls.end(), kInsert)));
  for (const refhost::SentEvent& s : sent) {
    EXPECT_EQ(s.record.type, kEvNoteOn);
    EXPECT_EQ(s.record.data[1], 64);
    EXPECT_EQ(s.record.duration, c.sounding);
  }
  host.ClearSentEvents();
  if (c.label) {
    ExpectUndoRestores(c.label);
  } else {
    EXPECT_TRUE(host.UndoLabels().empty());
  }
}

std::vector<Note> Row(int64_t start, int32_t length, int count, int pitch) {
  std::vector<Note> out;
  for (int i = 0; i < count; ++i) out.push_back({start + i * length, length, pitch, false});
  return out;
}
const std::vector<MidiEvent> kRoom = {RollTest::N(100, 240, 60), RollTest::N(300, 50, 60), RollTest::N(479, 100, 60),
                                      RollTest::N(480, 100, 60), RollTest::N(300, 50, 62)};
const std::vector<MidiEvent> kSweep = {RollTest::N(480, 480, 60), RollTest::N(720, 480, 60), RollTest::N(960, 100, 60),
                                       RollTest::N(1500, 100, 60), RollTest::N(2300, 50, 60),
                                       RollTest::N(2400, 480, 60), RollTest::N(1200, 480, 61)};
const wchar_t *kPainted = L"Paint MIDI Events", *kPaintedOne = L"Paint MIDI Event";
const Note kSwept[] = {{480, 480, 60, false}, {720, 480, 60, false}, {960, 100, 60, false}, {1200, 480, 61, false},
                       {2300, 50, 60, false}, {2400, 480, 60, false}};

INSTANTIATE_TEST_SUITE_P(Tools, ToolsStroke, testing::Values(
  // 8th grid, 8th notes: from 240 into the eighth step lays eight notes end to end.
  StrokeCase{"PaintEightGridSteps", kToolPaint, -8, -64, 480, {}, 252, 2000, 60, 0, false, false, kPainted,
             Lines(8, kInsert), Row(240, 240, 8, 60), 240},
  // 960 per quarter, 8th grid, quarter notes: press at 1000, drag to 3000.
  StrokeCase{"PaintQuarterNotesOnAnEighthGrid", kToolPaint, -8, -32, 960, {}, 1000, 3000, 60, 0, false, false,
             kPainted, Lines(3, kInsert), Row(960, 960, 3, 60), 960},
  StrokeCase{"PaintLeftwards", kToolPaint, -8, -64, 480, {}, 1000, 500, 60, 0, false, false, kPainted,
             Lines(3, kInsert), Row(480, 240, 3, 60), 240},
  // Up two rows in four steps (552 on 60, 852 and 1152 on 61, 1452 on 62): each new row starts over.
  StrokeCase{"PaintAcrossRows", kToolPaint, -8, -64, 480, {}, 252, 1452, 60, 0, false, false, kPainted,
             Lines(5, kInsert), {{240, 240, 60, false}, {480, 240, 60, false}, {720, 240, 61, false},
             {960, 240, 61, false}, {1440, 240, 62, false}}, 240, 62},
  // Quarter-note triplets (320) on a 16th grid: each next note starts on the 16th after the last end.
  StrokeCase{"PaintTripletsOnASixteenthGrid", kToolPaint, -16, -30, 480, {}, 252, 1000, 60, 0, false, false,
             kPainted, Lines(3, kInsert), {{240, 320, 60, false}, {600, 320, 60, false}, {960, 320, 60, false}}, 320},
  // One tick per quarter: 64th triplets round to no ticks and the grid to less than one; notes of one tick.
  StrokeCase{"PaintBelowOneTick", kToolPaint, -64, -510, 1, {}, 24, 72, 60, 0, false, false, kPainted,
             Lines(49, kInsert), Row(24, 1, 49, 60), 1},
  // Shortens the note reaching in, deletes those starting inside, the last at e - 1.
  StrokeCase{"PaintClearsRoom", kToolPaint, -8, -64, 480, kRoom, 252, 252, 60, 0, false, false, kPaintedOne,
             {kInsert, Set(1), Del(2), Del(3)},
             {{100, 140, 60, false}, {240, 240, 60, false}, {300, 50, 62, false}, {480, 100, 60, false}}, 240},
  StrokeCase{"PaintRefusesAnOffScaleRow", kToolPaint, -8, -64, 480, {}, 252, 1000, 61, 0, false, true, nullptr,
             {}, {}, 240},
  StrokeCase{"PaintOffScaleWithAlt", kToolPaint, -8, -64, 480, {}, 252, 252, 61, 0, true, true, kPaintedOne,
             {kInsert}, Row(240, 240, 1, 61), 240},
  // Whole grid cells: [960, 2400).
  StrokeCase{"EraseSweep", kToolErase, -4, -64, 480, kSweep, 1000, 2000, 60, 0, false, false, L"Erase MIDI Events",
             {Set(2), Del(3), Del(4), Del(5)},
             {{480, 480, 60, false}, {720, 240, 60, false}, {1200, 480, 61, false}, {2400, 480, 60, false}}, 0},
  // Shift: only what the pointer passed, [1008, 1993).
  StrokeCase{"EraseWithShift", kToolErase, -4, -64, 480, kSweep, 1008, 1992, 60, MK_SHIFT, false, false,
             L"Erase MIDI Events", {Set(3), Set(2), Del(4)}, {kSwept[0], {720, 288, 60, false},
             {960, 48, 60, false}, kSwept[3], kSwept[4], kSwept[5]}, 0},
  StrokeCase{"EraseOneCell", kToolErase, -4, -64, 480, kSweep, 1500, 1500, 60, 0, false, false, L"Erase MIDI Event",
             {Del(4)}, {std::begin(kSwept), std::end(kSwept)}, 0}),
  [](const testing::TestParamInfo<StrokeCase>& info) { return std::string(info.param.name); });

TEST_F(ToolsTest, CancelledStrokesWriteNothingAndTheRightButtonPaints) {
  prefs.gridValue = -8;
  prefs.paintNoteValue = -64;
  Start(kToolErase, kSweep);
  for (bool right : {false, true}) {  // the right button paints with the Erase tool
    Mouse(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, At(1000, 60), right ? MK_RBUTTON : MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(2000, 60), right ? MK_RBUTTON : MK_LBUTTON);
    EXPECT_EQ(roll()->dragMode, right ? kRollPainting : kRollErasing);
    EXPECT_GT(Pending(), 0);
    Cancel();
    EXPECT_TRUE(roll()->dragMode == 0 && GetCapture() != window() && Pending() == 0);
  }
  EXPECT_EQ(Edits(), Lines{});
  held = host.song();
  Mouse(WM_RBUTTONDOWN, At(264, 62), MK_RBUTTON);
  Mouse(WM_RBUTTONUP, At(264, 62), 0);
  EXPECT_EQ(Edits(), Bracket(kPaintedOne, {kInsert}));
  EXPECT_EQ(Notes().front(), (Note{240, 240, 62, false}));
  host.ClearSentEvents();
  ExpectUndoRestores(kPaintedOne);
}

// At 48 ticks per pixel: press at 960 on pitch 70, right-clicks, release at 9600 on pitch 55.
class ToolsZoom : public ToolsTest, public testing::WithParamInterface<int> {};

TEST_P(ToolsZoom, BandSetsTheViewUnderItsConstraint) {
  const int constraint = GetParam() % 3;
  Start(kToolZoom, {}, 48);
  ASSERT_GE(8640, roll()->mapWidth * 11);  // not below the deepest zoom
  const std::vector<int64_t> before = View();
  Press(At(960, 70));
  MoveTo(At(4800, 60));
  RightClickWhileDragging(At(4800, 60), GetParam());
  EXPECT_EQ(roll()->bandConstraint, constraint);
  MoveTo(At(9600, 55));
  Release(At(9600, 55));
  EXPECT_TRUE(!roll()->bandVisible && GetCapture() != window());
  // 8640 ticks, with half the right margin in the new scale left before them; rows 57 to 72.
  const int64_t lead = static_cast<int64_t>((roll()->dataWidth - roll()->mapWidth) * 8640.0 / roll()->mapWidth * 0.5);
  EXPECT_EQ(View(), (std::vector<int64_t>{constraint == 2 ? before[0] : 960 - lead, constraint == 2 ? before[1] : 8640,
                                          constraint == 1 ? before[2] : 57, constraint == 1 ? before[3] : 16 * 45}));
  EXPECT_EQ(Edits(), Lines{});
}
INSTANTIATE_TEST_SUITE_P(Tools, ToolsZoom, testing::Values(0, 1, 2, 3));

TEST_F(ToolsTest, ZoomClicksKeepTheViewAndDoubleClicksShowEverything) {
  Start(kToolZoom, {});
  const std::vector<int64_t> before = View();
  Click(At(960, 70));
  Drag(At(960, 70), At(960 + 10 * 12, 69));  // 10 pixels right, one row (10 pixels) down
  EXPECT_EQ(View(), before);
  Mouse(WM_LBUTTONDBLCLK, At(960, 70), MK_LBUTTON);
  Release(At(960, 70));
  EXPECT_EQ(View()[0], 0);
  EXPECT_EQ(View()[1], roll()->totalLength);
  roll()->returnTool = kToolPaint;  // as the corner box leaves it: the band returns to it
  Click(At(960, 70));
  EXPECT_EQ(roll()->activeTool, kToolPaint);
}

TEST_F(ToolsTest, BandPenIsDottedAndDeletedWithEachBand) {
  Start(kToolZoom, {});
  const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 20; ++i) {
    Press(At(960, 70));
    MoveTo(At(1056, 70));
    HPEN pen = roll()->bandPen;
    LOGPEN style{};
    ASSERT_EQ(GetObjectW(pen, sizeof style, &style), static_cast<int>(sizeof style));
    EXPECT_EQ(Ints({int(style.lopnStyle), int(style.lopnWidth.x), int(style.lopnColor)}), Ints({PS_DOT, 1, 0}));
    if (i % 2) Cancel();  // a cancelled band lets go of its pen too
    Release(At(1056, 70));
    EXPECT_EQ(GetObjectType(pen), 0u) << "band " << i;
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);  // 0 and 0 where it is not counted
}

TEST_F(ToolsTest, SelectionBandSelectsUnderItsConstraint) {
  Start(kToolSelect, {N(960, 480, 65), N(1920, 480, 64), N(960, 480, 100), N(3840, 480, 64), N(1440, 480, 40)});
  // Pitches of the selected notes in time order: a rectangle, all rows, all times, a rectangle again.
  const Ints selected[] = {{65, 64}, {65, 100, 40, 64}, {65, 64, 64}, {65, 64}};
  for (int clicks = 0; clicks < 4; ++clicks) {
    Press(At(900, 66));
    MoveTo(At(2100, 63));
    RightClickWhileDragging(At(2100, 63), clicks);
    MoveTo(At(2100, 63));
    Release(At(2100, 63));
    Ints pitches;
    for (const Note& n : Notes())
      if (n.selected) pitches.push_back(n.pitch);
    EXPECT_EQ(pitches, selected[clicks]) << clicks;
  }
  EXPECT_TRUE(host.UndoLabels().empty());
}

TEST_F(ToolsTest, VelocityLineSetsExactlyTheCrossedVelocities) {
  // 16 ticks per pixel: the line's slope is exact in binary.
  Start(kToolDraw, {N(512, 256, 60), N(1024, 256, 62), N(1536, 256, 64), N(2048, 256, 60), N(2560, 256, 67),
                    N(3584, 256, 60)}, 16);
  const int h = roll()->lane.height - 6, from = h / 5, to = h * 4 / 5, v = from * 127 / h, d = to * 127 / h - v;
  ASSERT_GT(h, 20);
  Press(InLane(1024, from));
  MoveTo(InLane(3072, to));
  held = host.song();
  Release(InLane(3072, to));
  EXPECT_EQ(Edits(), Bracket(L"Draw MIDI Velocity", {Set(5), Set(4), Set(3), Set(2)}));
  Ints velocities;
  for (const refhost::EventView& e : host.Events(track.trackId)) velocities.push_back(e.record.data[1]);
  EXPECT_EQ(velocities, (Ints{100, v, (4 * v + d) / 4, (4 * v + 2 * d) / 4, (4 * v + 3 * d) / 4, 100}));
  EXPECT_EQ(Starts(), (Ints{512, 1024, 1536, 2048, 2560, 3584}));
  ExpectUndoRestores(L"Draw MIDI Velocity");
}

TEST_F(ToolsTest, RightClickInAControllerLaneErasesOneGridCell) {
  prefs.laneKind = 1007;
  Start(kToolDraw, {Controller(960, 7, 10), Controller(1200, 7, 20), Controller(1500, 7, 30),
                    Controller(1200, 10, 40), Controller(500, 7, 50)});
  Mouse(WM_RBUTTONDOWN, InLane(1000, 10), MK_RBUTTON);
  held = host.song();
  Mouse(WM_RBUTTONUP, InLane(1000, 10), 0);
  EXPECT_EQ(Edits(), Bracket(L"Erase MIDI 7: Main Volume MSB", {Del(1), Del(2)}));
  EXPECT_EQ(Starts(), (Ints{500, 1200, 1500}));
  ExpectUndoRestores(L"Erase MIDI 7: Main Volume MSB");
}

TEST_F(ToolsTest, CancelledLaneStrokesLeaveNothingPending) {
  Start(kToolDraw, {Controller(960, 7, 10), N(1920, 480, 60, true)});
  const struct { int32_t kind; UINT press; WPARAM button; } strokes[] = {
      {1007, WM_RBUTTONDOWN, MK_RBUTTON}, {1007, WM_LBUTTONDOWN, MK_LBUTTON}, {1128, WM_LBUTTONDOWN, MK_LBUTTON}};
  for (const auto& s : strokes) {
    SetLaneKind(roll(), s.kind);
    Mouse(s.press, InLane(900, 40), s.button);
    Mouse(WM_MOUSEMOVE, InLane(2100, 30), s.button);
    EXPECT_GT(Pending(), 0) << s.kind;
    Cancel();
    EXPECT_TRUE(Pending() == 0 && GetCapture() != window()) << s.kind;
    if (s.button == MK_LBUTTON) Release(InLane(2100, 30));
  }
  EXPECT_EQ(Edits(), Lines{});
  RunRollCommand(roll(), 4061, -1);  // the next edit carries only its own change
  EXPECT_EQ(Edits(), Bracket(L"Set MIDI Event Velocity", {Set(2)}));
}

TEST_F(ToolsTest, LaneSplitterAndStoredLaneExtremes) {
  Start(kToolDraw, {});
  const int c = HIWORD(KvGetUIFontSize(110)), shared = roll()->dataHeight + roll()->lane.height;
  const struct { int dy; bool cancel; int height; } cases[] = {
      {-30, false, 80}, {-30, true, 80}, {-1000, false, shared - 3 * c - 5}, {3000, false, 4 * c}};
  for (const auto& k : cases) {
    const POINT grip{roll()->lane.left + 100, roll()->lane.top + 2};
    Press(grip);
    MoveTo({grip.x, grip.y + k.dy});
    if (k.cancel) Cancel();
    Release({grip.x, grip.y + k.dy});
    EXPECT_EQ(prefs.laneHeight, k.height) << k.dy;
    EXPECT_EQ(roll()->dataHeight + roll()->lane.height, shared);
    EXPECT_GE(roll()->dataHeight, 3 * c);  // the notes keep three character heights
  }
  DestroyWindow(window());
  prefs.laneHeight = 0x7FFFFFFF;
  prefs.laneKind = 5000;
  Start(kToolDraw, {N(960, 480, 60)});
  EXPECT_EQ(prefs.laneKind, 1128);
  EXPECT_GT(roll()->lane.height, 0);
  EXPECT_LE(roll()->lane.bottom, roll()->clientHeight);
  Capture();
}

TEST_F(ToolsTest, KeyboardPlaysThePressedKeyUntilTheRelease) {
  Start(kToolDraw, {});
  Press({KeyX(3), Y(60)});
  const std::vector<refhost::SentEvent>& sent = host.SentEvents();
  ASSERT_EQ(sent.size(), 1u);
  const MidiEvent& on = sent[0].record;
  EXPECT_EQ(Ints({int(on.type), on.data[0], on.data[1], on.duration, int(on.port)}),
            Ints({int(kEvNoteOn), 60, 64, 0x7FFFFFFF, 1}));  // on the chosen output port
  Release({KeyX(3), Y(60)});
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].record.port, 1u);
  EXPECT_EQ(Previews(), Ints{60});
  Drag({KeyX(3), Y(60)}, {KeyX(3), Y(64)});  // one row per step
  EXPECT_EQ(Previews(), (Ints{60, 61, 62, 63, 64}));
  Drag({KeyX(8), Y(60)}, {KeyX(8), 5000});  // past the last row: the key stays
  EXPECT_EQ(Previews(), Ints{60});
  Drag({KeyX(3), Y(70)}, {KeyX(3), -500});  // above the keys: the top one
  EXPECT_EQ(Previews(), (Ints{70, 72}));
  // Beside a black key the white keys meet k/7 down its row.
  const int split[12] = {7, 2, 0, 4, 0, 6, 1, 0, 3, 0, 5, 0};
  for (int pitch : {61, 63, 66, 68, 70}) {
    const int line = Top(pitch) + RowHeight(pitch) * split[pitch % 12] / 7;
    for (POINT p : {POINT{KeyX(3), Top(pitch)}, POINT{KeyX(8), Top(pitch)}, POINT{KeyX(8), line - 1},
                    POINT{KeyX(8), line}, POINT{KeyX(8), Top(pitch) + RowHeight(pitch) - 1}})
      Click(p);
    EXPECT_EQ(Previews(), (Ints{pitch, pitch + 1, pitch + 1, pitch - 1, pitch - 1}));
  }
  EXPECT_EQ(Edits(), Lines{});
}

TEST_F(ToolsTest, HeaderWidthDragsAndHeldKeysStopping) {
  prefs.monitor = 0;  // the keyboard sounds without the editing preview
  Start(kToolDraw, {});
  const struct { int dx; bool cancel; int width; } cases[] = {{40, false, 100}, {40, true, 100}, {-300, false, 2},
                                                               {58, false, 60}};
  for (const auto& c : cases) {
    const POINT grip{roll()->header.right - 3, Y(66)};
    Press(grip);
    MoveTo({grip.x + c.dx, grip.y});
    if (c.cancel) Cancel();
    Release({grip.x + c.dx, grip.y});
    EXPECT_EQ(prefs.keyboardWidth, c.width) << c.dx;
    EXPECT_EQ(roll()->header.width, c.width + 6);
  }
  EXPECT_TRUE(host.SentEvents().empty());
  Press({KeyX(3), Y(62)});
  Cancel();
  EXPECT_EQ(Previews(), Ints{62});
  // Another window taking the mouse ends the held key like a cancel.
  Press({KeyX(3), Y(63)});
  HWND thief = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SetCapture(thief);
  EXPECT_EQ(Previews(), Ints{63});
  EXPECT_EQ(roll()->dragMode, 0);
  ReleaseCapture();
  DestroyWindow(thief);
  Press({KeyX(3), Y(64)});
  DestroyWindow(window());
  EXPECT_EQ(Previews(), Ints{64});
}

TEST_F(ToolsTest, QuantizeSelectionIsOneEdit) {
  Start(kToolDraw, {N(1000, 500, 60, true), N(1020, 100, 62, true), N(1200, 480, 64, true), N(1010, 300, 65),
                    refhost::Selected(Controller(1010, 7, 1))});
  held = host.song();
  // Valid, starts and durations, 16th notes: 120 ticks at 480 per quarter in 4/4.
  ASSERT_EQ(QuantizeSelection(store, 0xE0000004, 1920), S_OK);
  EXPECT_EQ(Edits(), Bracket(L"Quantize MIDI events", {Set(1), Set(2), Set(3)}));
  EXPECT_EQ(Notes(), (std::vector<Note>{{960, 480, 60, true}, {1010, 300, 65, false}, {1080, 120, 62, true},
                                        {1200, 480, 64, true}}));
  EXPECT_EQ(Starts(), (Ints{960, 1010, 1010, 1080, 1200}));
  ExpectUndoRestores(L"Quantize MIDI events");
  Replay();
  QuantizeSelection(store, 0x60000004, 1920);  // not a valid word: nothing moves
  EXPECT_EQ(host.song(), held);
  const int64_t wholes[] = {7680, 3840, 1920, 240, 120, 60};  // by the host's beat unit code
  for (uint32_t code = 0; code < 6; ++code) {
    host.SetMeter(4, code);
    EXPECT_EQ(HostWholeNote(store, 480), wholes[code]) << code;
  }
  for (const refhost::EventView& e : host.Events(track.trackId))
    host.ChangeEvent(e.path, refhost::Selected(e.record, false));
  Replay();
  host.Log().Clear();
  EXPECT_EQ(QuantizeSelection(store, 0xE0000004, 1920), S_FALSE);  // nothing selected: nothing at all
  EXPECT_EQ(Edits(), Lines{});
}

}  // namespace
