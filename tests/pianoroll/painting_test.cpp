// The data area's pixels: note bars in their octave's colours with edges or
// outline, the selected layer over the unselected one, a note being drawn
// before it is committed, and the rows tinted by octave and scale. The view
// shows 12 ticks per pixel from 0 with grid lines every 480 ticks.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pianoroll/roll_fixture.h"

namespace {

using rolltest::RollTest;

constexpr COLORREF kOutline = 0x404040;  // the default selected-note outline

// Per channel: base + a/256 of the way to tint, rounded.
COLORREF Blend(COLORREF base, COLORREF tint, int a) {
  auto channel = [&](int shift) {
    int b = (base >> shift) & 0xFF, d = (((tint >> shift) & 0xFF) - b) * a + 128;
    return std::clamp(b + (((d >> 8) + d) >> 8), 0, 255) << shift;
  };
  return static_cast<COLORREF>(channel(0) | channel(8) | channel(16));
}

class PaintingTest : public RollTest {
 protected:
  void SetUp() override {
    prefs.gridValue = -4;
    prefs.dataLength = 40 * 1920;
    prefs.firstVisibleRow = 127 - 72;
  }
  void Show(const std::vector<MidiEvent>& notes) {
    Open();
    Frame(0, 12);
    AddNotes(notes);
    Capture();
  }
  int Top(int pitch) const { return roll()->RowToY(127 - pitch); }
};

TEST_F(PaintingTest, NotesInTheirOctaveColoursSelectedOnTop) {
  struct Case {
    int64_t start;
    int pitch;
    bool selected;
    COLORREF fill, edge;
  } cases[] = {
      {960, 60, false, 0x804000, 0xE17000},  // octave 5
      {1920, 48, true, 0x00FFFF, kOutline},  // octave 4, selected
      {2880, 72, false, 0x400080, 0x7000E1},  // octave 6
      {3840, 40, true, 0x0000FF, kOutline},  // octave 3, selected
      {4800, 30, false, 0x008000, 0x00E100},  // octave 2
  };
  // The selected note starts first, so time order alone would put the
  // unselected one, with its start edge, on top of it.
  std::vector<MidiEvent> notes = {N(5760, 960, 62, true), N(6000, 480, 62)};
  for (const Case& c : cases) notes.push_back(N(c.start, 480, c.pitch, c.selected));
  Show(notes);
  for (int64_t t : {6000, 6240, 6600}) EXPECT_EQ(Pixel(X(t), Y(62)), 0xFF8000u) << t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitch);
    int left = X(c.start), right = X(c.start + 480), y = Y(c.pitch);
    ASSERT_EQ(right - left, 40);
    EXPECT_EQ(Pixel(left + 20, y), c.fill);
    EXPECT_EQ(Pixel(left, y), c.edge);
    EXPECT_EQ(Pixel(right - 1, y), c.edge);
    // Only a selected note is outlined along its top.
    EXPECT_EQ(Pixel(left + 20, Top(c.pitch)), c.selected ? kOutline : c.fill);
    EXPECT_NE(Pixel(right, y), c.fill);
  }
}

TEST_F(PaintingTest, AVerticalScrollRepaintsTheNotesAtTheirNewRows) {
  Show({N(960, 480, 60)});
  ASSERT_EQ(Pixel(X(1200), Y(60)), 0x804000u);
  roll()->ScrollBy(0, 2 * kRowUnits);  // two rows down: the copy of the notes is stale
  Capture();
  EXPECT_EQ(Pixel(X(1200), Y(60)), 0x804000u);
  EXPECT_NE(Pixel(X(1200), Y(62)), 0x804000u);
}

TEST_F(PaintingTest, EditsInProgressAreVisibleBeforeTheirCommit) {
  Show({N(960, 480, 60, true)});
  // A note being moved: shown at its new place only, then back after a cancel.
  POINT before{X(1200), Y(60)}, after{X(2160), Y(60)};
  Press(At(1152, 60));
  MoveTo(At(1632, 60));
  MoveTo(At(2112, 60));
  Capture();
  EXPECT_NE(Pixel(before.x, before.y), 0xFF8000u);
  EXPECT_EQ(Pixel(after.x, after.y), 0xFF8000u);
  Key(VK_ESCAPE);
  Release(At(2112, 60));
  Capture();
  EXPECT_EQ(Pixel(before.x, before.y), 0xFF8000u);
  EXPECT_NE(Pixel(after.x, after.y), 0xFF8000u);
  // A note being drawn.
  POINT inside{X(2640), Y(66)};
  EXPECT_NE(Pixel(inside.x, inside.y), 0xFF8000u);
  Press(At(2412, 66));
  MoveTo(At(2592, 66));
  MoveTo(At(2772, 66));
  Capture();
  EXPECT_EQ(Notes(), (std::vector<RollTest::Note>{{960, 480, 60, false}}));
  EXPECT_EQ(Pixel(inside.x, inside.y), 0xFF8000u);  // selected, octave 5
  EXPECT_EQ(Pixel(X(2400), inside.y), kOutline);
  EXPECT_EQ(Pixel(X(2880) - 1, inside.y), kOutline);
  Release(At(2772, 66));
  Sync();
  Capture();
  EXPECT_EQ(Notes(), (std::vector<RollTest::Note>{{960, 480, 60, false}, {2400, 480, 66, true}}));
  EXPECT_EQ(Pixel(inside.x, inside.y), 0xFF8000u);
}

TEST_F(PaintingTest, RowsTintedByOctaveAndScale) {
  Show({});
  COLORREF face = GetSysColor(COLOR_BTNFACE), light = Blend(face, RGB(255, 255, 255), 128);
  struct Row {
    int pitch;
    bool black, inScale;  // C major
    COLORREF octave;      // the octave's selected colour
  } rows[] = {
      {60, false, true, 0xFF8000}, {61, true, false, 0xFF8000}, {62, false, true, 0xFF8000},
      {66, true, false, 0xFF8000}, {71, false, true, 0xFF8000}, {49, true, false, 0x00FFFF},
      {50, false, true, 0x00FFFF}, {36, false, true, 0x0000FF},
  };
  // Midway between grid lines, clear of the cursor's column at time 0.
  for (int64_t t : {240, 2160}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(testing::Message() << "pitch " << r.pitch << " at " << t);
      EXPECT_EQ(Pixel(X(t), Y(r.pitch)), Blend(r.black ? face : light, r.octave, 12));
    }
  }
  SendMessageW(window(), WM_COMMAND, kCmdScaleSnapping, 0);
  ASSERT_EQ(prefs.scaleSnap, 1);
  Capture();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.pitch);
    EXPECT_EQ(Pixel(X(240), Y(r.pitch)), Blend(light, r.octave, r.inScale ? 48 : 12));
  }
}

}  // namespace
