// The scroll-and-zoom controls, drag and middle-button auto-scroll, the loop
// bar and the time ruler, driven by real mouse messages at points taken from
// the laid-out parts; timers are delivered here once they are known to run.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/trackview/support/test_client.h"

namespace {

using tvtest::Host;

constexpr UINT_PTR kRepeat = 2, kStep = 3;
constexpr int64_t kTotal = 64 * 1920;

int contextMenus = 0;
HWND watched = nullptr;
LRESULT CALLBACK CountContextMenus(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->hwnd == watched && message->message == WM_CONTEXTMENU) ++contextMenus;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs inside the menu's modal loop: notes the items shown, then closes it.
std::vector<UINT> menuItems;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup && IsWindowVisible(popup) && menuItems.empty()) {
    auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) menuItems.push_back(GetMenuItemID(menu, i));
  }
  EndMenu();
}

class Controls : public testing::Test {
 protected:
  void SetUp() override {
    tvtest::SetModifiers(false, false);
    ASSERT_NE(host.window(), nullptr);
    view = host.view();
    mw = view->mapWidth;
    host.log().Clear();
  }
  void TearDown() override {
    tvtest::SetModifiers(false, false);
    ReleaseCapture();
  }
  // Whether the window timer runs; a running one is set again as it was.
  bool Runs(UINT_PTR id) {
    if (!KillTimer(host.window(), id)) return false;
    SetTimer(host.window(), id, id == kRepeat ? 75 : 100, nullptr);
    return true;
  }
  void Tick(UINT_PTR id) { SendMessageW(host.window(), WM_TIMER, id, 0); }
  void StepAfter100ms() {
    view->autoScroll.lastStep = GetTickCount() - 100;
    Tick(kStep);
  }
  void ExpectEnded(UINT_PTR timer) {
    EXPECT_FALSE(Runs(timer));
    EXPECT_EQ(GetCapture(), nullptr);
  }
  void Drag(POINT from, POINT to, WPARAM keys = 0) {
    host.Mouse(WM_LBUTTONDOWN, from, MK_LBUTTON | keys);
    host.Mouse(WM_MOUSEMOVE, to, MK_LBUTTON | keys);
    host.Mouse(WM_LBUTTONUP, to, keys);
  }
  POINT H(int32_t x) { return {x, host.Centre(kPaneHScroll).y}; }
  POINT Mid(const AxisSpan& s, bool horizontal = true) {
    return horizontal ? H((s.begin + s.end) / 2) : POINT{host.Centre(kPaneVScroll).x, (s.begin + s.end) / 2};
  }
  // The thumb mapping: track pixel of a tick, ticks of a pixel distance.
  int32_t ThumbAt(int64_t tick) {
    int64_t tl = view->hScroll.parts.trackLength;
    return view->hScroll.parts.track.begin + static_cast<int32_t>((kTotal / 2 + tl * tick) / kTotal);
  }
  int64_t ThumbTicks(int32_t pixels) {
    int64_t tl = view->hScroll.parts.trackLength;
    return (tl / 2 + kTotal * pixels) / tl;
  }
  int64_t Ladder(int step) { return std::min<int64_t>(int64_t{mw} * ((2 + step % 2) << (step / 2)) * 11 / 2, kTotal); }
  // The loop bar at 20 ticks a pixel from tick 0; dy 6 is in the loop zones' rows, dy 1 above them.
  POINT Bar(int64_t tick, int dy = 6) {
    return {view->dataRect.left + static_cast<int32_t>(tick / 20), host.pane(kPaneLoopBar)->top + dy};
  }
  void AtTwentyTicksAPixel() {
    view->SetView(0, int64_t{mw} * 20, 0);
    view->snapGrid = 480;
  }
  void Expect(int64_t loopStart, int64_t loopLength, int64_t cursor, int64_t extent, const char* what) {
    EXPECT_EQ((std::vector<int64_t>{view->loopStart, view->loopLength, view->cursorPos, view->cursorExtent}),
              (std::vector<int64_t>{loopStart, loopLength, cursor, extent})) << what;
  }
  int UpdateUis() {
    host.Pump();
    auto& sent = host.log().parentMessages;
    int n = static_cast<int>(std::count(sent.begin(), sent.end(), WM_EDITOR_UPDATEUI));
    sent.clear();
    return n;
  }
  Host host{640, 480};
  Trackview* view = nullptr;
  int32_t mw = 1;
};

