// Lane descriptors against the reference host: drawing, erasing and finishing
// strokes in the value lanes, the velocity lane's line, the lane menu, and the
// step graph's pixels.
#include <gtest/gtest.h>

#include <string>

#include "mididata/edit_labels.h"
#include "mididata/lane_descriptor.h"
#include "mididata/lane_menu.h"
#include "tests/mididata/edit_fixture.h"

using edittest::Del;
using edittest::Ins;
using refhost::Note;

namespace {

// A view with a 480-tick grid, 10 ticks per pixel from x 0, a time line of 4000.
class GridView : public LaneView {
 public:
  bool snap = true;
  bool SnapActive() override { return snap; }
  int64_t SnapDown(int64_t t) override { return t / 480 * 480; }
  int64_t SnapUp(int64_t t) override { return (t + 479) / 480 * 480; }
  int64_t GridLength() override { return 480; }
  uint32_t TicksPerQuarter() override { return 960; }
  int32_t TimeToX(int64_t t) override { return static_cast<int32_t>(t / 10); }
  int64_t TimelineEnd() override { return 4000; }
};

std::wstring Name(LaneDescriptor& lane) {
  wchar_t buffer[128];
  lane.GetName(buffer, 128);
  return buffer;
}

class LaneTest : public edittest::EditTest {
 protected:
  std::unique_ptr<LaneDescriptor> Lane(int32_t kind) { return CreateLaneDescriptor(kind, store, view); }
  std::vector<MidiEvent> PendingInserts() {
    std::vector<MidiEvent> out;
    for (int32_t i = 0; i < store.pending().PendingInsertCount(); ++i) {
      MidiEvent e{};
      store.pending().PendingInsertAt(i, &e);
      out.push_back(e);
    }
    return out;
  }
  GridView view;
};

}  // namespace

TEST_F(LaneTest, KindsNamesCursorsAndScales) {
  auto velocity = Lane(kLaneVelocity);
  auto bend = Lane(kLanePitchBend);
  auto volume = Lane(1007);
  ASSERT_TRUE(velocity && bend && volume);
  EXPECT_EQ(Lane(999), nullptr);
  EXPECT_EQ(Lane(1130), nullptr);
  EXPECT_EQ(Name(*velocity), L"Velocity");
  EXPECT_EQ(Name(*bend), L"Pitch Bend");
  EXPECT_EQ(Name(*volume), L"7: Main Volume MSB");
  EXPECT_EQ(velocity->GetKind(), 1128);
  EXPECT_EQ(bend->GetKind(), 1129);
  EXPECT_EQ(volume->GetKind(), 1007);
  EXPECT_EQ(velocity->GetCursor(), 3);
  EXPECT_EQ(volume->GetCursor(), 129);
  EXPECT_EQ(volume->MaxValue(), 127);
  EXPECT_EQ(bend->MaxValue(), 16383);
  EXPECT_EQ(bend->FullScale(), 16383);
  EXPECT_EQ(volume->ValueAt(64, 127), 64);
  EXPECT_EQ(volume->ValueAt(50, 100), 63);
  EXPECT_EQ(bend->ValueAt(0, 100), -8192);
  EXPECT_EQ(bend->ValueAt(100, 100), 8191);
  EXPECT_EQ(bend->ValueAt(33, 100), 5406 - 8192);  // 33 x 16383 / 100 truncated
  wchar_t label[128];
  LaneEditLabel(false, L"7: Main Volume MSB", label, 128);
  EXPECT_STREQ(label, L"Draw MIDI 7: Main Volume MSB");
}

TEST_F(LaneTest, FlatLineOverFourGridStepsQueuesOneEventAtTheStart) {
  Show();
  auto volume = Lane(1007);
  ASSERT_EQ(volume->DrawLine(64, 64, 127, 100, 1900, 10, false), S_OK);
  const auto inserts = PendingInserts();
  ASSERT_EQ(inserts.size(), 1u);
  EXPECT_EQ(inserts[0].type, kEvControlChange);
  EXPECT_EQ(inserts[0].start, 0);
  EXPECT_EQ(inserts[0].data[0], 7);
  EXPECT_EQ(inserts[0].data[1], 64);
  EXPECT_EQ(inserts[0].channel, 2);  // the track's channel
  ASSERT_EQ(volume->FinishStroke(), S_OK);
  ASSERT_EQ(CommitPending(store, L"Draw MIDI 7: Main Volume MSB", false), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Draw MIDI 7: Main Volume MSB)", Ins(InsertTarget()),
                                               "EndEdit(1)"}));
}