TEST_F(Controls, ArrowsAndTrackPagesScrollRepeatAndCancel) {
  const int64_t s = 40'000, d = int64_t{mw} * 20;
  const int32_t r = 20 * 45;
  const ScrollParts& h = view->hScroll.parts;
  const ScrollParts& v = view->vScroll.parts;
  struct Row { bool horizontal; POINT at; int64_t once, twice; } rows[] = {
      {true, Mid(h.lessArrow), s - d / 20, s - 2 * (d / 20)},  {true, Mid(h.moreArrow), s + d / 20, s + 2 * (d / 20)},
      {true, H(h.track.begin + 1), s - d / 2, s - 2 * (d / 2)}, {true, H(h.track.end - 2), s + d / 2, s + 2 * (d / 2)},
      {false, Mid(v.lessArrow, false), r - 45, r - 90},          {false, Mid(v.moreArrow, false), r + 45, r + 90},
  };
  for (const Row& row : rows) {
    view->SetView(s, d, 0);
    view->SetVertView(r, view->vertSpan, 0);
    auto now = [&] { return row.horizontal ? view->viewStart : int64_t{view->vertStart}; };
    host.Mouse(WM_LBUTTONDOWN, row.at, MK_LBUTTON);
    EXPECT_EQ(now(), row.once) << row.at.x << "," << row.at.y;
    EXPECT_EQ(GetCapture(), host.window());
    ASSERT_TRUE(Runs(kRepeat));
    Tick(kRepeat);
    EXPECT_EQ(now(), row.twice) << row.at.x << "," << row.at.y;
    host.Mouse(WM_LBUTTONUP, row.at);
    ExpectEnded(kRepeat);
  }
  // Held at the end of the time line the arrow stops there; WM_CANCELMODE ends the press.
  view->SetView(kTotal - d - d / 40, d, 0);
  host.Mouse(WM_LBUTTONDOWN, Mid(h.moreArrow), MK_LBUTTON);
  Tick(kRepeat);
  EXPECT_EQ(view->viewStart, kTotal - d);
  SendMessageW(host.window(), WM_CANCELMODE, 0, 0);
  ExpectEnded(kRepeat);
  EXPECT_EQ(view->hScroll.pressed, 0);
  EXPECT_EQ(view->dragMode, 0);
  EXPECT_FALSE(view->flags & (kTvControlHeld | kTvControlComplete));
}

TEST_F(Controls, ZoomButtonsStepUntilTheLimitEndsThePress) {
  const ScrollParts& h = view->hScroll.parts;
  view->cursorPos = 61'440;
  view->SetView(0, int64_t{mw} * 11, 0);
  host.Mouse(WM_LBUTTONDOWN, Mid(h.zoomIn), MK_LBUTTON);  // at step 0: no press at all
  ExpectEnded(kRepeat);
  EXPECT_EQ(view->hScroll.pressed, 0);
  EXPECT_EQ(view->viewSpan, int64_t{mw} * 11);
  host.Mouse(WM_LBUTTONUP, Mid(h.zoomIn));

  view->SetView(61'440 - Ladder(3) / 2, Ladder(3), 0);
  host.Mouse(WM_LBUTTONDOWN, Mid(h.zoomIn), MK_LBUTTON);
  EXPECT_EQ(view->viewSpan, Ladder(2));
  EXPECT_EQ(view->viewStart, 61'440 - Ladder(2) / 2);
  ASSERT_TRUE(Runs(kRepeat));
  Tick(kRepeat);
  Tick(kRepeat);
  EXPECT_EQ(view->viewSpan, Ladder(0));
  EXPECT_EQ(view->viewStart, 61'440 - Ladder(0) / 2);
  EXPECT_EQ(GetCapture(), host.window());
  Tick(kRepeat);  // nothing left to zoom: the press ends by itself
  ExpectEnded(kRepeat);
  EXPECT_EQ(view->hScroll.pressed, 0);

  view->SetView(0, Ladder(view->maxZoomLevel - 1), 0);
  host.Mouse(WM_LBUTTONDOWN, Mid(h.zoomOut), MK_LBUTTON);
  EXPECT_EQ(view->viewStart, 0);
  EXPECT_EQ(view->viewSpan, kTotal);
  host.Mouse(WM_LBUTTONUP, Mid(h.zoomOut));
  ExpectEnded(kRepeat);

  // Taller rows: one index at the press, five at each repeat.
  ASSERT_EQ(view->rowHeightIndex, 1);
  host.Mouse(WM_LBUTTONDOWN, Mid(view->vScroll.parts.zoomIn, false), MK_LBUTTON);
  EXPECT_EQ(view->rowHeightIndex, 2);
  EXPECT_EQ(view->vertSpan, static_cast<int32_t>(view->vertExtentPx / 7.0 * 45));
  Tick(kRepeat);
  EXPECT_EQ(view->rowHeightIndex, 7);
  host.Mouse(WM_LBUTTONUP, Mid(view->vScroll.parts.zoomIn, false));
  ExpectEnded(kRepeat);
}

TEST_F(Controls, SliderThumbAndHandleDrags) {
  POINT p = Mid(view->hScroll.parts.slider);
  view->SetView(0, Ladder(4), 0);  // pressed anywhere on the slider, the step stays until it moves
  host.Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  host.Mouse(WM_MOUSEMOVE, p, MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, p);
  EXPECT_EQ(view->zoomLevel, 4);
  EXPECT_EQ(view->viewSpan, Ladder(4));
  view->SetView(0, int64_t{mw} * 11, 0);
  const int half = (view->maxZoomLevel * 50 + 50) / 100;
  host.Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  host.Mouse(WM_MOUSEMOVE, {p.x + 50, p.y}, MK_LBUTTON);
  EXPECT_EQ(view->zoomLevel, half);
  EXPECT_EQ(view->viewSpan, Ladder(half));
  host.Mouse(WM_MOUSEMOVE, {p.x - 30, p.y}, MK_LBUTTON);
  EXPECT_EQ(view->viewSpan, int64_t{mw} * 11);
  host.Mouse(WM_LBUTTONUP, {p.x + 100, p.y});  // 100 pixels: the whole length
  EXPECT_EQ(view->viewStart, 0);
  EXPECT_EQ(view->viewSpan, kTotal);
  EXPECT_EQ(GetCapture(), nullptr);

  const int64_t s = 24'000, d = int64_t{mw} * 40;
  const int32_t farEnd = ThumbAt(s + d) + 12;
  struct Row { int32_t from; int dx; int64_t start, span; } rows[] = {
      {(ThumbAt(s) + farEnd) / 2, 30, s + ThumbTicks(30), d},       // the middle scrolls
      {ThumbAt(s) + 1, 10, s + ThumbTicks(10), d - ThumbTicks(10)},  // near handle: the end stays
      {farEnd - 2, 25, s, d + ThumbTicks(25)},                       // far handle: the start stays
      {farEnd - 2, -1000, s, int64_t{mw} * 11},                      // never below the deepest zoom
      {farEnd - 2, 5000, 0, kTotal},                                 // nor beyond the whole length
  };
  for (const Row& row : rows) {
    view->SetView(s, d, 0);
    Drag(H(row.from), H(row.from + row.dx));
    EXPECT_EQ(view->viewStart, row.start) << row.from << " " << row.dx;
    EXPECT_EQ(view->viewSpan, row.span) << row.from << " " << row.dx;
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(Controls, CornerBoxAndThumbDoubleClicks) {
  POINT corner = Mid(view->hScroll.parts.corner);
  ASSERT_GT(view->hScroll.parts.corner.Length(), 0);
  view->SetView(24'000, int64_t{mw} * 20, 0);
  SetFocus(host.window());
  UpdateUis();
  host.Mouse(WM_LBUTTONDOWN, corner, MK_LBUTTON);
  EXPECT_EQ(view->activeTool, 0);
  EXPECT_EQ(UpdateUis(), 0);
  host.Mouse(WM_LBUTTONUP, corner);
  EXPECT_EQ(view->activeTool, 2);
  EXPECT_EQ(host.log().Count("switch 0 1 2"), 1);
  EXPECT_EQ(UpdateUis(), 1);
  host.Mouse(WM_LBUTTONDBLCLK, corner, MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, corner);
  EXPECT_EQ(view->activeTool, 0);
  EXPECT_EQ(UpdateUis(), 1);
  EXPECT_EQ(view->viewStart, 0);
  EXPECT_EQ(view->viewSpan, kTotal);
  EXPECT_EQ(view->rowHeightIndex, 0);

  view->SetView(24'000, int64_t{mw} * 20, 0);
  view->cursorPos = 30'000;
  view->cursorExtent = 12'000;
  POINT thumb = H((ThumbAt(24'000) + ThumbAt(24'000 + int64_t{mw} * 20) + 12) / 2);
  host.Mouse(WM_LBUTTONDBLCLK, thumb, MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, thumb);
  EXPECT_EQ(view->viewStart, 0);
  EXPECT_EQ(view->viewSpan, kTotal);
  POINT whole = H((view->hScroll.parts.track.begin + view->hScroll.parts.track.end) / 2);
  host.Mouse(WM_LBUTTONDBLCLK, whole, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), host.window());  // and goes on as a press
  host.Mouse(WM_LBUTTONUP, whole);
  // Half the right margin in the new scale is left before the selection.
  EXPECT_EQ(view->viewStart, 30'000 - static_cast<int64_t>(24.0 * 12'000 / mw * 0.5));
  EXPECT_EQ(view->viewSpan, 12'000);
}

TEST_F(Controls, DragAutoScrollStepsByElapsedTimeSpeedAndDistance) {
  RECT bar = host.PaneRect(kPaneLoopBar), ruler = host.PaneRect(kPaneRuler);
  // 100 ms x speed x 40 pixels / 2000 = 2 pixels per unit of speed, of 20 ticks each.
  struct Row { int pane; int speed; int64_t start; int32_t outside; int64_t after; } rows[] = {
      {kPaneLoopBar, 5, 24'000, bar.right + 40, 24'000 + 10 * 20},
      {kPaneLoopBar, 8, 24'000, bar.right + 40, 24'000 + 16 * 20},
      {kPaneLoopBar, 5, 100, bar.left - 40, 0},                     // stops at tick 0
      {kPaneRuler, 5, 24'000, ruler.right + 40, 24'000 - 10 * 20},  // the ruler scrolls the other way
  };
  for (const Row& row : rows) {
    host.source().autoScrollSpeed = row.speed;
    view->SetView(row.start, int64_t{mw} * 20, 0);
    SetLoopRegion(view, row.start + 4000, 4000);  // the band 200 to 400 pixels in
    POINT press = row.pane == kPaneLoopBar ? POINT{view->dataRect.left + 300, bar.top + 6} : host.Centre(kPaneRuler);
    POINT out{row.outside, press.y};
    host.Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    host.Mouse(WM_MOUSEMOVE, out, MK_LBUTTON);
    ASSERT_TRUE(Runs(kStep)) << row.start << " " << row.outside;
    StepAfter100ms();
    EXPECT_EQ(view->viewStart, row.after) << row.start << " " << row.outside;
    if (row.after == 0) {
      Tick(kStep);
      EXPECT_FALSE(Runs(kStep));
    }
    host.Mouse(WM_LBUTTONUP, out);
    StepAfter100ms();  // the callback is gone: nothing moves and the timer dies
    EXPECT_EQ(view->viewStart, row.after);
    ExpectEnded(kStep);
  }
}

TEST_F(Controls, MiddleButtonAutoScroll) {
  view->SetView(24'000, int64_t{mw} * 20, 0);
  POINT origin = host.Centre(kPaneData);
  SetFocus(host.parent());
  host.Mouse(WM_MBUTTONDOWN, origin, MK_MBUTTON);
  ASSERT_TRUE(view->flags & kTvMiddleScroll);
  EXPECT_EQ(GetFocus(), host.window());
  HWND mark = view->middleScroll.mark;
  ASSERT_TRUE(mark && IsWindowVisible(mark));
  RECT r;
  GetWindowRect(mark, &r);
  MapWindowPoints(nullptr, host.window(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_TRUE(PtInRect(&r, origin));
  host.Mouse(WM_MOUSEMOVE, {origin.x + 2, origin.y}, MK_MBUTTON);  // still on the mark
  EXPECT_FALSE(Runs(kStep));
  POINT away{r.right + 80, origin.y};
  host.Mouse(WM_MOUSEMOVE, away, MK_MBUTTON);
  EXPECT_EQ(view->dragMode, 23);
  EXPECT_EQ(GetCapture(), host.window());
  ASSERT_TRUE(Runs(kStep));
  StepAfter100ms();
  EXPECT_EQ(view->viewStart, 24'000 + 20 * 20);  // 100 x 5 x 80 / 2000 pixels
  host.Mouse(WM_MBUTTONUP, away);
  EXPECT_FALSE(view->flags & kTvMiddleScroll);
  EXPECT_FALSE(IsWindow(mark) && IsWindowVisible(mark));
  StepAfter100ms();
  EXPECT_EQ(view->viewStart, 24'000 + 20 * 20);
  ExpectEnded(kStep);

  // Released on the mark the mode stays; Shift keeps it, another key, the
  // other buttons or the wheel end it.
  view->SetView(0, kTotal, 0);  // the rows can still scroll
  for (int ender : {0, 1, 2}) {
    host.Mouse(WM_MBUTTONDOWN, origin, MK_MBUTTON);
    host.Mouse(WM_MBUTTONUP, origin);
    ASSERT_TRUE(view->flags & kTvMiddleScroll) << ender;
    SendMessageW(host.window(), WM_KEYDOWN, VK_SHIFT, 1);
    EXPECT_TRUE(view->flags & kTvMiddleScroll) << ender;
    if (ender == 0) SendMessageW(host.window(), WM_KEYDOWN, 'J', 1);
    if (ender == 1) host.Mouse(WM_RBUTTONDOWN, origin, MK_RBUTTON);
    if (ender == 2) host.Wheel(origin, 0);
    EXPECT_FALSE(view->flags & kTvMiddleScroll) << ender;
    EXPECT_EQ(view->middleScroll.mark, nullptr) << ender;
  }
  host.Mouse(WM_RBUTTONUP, origin);
  host.Mouse(WM_MBUTTONDOWN, origin, MK_MBUTTON | MK_SHIFT);  // Shift rules out the rows: nothing to scroll
  EXPECT_FALSE(view->flags & kTvMiddleScroll);
  EXPECT_EQ(view->middleScroll.mark, nullptr);
  host.Mouse(WM_MBUTTONUP, origin, MK_SHIFT);
}

TEST_F(Controls, LoopBarDragsSnapSwapEndsAndCancel) {
  AtTwentyTicksAPixel();
  // The band (from 4800) pressed at tick 6000 and dragged 30 pixels (600 ticks) right.
  struct Row { bool shift, cancel; int64_t start; const char* what; } rows[] = {
      {false, false, 5'280, "5400 snapped to the nearest 480"},
      {true, false, 5'400, "Shift: no snapping"},
      {false, true, 4'800, "cancelled: the region and the selection as they were"},
  };
  for (const Row& row : rows) {
    SetCursorRange(view, 4'800, 2'400, false);
    tvtest::SetModifiers(row.shift, false);
    if (row.cancel) {
      host.Mouse(WM_LBUTTONDOWN, Bar(6'000), MK_LBUTTON);
      host.Mouse(WM_MOUSEMOVE, Bar(6'600), MK_LBUTTON);
      SendMessageW(host.window(), WM_CANCELMODE, 0, 0);
    } else {
      Drag(Bar(6'000), Bar(6'600), row.shift ? MK_SHIFT : 0);
    }
    Expect(row.start, 2'400, row.start, 2'400, row.what);
    EXPECT_EQ(GetCapture(), nullptr);
  }
  // The end marker dragged left past the start becomes the start marker.
  SetCursorRange(view, 4'800, 2'400, false);
  host.Mouse(WM_LBUTTONDOWN, Bar(7'200), MK_LBUTTON);
  host.Mouse(WM_MOUSEMOVE, Bar(4'200), MK_LBUTTON);
  EXPECT_EQ(view->loopStart, 4'320);
  EXPECT_EQ(view->loopLength, 480);
  POINT left{host.PaneRect(kPaneLoopBar).left - 100, Bar(0).y};
  host.Mouse(WM_MOUSEMOVE, left, MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, left);
  Expect(0, 4'800, 0, 4'800, "swapped");
}

TEST_F(Controls, LoopBarClicksSweepsAndTripleClicks) {
  AtTwentyTicksAPixel();
  SetCursorRange(view, 4'800, 2'400, false);
  struct Row { int64_t tick; bool shift, ctrl; int64_t cursor, extent, loopStart, loopLength; } rows[] = {
      {2'000, false, false, 1'920, 0, 4'800, 2'400},     // the snapped tick
      {2'000, false, true, 1'920, 0, 1'920, 0},          // Ctrl: the loop region follows
      {6'000, true, true, 6'240, -4'320, 1'920, 4'320},  // Shift extends
  };
  for (const Row& row : rows) {
    tvtest::SetModifiers(row.shift, row.ctrl);
    WPARAM keys = (row.shift ? MK_SHIFT : 0) | (row.ctrl ? MK_CONTROL : 0);
    host.Mouse(WM_LBUTTONDOWN, Bar(row.tick), MK_LBUTTON | keys);
    host.Mouse(WM_LBUTTONUP, Bar(row.tick), keys);
    Expect(row.loopStart, row.loopLength, row.cursor, row.extent, "click");
  }
  tvtest::SetModifiers(false, false);

  view->cursorPos = 960;
  view->cursorExtent = 0;
  SetLoopRegion(view, 4'800, 2'400);
  host.Mouse(WM_LBUTTONDOWN, Bar(5'000, 1), MK_LBUTTON);
  host.Mouse(WM_MOUSEMOVE, Bar(6'000, 1), MK_LBUTTON);
  Expect(4'800, 1'440, 4'800, 1'440, "sweeping");
  SendMessageW(host.window(), WM_CANCELMODE, 0, 0);
  Expect(4'800, 2'400, 960, 0, "sweep cancelled");
  EXPECT_EQ(GetCapture(), nullptr);

  Drag(Bar(2'000, 1), Bar(8'000, 1));
  Expect(1'920, 6'240, 1'920, 6'240, "swept");

  POINT p = Bar(10'000, 1);
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}) {
    host.Mouse(msg, p, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON);
  }
  Expect(0, kTotal, 0, kTotal, "triple click");
}

TEST_F(Controls, LoopBarCommandsTooltipAndMenu) {
  AtTwentyTicksAPixel();
  SetCursorRange(view, 4'800, 2'400, false);
  host.HitAt(Bar(6'000));
  EXPECT_STREQ(view->tipText, L"Loop Region: 2.2.000 to 3.3.000");
  RunLoopBarCommand(view, kCmdSelectionToProject, false);
  Expect(0, kTotal, 0, kTotal, "project");
  RunLoopBarCommand(view, kCmdSelectionToProject, false);  // again: one step back
  Expect(4'800, 2'400, 4'800, 2'400, "project twice");
  // The view less half the right margin (12 pixels, 240 ticks) on its left.
  view->SetView(4'800, int64_t{mw} * 20, 0);
  RunLoopBarCommand(view, kCmdSelectionToView, false);
  Expect(5'040, int64_t{mw} * 20, 5'040, int64_t{mw} * 20, "view");
  view->SetView(0, int64_t{mw} * 20, 0);
  RunLoopBarCommand(view, kCmdSelectionToView, false);
  Expect(0, int64_t{mw} * 20 + 240, 0, int64_t{mw} * 20 + 240, "view from 0");
  RunLoopBarCommand(view, kCmdLoopPlayback, false);
  EXPECT_EQ(host.log().parentMessages, std::vector<UINT>{WM_COMMAND});
  EXPECT_EQ(host.log().parentWParams, std::vector<WPARAM>{kCmdLoopPlayback});

  SetLoopRegion(view, 4'800, 2'400);
  struct Row { POINT at; UINT only; } rows[] = {{Bar(6'000), kCmdZoomLoop}, {Bar(2'000, 1), kCmdSnapping}};
  for (const Row& row : rows) {
    menuItems.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
    host.Mouse(WM_RBUTTONDOWN, row.at, MK_RBUTTON);
    host.Mouse(WM_RBUTTONUP, row.at);
    KillTimer(nullptr, timer);
    ASSERT_FALSE(menuItems.empty()) << row.only;
    EXPECT_EQ(menuItems[0], kCmdLoopPlayback);
    EXPECT_NE(std::find(menuItems.begin(), menuItems.end(), row.only), menuItems.end()) << row.only;
    EXPECT_NE(std::find(menuItems.begin(), menuItems.end(), kCmdSelectionToProject), menuItems.end());
  }
}

TEST_F(Controls, TheRulerDragsTheTimeLineAndLeavesItsMenuToTheClient) {
  struct Row { int64_t start, after; } rows[] = {{4'800, 3'800}, {500, 0}};  // 50 pixels of 20 ticks
  POINT p = host.Centre(kPaneRuler);
  for (const Row& row : rows) {
    view->SetView(row.start, int64_t{mw} * 20, 0);
    host.Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
    host.Mouse(WM_MOUSEMOVE, {p.x + 50, p.y}, MK_LBUTTON);
    EXPECT_EQ(view->viewStart, row.after);
    EXPECT_TRUE(view->flags & kTvRulerDrag);
    host.Mouse(WM_LBUTTONUP, {p.x + 50, p.y});
    EXPECT_FALSE(view->flags & kTvRulerDrag);
    EXPECT_EQ(GetCapture(), nullptr);
  }
  watched = host.window();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountContextMenus, nullptr, GetCurrentThreadId());
  for (bool ownMenu : {true, false}) {
    TrackviewPane* ruler = host.pane(kPaneRuler);
    ruler->flags = ownMenu ? ruler->flags | 0x8u : ruler->flags & ~0x8u;
    contextMenus = 0;
    view->flags &= ~kTvDetached;
    host.Mouse(WM_RBUTTONDOWN, p, MK_RBUTTON);
    EXPECT_EQ(GetCapture(), host.window());
    EXPECT_TRUE(view->flags & kTvDetached);
    host.Mouse(WM_RBUTTONUP, p);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(contextMenus, ownMenu ? 0 : 1);
  }
  UnhookWindowsHookEx(hook);
}

}  // namespace