TEST_F(LaneTest, RampWithoutSnappingAndFinishingTheStroke) {
  Show();
  view.snap = false;
  auto volume = Lane(1001);
  // 0 at 0 up to 127 at 150: steps of 960 / 64 = 15 ticks.
  ASSERT_EQ(volume->DrawLine(0, 127, 127, 0, 150, 10, false), S_OK);
  auto inserts = PendingInserts();
  ASSERT_EQ(inserts.size(), 10u);  // 0, 15, ... 135; 150 is the end
  EXPECT_EQ(inserts[1].start, 15);
  EXPECT_EQ(inserts[1].data[1], 13);  // 12.7 rounded
  // Redrawing the same place replaces the pending inserts at those times.
  ASSERT_EQ(volume->DrawLine(20, 20, 127, 30, 30, 10, false), S_OK);
  inserts = PendingInserts();
  ASSERT_EQ(inserts.size(), 10u);
  EXPECT_EQ(inserts.back().start, 30);
  EXPECT_EQ(inserts.back().data[1], 20);
  // Equal neighbours are dropped when the stroke ends.
  ASSERT_EQ(volume->DrawLine(20, 20, 127, 45, 45, 10, false), S_OK);
  ASSERT_EQ(volume->FinishStroke(), S_OK);
  inserts = PendingInserts();
  ASSERT_EQ(inserts.size(), 9u);
  EXPECT_EQ(inserts[2].start, 30);
  EXPECT_EQ(inserts[3].start, 60);
  CommitPending(store, nullptr, true);
}

TEST_F(LaneTest, ErasingInTheControllerLane) {
  const ItemPath inRange = host.AddEvent(block, refhost::Controller(500, 7, 10));
  const ItemPath edge = host.AddEvent(block, refhost::Controller(959, 7, 10));
  host.AddEvent(block, refhost::Controller(960, 7, 10));  // past the widened range
  host.AddEvent(block, refhost::Controller(600, 10, 10));  // another controller
  host.AddEvent(block, Note(600, 10, 60));
  Show();
  auto volume = Lane(1007);
  ASSERT_EQ(store.pending().QueueInsert(refhost::Controller(700, 7, 1), nullptr), S_OK);
  ASSERT_EQ(store.pending().QueueInsert(refhost::Controller(700, 10, 1), nullptr), S_OK);
  ASSERT_EQ(volume->EraseSpan(600, 520, 10, false), S_OK);  // widened to 480..959
  EXPECT_EQ(store.pending().PendingInsertCount(), 1);
  ASSERT_EQ(volume->FinishStroke(), S_OK);
  store.pending().RemovePendingInsert(0);
  ASSERT_EQ(CommitPending(store, L"Erase MIDI 7: Main Volume MSB", false), S_OK);
  EXPECT_EQ(Edits(), (std::vector<std::string>{"BeginEdit(1,Erase MIDI 7: Main Volume MSB)", Del(inRange), Del(edge),
                                               "EndEdit(1)"}));
  // With Shift the range is taken as it is: only the event at 960.
  ASSERT_EQ(store.Refresh(true), S_OK);
  ASSERT_EQ(store.SelectView(store.TrackIndexOf(piano.trackId), -1), S_OK);
  ASSERT_EQ(volume->EraseSpan(961, 959, 10, true), S_OK);
  EXPECT_EQ(store.pending().PendingDeleteCount(), 1);
  CommitPending(store, nullptr, true);
}

TEST_F(LaneTest, ErasingInThePitchBendLaneLeavesTheCentre) {
  host.AddEvent(block, refhost::PitchBend(500, 4000));
  host.AddEvent(block, refhost::PitchBend(700, -300));
  host.AddEvent(block, refhost::PitchBend(2000, 100));
  Show();
  auto bend = Lane(kLanePitchBend);
  ASSERT_EQ(bend->EraseSpan(520, 900, 10, false), S_OK);
  ASSERT_EQ(bend->FinishStroke(), S_OK);
  ASSERT_EQ(CommitPending(store, L"Erase MIDI Pitch Bend", false), S_OK);
  std::vector<std::pair<int64_t, int>> bends;
  for (const auto& e : host.Events(piano.trackId))
    if (e.record.type == kEvPitchBend) bends.emplace_back(e.record.start, e.record.data[0] + 128 * e.record.data[1]);
  EXPECT_EQ(bends, (std::vector<std::pair<int64_t, int>>{{480, 8192}, {2000, 8192 + 100}}));
}

TEST_F(LaneTest, VelocityLaneDrawsTheVelocityLine) {
  const ItemPath a = host.AddEvent(block, Note(0, 100, 60, 90));
  const ItemPath b = host.AddEvent(block, Note(480, 100, 62, 90));
  Show();
  auto velocity = Lane(kLaneVelocity);
  EXPECT_EQ(velocity->EraseSpan(0, 1000, 10, false), S_FALSE);
  EXPECT_TRUE(store.pending().Empty());
  ASSERT_EQ(velocity->DrawLine(0, 0, 100, 0, 480, 10, false), S_OK);
  EXPECT_EQ(velocity->FinishStroke(), S_FALSE);
  ASSERT_EQ(CommitPending(store, L"Draw MIDI Velocity", false), S_OK);
  EXPECT_EQ(At(a).data[1], 1);
  EXPECT_EQ(At(b).data[1], 1);
}

TEST_F(LaneTest, MenuOverATrackWithOnlyNotes) {
  host.AddEvent(block, Note(0, 100, 60));
  host.AddEvent(otherBlock, refhost::Controller(0, 7, 100));  // another track: not in the view
  Show();
  OwnedMenu menu;
  ASSERT_EQ(BuildLaneMenu(store, 1007, &menu), S_OK);
  ASSERT_NE(menu.get(), nullptr);
  auto text = [](HMENU m, int i) {
    wchar_t buffer[128] = L"";
    GetMenuStringW(m, i, buffer, 128, MF_BYPOSITION);
    return std::wstring(buffer);
  };
  auto state = [](HMENU m, int i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    GetMenuItemInfoW(m, i, TRUE, &info);
    return info;
  };
  const std::vector<std::wstring> expected = {L"Velocity *", L"Pitch Bend", L"1: Modulation", L"2: Breath Controller",
                                              L"4: Foot Controller", L"5: Portamento Time", L"7: Main Volume",
                                              L"8: Balance", L"10: Pan", L"11: Expression", L"64: Damper Pedal"};
  ASSERT_EQ(GetMenuItemCount(menu.get()), 13);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(text(menu.get(), i), expected[i]) << i;
  EXPECT_TRUE(state(menu.get(), 11).fType & MFT_SEPARATOR);
  EXPECT_EQ(state(menu.get(), 0).wID, 1128u);
  EXPECT_EQ(state(menu.get(), 6).wID, 1007u);
  EXPECT_TRUE(state(menu.get(), 6).fState & MFS_CHECKED);
  EXPECT_TRUE(state(menu.get(), 6).fType & MFT_RADIOCHECK);
  EXPECT_FALSE(state(menu.get(), 0).fState & MFS_CHECKED);
  EXPECT_EQ(text(menu.get(), 12), L"All Continuous Controllers");

  HMENU all = GetSubMenu(menu.get(), 12);
  ASSERT_NE(all, nullptr);
  ASSERT_EQ(GetMenuItemCount(all), 128);
  int disabled = 0;
  for (int c = 0; c < 128; ++c) {
    const MENUITEMINFOW info = state(all, c);
    EXPECT_EQ(info.wID, 1000u + c);
    EXPECT_EQ((info.fType & MFT_MENUBARBREAK) != 0, c == 32 || c == 64 || c == 96) << c;
    disabled += (info.fState & MFS_DISABLED) != 0;
  }
  EXPECT_EQ(disabled, 18);
  EXPECT_TRUE(state(all, 0).fState & MFS_DISABLED);
  EXPECT_TRUE(state(all, 7).fState & MFS_CHECKED);
  EXPECT_EQ(text(all, 7), L"7: Main Volume");
  EXPECT_EQ(text(all, 39), L"39: Main Volume LSB");
}

TEST_F(LaneTest, MenuMarksLanesWithEventsAndListsOtherControllers) {
  host.AddEvent(block, refhost::Controller(0, 7, 100));
  host.AddEvent(block, refhost::Controller(10, 74, 1));
  host.AddEvent(block, refhost::PitchBend(20, 0));
  host.AddEvent(block, refhost::LongEvent(kEvSysex, 0), {0xF0, 0xF7});
  Show();
  OwnedMenu menu;
  ASSERT_EQ(BuildLaneMenu(store, kLaneVelocity, &menu), S_OK);
  wchar_t buffer[128];
  ASSERT_EQ(GetMenuItemCount(menu.get()), 15);
  GetMenuStringW(menu.get(), 0, buffer, 128, MF_BYPOSITION);
  EXPECT_STREQ(buffer, L"Velocity");
  GetMenuStringW(menu.get(), 1, buffer, 128, MF_BYPOSITION);
  EXPECT_STREQ(buffer, L"Pitch Bend *");
  GetMenuStringW(menu.get(), 6, buffer, 128, MF_BYPOSITION);
  EXPECT_STREQ(buffer, L"7: Main Volume *");
  GetMenuStringW(menu.get(), 12, buffer, 128, MF_BYPOSITION);
  EXPECT_STREQ(buffer, L"74: Brightness *");
  EXPECT_EQ(GetMenuItemID(menu.get(), 13), 0u);  // separator after the other controllers
  EXPECT_EQ(host.OutstandingBlocks(), 0u);       // the scanned sysex payload was freed
}

// The step graph in a memory bitmap: colours at computed places.
TEST_F(LaneTest, PaintingTheStepGraphs) {
  host.AddEvent(block, refhost::Controller(1000, 7, 127));
  host.AddEvent(block, refhost::Controller(2000, 7, 0));
  host.AddEvent(block, refhost::PitchBend(1000, 8191));
  host.AddEvent(block, refhost::PitchBend(2000, -8192));
  Show();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 128);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT all{0, 0, 400, 128};
  const RECT area{0, 1, 400, 128};  // 127 pixels high
  auto clear = [&] { FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); };

  clear();
  auto volume = Lane(1007);
  ASSERT_EQ(volume->Paint(dc, area, all), S_OK);
  const COLORREF blue = RGB(127, 127, 255);
  EXPECT_EQ(GetPixel(dc, 50, 120), RGB(255, 255, 255));  // before 1000: value 0
  EXPECT_EQ(GetPixel(dc, 150, 5), blue);                 // 1000..2000: full
  EXPECT_EQ(GetPixel(dc, 150, 126), blue);
  EXPECT_EQ(GetPixel(dc, 250, 120), RGB(255, 255, 255));  // back to 0

  // A pending insert replaces the host's event at its time.
  ASSERT_EQ(store.pending().QueueInsert(refhost::Controller(2000, 7, 64), nullptr), S_OK);
  clear();
  ASSERT_EQ(volume->Paint(dc, area, all), S_OK);
  EXPECT_EQ(GetPixel(dc, 250, 120), blue);
  EXPECT_EQ(GetPixel(dc, 250, 30), RGB(255, 255, 255));
  CommitPending(store, nullptr, true);

  // Clipped to the clip rectangle.
  clear();
  const RECT left{0, 0, 120, 128};
  ASSERT_EQ(volume->Paint(dc, area, left), S_OK);
  EXPECT_EQ(GetPixel(dc, 110, 60), blue);
  EXPECT_EQ(GetPixel(dc, 130, 60), RGB(255, 255, 255));

  clear();
  auto bend = Lane(kLanePitchBend);
  ASSERT_EQ(bend->Paint(dc, area, all), S_OK);
  const COLORREF bendBlue = RGB(92, 92, 192);
  const int middle = 128 - (128 - 1) / 2;
  EXPECT_EQ(GetPixel(dc, 150, middle - 20), bendBlue);  // up from the middle
  EXPECT_EQ(GetPixel(dc, 150, middle + 20), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 250, middle + 20), bendBlue);  // down from the middle
  EXPECT_EQ(GetPixel(dc, 250, middle - 20), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 50, middle - 20), RGB(255, 255, 255));  // the centre before 1000

  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
