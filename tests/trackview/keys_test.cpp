// The time line's key map, the cursor setter with its flags and the selection
// history, and the wheel's modifier combinations, driven through the window
// with the messages a real keyboard and mouse send. Most views show 40 ticks
// per pixel, so every expected value follows from mapWidth (W) by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/trackview/support/test_client.h"

namespace {

using tvtest::Host;
using Pair = std::pair<int64_t, int64_t>;

enum : int { kShift = 1, kCtrl = 2, kAlt = 4 };

// Shift and Ctrl as the test client sets them; Alt (VK_MENU) the same way.
void Hold(int mods) {
  tvtest::SetModifiers(mods & kShift, mods & kCtrl);
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_MENU] = state[VK_LMENU] = (mods & kAlt) ? 0x80 : 0;
  SetKeyboardState(state);
}

// Key data as the keyboard driver fills it: repeat count, scan code, extended key, Alt.
LPARAM KeyData(WPARAM key, int repeat, bool alt) {
  static const WPARAM kExtended[] = {VK_LEFT, VK_RIGHT, VK_UP,   VK_DOWN,   VK_PRIOR,  VK_NEXT,
                                     VK_HOME, VK_END,   VK_INSERT, VK_DELETE, VK_APPS};
  bool extended = std::find(std::begin(kExtended), std::end(kExtended), key) != std::end(kExtended);
  return repeat | LPARAM(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16 | LPARAM(extended) << 24 |
         LPARAM(alt) << 29;
}

class Keys : public testing::Test {
 protected:
  void SetUp() override {
    Hold(0);
    ASSERT_NE(host.window(), nullptr);
    v = host.view();
    W = v->mapWidth;
    sp = 40 * W;
    T = v->totalLength;
    ASSERT_EQ(T, 64 * 1920);
    ASSERT_TRUE(W > 150 && W < 1000);  // the fixed positions below lie inside a 40-ticks-per-pixel view
    // The track sets its own grid, so painting leaves the snap grid alone: no snapping.
    host.source().grid.gridTicks = 480;
    v->snapGrid = 0;
    host.HitAt(host.Centre(kPaneHeader));  // the mouse rests on the header
  }
  void TearDown() override { Hold(0); }

  // A key as a keyboard sends it: a system key with Alt (without Ctrl) and for F10.
  LRESULT Press(WPARAM key, int mods = 0, int repeat = 1) {
    Hold(mods);
    bool sys = ((mods & kAlt) && !(mods & kCtrl)) || key == VK_F10;
    LRESULT result =
        SendMessageW(host.window(), sys ? WM_SYSKEYDOWN : WM_KEYDOWN, key, KeyData(key, repeat, mods & kAlt));
    Hold(0);
    return result;
  }
  void Wheel(int notches, WPARAM mk, bool alt = false) {
    Hold((mk & MK_SHIFT ? kShift : 0) | (mk & MK_CONTROL ? kCtrl : 0) | (alt ? kAlt : 0));
    host.Wheel(host.Centre(kPaneData), notches * WHEEL_DELTA, mk);
    Hold(0);
  }
  // No loop region, the view at (start, 40 ticks per pixel), the cursor with its extent, nothing recorded.
  void Reset(int64_t start, int64_t pos, int64_t ext) {
    SetLoopRegion(v, 0, 0);
    v->SetView(start, sp, 0);
    SetCursorPos(v, pos, ext, kCursorNoHistory);
    host.Pump();
    host.log().Clear();
    host.log().parentMessages.clear();
    host.log().parentWParams.clear();
  }
  int PostedUpdates() {
    host.Pump();
    const auto& sent = host.log().parentMessages;
    return static_cast<int>(std::count(sent.begin(), sent.end(), WM_EDITOR_UPDATEUI));
  }
  // The log lines of the given kinds (by default transport, edit, command, key and pane lines), joined by '|'.
  std::string Lines(std::vector<std::string> kinds = {"play ", "stop ", "setpos", "edit", "command", "key ",
                                                      "message"}) {
    std::string out;
    for (const std::string& call : host.log().calls) {
      for (const std::string& kind : kinds) {
        if (call.rfind(kind, 0) == 0) out += (out.empty() ? "" : "|") + call;
      }
    }
    return out;
  }
  Pair View() const { return {v->viewStart, v->viewSpan}; }
  Pair Cursor() const { return {v->cursorPos, v->cursorExtent}; }
  Pair Loop() const { return {v->loopStart, v->loopLength}; }

  Host host{640, 480};
  Trackview* v = nullptr;
  int64_t W = 0, sp = 0, T = 0;
  const int64_t S = 19200, P = 24000;  // view start and cursor of most rows
};

TEST_F(Keys, TheKeyMapMovesTheCursorSelectionAndView) {
  const int64_t E = S + sp - 1, kEnd = T - sp;  // the view's last tick; a view ending with the time line
  struct Row { WPARAM key; int mods, repeat; int64_t start, pos, ext, wantStart, wantSpan, wantPos, wantExt; };
  const Row rows[] = {
      // One pixel's worth per repeat, extending with Shift, within the time line.
      {VK_RIGHT, 0, 1, S, P, 0, S, sp, P + 40, 0},          {VK_LEFT, 0, 3, S, P, 0, S, sp, P - 120, 0},
      {VK_RIGHT, kAlt, 1, S, P, 0, S, sp, P + 40, 0},       {VK_RIGHT, kShift, 1, S, P, 0, S, sp, P + 40, -40},
      {VK_LEFT, kShift, 1, S, P, 960, S, sp, P - 40, 1000}, {VK_LEFT, 0, 1, 0, 0, 0, 0, sp, 0, 0},
      {VK_RIGHT, 0, 1, kEnd, T, 0, kEnd, sp, T, 0},
      // A tenth of the span without a grid.
      {VK_NEXT, 0, 1, S, P, 0, S, sp, P + 4 * W, 0},        {VK_PRIOR, 0, 1, S, P, 0, S, sp, P - 4 * W, 0},
      {VK_NEXT, kShift, 1, S, P, 0, S, sp, P + 4 * W, -4 * W}, {VK_PRIOR, 0, 1, 0, 100, 0, 0, sp, 0, 0},
      // The view's ends, or the selection's ends keeping the same range; with Ctrl the time line's.
      {VK_HOME, 0, 1, S, P, 0, S, sp, S, 0},                {VK_END, 0, 1, S, P, 0, S, sp, E, 0},
      {'W', 0, 1, S, P, 0, S, sp, S, 0},                    {'E', 0, 1, S, P, 0, S, sp, E, 0},
      {VK_HOME, 0, 1, S, P, -960, S, sp, P - 960, 960},     {VK_END, 0, 1, S, P - 960, 960, S, sp, P, -960},
      {'W', 0, 1, S, P, -960, S, sp, P - 960, 960},         {VK_HOME, kCtrl, 1, S, P, 0, 0, sp, 0, 0},
      {VK_END, kCtrl, 1, S, P, 0, kEnd, sp, T, 0},          {VK_HOME, kCtrl | kShift, 1, S, P, 0, 0, sp, 0, P},
      {VK_END, kCtrl | kShift, 1, S, P, 0, kEnd, sp, T, P - T},
      // Numpad 5 (VK_CLEAR without NumLock) swaps the ends.
      {VK_NUMPAD5, 0, 1, S, P, -960, S, sp, P - 960, 960},  {VK_CLEAR, 0, 1, S, P - 960, 960, S, sp, P, -960},
      // Zoom steps 3 (40 ticks per pixel) to 2 and 4, everything, the deepest; centred on the cursor.
      {VK_UP, 0, 1, S, P, 0, P - 11 * W, 22 * W, P, 0},     {VK_UP, kAlt, 1, S, P, 0, P - 11 * W, 22 * W, P, 0},
      {VK_DOWN, 0, 1, S, P, 0, P - 22 * W, 44 * W, P, 0},   {VK_DOWN, kCtrl, 1, S, P, 0, 0, T, P, 0},
      {VK_UP, kCtrl, 1, S, P, 0, P - 11 * W / 2, 11 * W, P, 0},
      // C, Numpad * and Numpad . centre the view on the cursor.
      {'C', 0, 1, S, P, 0, P - 20 * W, sp, P, 0},           {VK_MULTIPLY, 0, 1, S, P, 0, P - 20 * W, sp, P, 0},
      {VK_DECIMAL, 0, 1, S, P, 0, P - 20 * W, sp, P, 0},
      // Halve, double, shift left and right, saturating at the ends of the time line.
      {VK_OEM_1, 0, 1, S, P, 960, S, sp, P, 480},           {VK_OEM_7, 0, 1, S, P, 960, S, sp, P, 1920},
      {VK_OEM_7, 0, 1, kEnd, T - 1000, 960, kEnd, sp, T - 1000, 1000}, {VK_OEM_7, 0, 1, 0, 500, -400, 0, sp, 500, -500},
      {VK_OEM_COMMA, 0, 1, S, P, 960, S, sp, P - 960, 960}, {VK_OEM_COMMA, 0, 1, S, P, -960, S, sp, P - 960, -960},
      {VK_OEM_COMMA, 0, 1, 0, 500, 960, 0, sp, 0, 960},     {VK_OEM_PERIOD, 0, 1, S, P, 960, S, sp, P + 960, 960},
      {VK_OEM_PERIOD, 0, 1, kEnd, T - 1000, 960, kEnd, sp, T - 960, 960},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << r.key << " modifiers " << r.mods << " row "
                                    << std::dec << (&r - rows));
    Reset(r.start, r.pos, r.ext);
    ASSERT_EQ(View(), Pair(r.start, sp));
    Press(r.key, r.mods, r.repeat);
    EXPECT_EQ(View(), Pair(r.wantStart, r.wantSpan));
    EXPECT_EQ(Cursor(), Pair(r.wantPos, r.wantExt));
    EXPECT_EQ(Lines(), "");
    if (r.ext != 0 && r.wantExt != 0) {  // the loop follows the selection
      EXPECT_EQ(Loop(), Pair(std::min(r.wantPos, r.wantPos + r.wantExt), std::abs(r.wantExt)));
    }
    // The frame refreshes its toolbar after each change of cursor or selection, and only then.
    EXPECT_EQ(PostedUpdates(), r.wantPos != r.pos || r.wantExt != r.ext ? 1 : 0);
  }
}

TEST_F(Keys, KeysForTheTransportTheClientAndTheTool) {
  struct Row { WPARAM key; int mods; const char* lines; };
  const Row rows[] = {
      {VK_RETURN, 0, "stop 1|play 0"},   {VK_SPACE, 0, "stop 0|play 0"},      {VK_SPACE, kShift, "stop 0|play 1"},
      {VK_ESCAPE, 0, "message 1 0x1f"},  {'A', kCtrl, "edit 0x7f09 0"},       {'A', kCtrl | kShift, "edit 0x7f09 1"},
      {'C', kCtrl, "edit 0x301 0"},      {'V', kCtrl, "edit 0x302 0"},        {'V', kCtrl | kShift, "edit 0x7f07 0"},
      {'X', kCtrl, "edit 0x300 0"},      {VK_INSERT, kShift, "edit 0x302 0"}, {VK_INSERT, kCtrl, "edit 0x301 0"},
      {VK_DELETE, 0, "edit 0x303 0"},    {VK_DELETE, kShift, "edit 0x300 0"}, {VK_F8, 0, "command 4041"},
      {VK_F8, kCtrl, "command 4043"},
      // The menu at the data area's keyboard anchor, whatever the mouse is over.
      {VK_APPS, 0, "message 0 0x7b tool 0"}, {VK_F10, kShift, "message 0 0x7b tool 0"},
      // The tool's keys, and keys of the map whose condition fails (a selection under 4 ticks is not halved).
      {VK_RIGHT, kCtrl, "key 0 0x100 0x27"}, {VK_UP, kCtrl | kShift, "key 0 0x100 0x26"},
      {VK_DOWN, kCtrl | kShift, "key 0 0x100 0x28"}, {'C', kCtrl | kShift, "key 0 0x100 0x43"},
      {VK_DELETE, kCtrl, "key 0 0x100 0x2e"}, {'G', 0, "key 0 0x100 0x47"}, {'R', 0, "key 0 0x100 0x52"},
      {VK_UP, kShift, "key 0 0x100 0x26"}, {VK_OEM_1, 0, "key 0 0x100 0xba"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << r.key << " modifiers " << r.mods);
    Reset(S, P, r.key == VK_OEM_1 ? 3 : 0);
    LRESULT handled = Press(r.key, r.mods);
    if (r.key != VK_F10) {
      EXPECT_EQ(handled, 1);
    }
    EXPECT_EQ(Lines(), r.lines);
    EXPECT_EQ(View(), Pair(S, sp));
    EXPECT_EQ(v->cursorPos, P);
    EXPECT_EQ(PostedUpdates(), 0);
    if (r.key == VK_APPS || r.key == VK_F10) {
      EXPECT_FALSE(host.log().menuFromMouse);
    }
  }
  Reset(S, P, 0);
  host.log().stopAnswer = TRUE;  // playback was running: nothing starts
  Press(VK_RETURN);
  Press(VK_SPACE, kShift);
  SetCapture(host.parent());  // another window's drag: Esc stops playback too
  Press(VK_ESCAPE);
  ReleaseCapture();
  EXPECT_EQ(Lines(), "stop 1|stop 0|stop 0|message 1 0x1f");
  Press(VK_TAB);
  Press(VK_TAB, kShift);
  EXPECT_EQ(host.log().parentMessages, (std::vector<UINT>{WM_NEXTDLGCTL, WM_NEXTDLGCTL}));
  EXPECT_EQ(host.log().parentWParams, (std::vector<WPARAM>{0, 1}));
}

TEST_F(Keys, PagingOnAGridAndCtrlEndAtTheDataLength) {
  v->snapGrid = 480;  // ten pixels' worth (400 ticks), then onto the grid in the direction of travel
  for (int mods : {0, int{kShift}}) {
    Reset(S, P, 0);
    Press(VK_NEXT, mods);
    EXPECT_EQ(Cursor(), Pair(24480, mods ? -480 : 0));
  }
  Reset(S, P, 0);
  Press(VK_PRIOR);
  EXPECT_EQ(Cursor(), Pair(23520, 0));

  for (Pair c : {Pair(-1, T), Pair(50000, 50000), Pair(T + 5000, T), Pair(0, 0)}) {
    SCOPED_TRACE(c.first);
    host.source().length = c.first;
    Reset(0, P, 0);
    Press(VK_END, kCtrl);
    EXPECT_EQ(Cursor(), Pair(c.second, 0));
    // Kept in view: past the view's end, the view ends a tenth of the span after it.
    EXPECT_EQ(v->viewStart, c.second >= sp ? std::min(c.second + sp / 10 - sp, T - sp) : 0);
  }
  Reset(S, P, 0);
  Press(VK_END, kCtrl | kShift);  // the empty track: extending back to its start
  EXPECT_EQ(Cursor(), Pair(0, P));
}

TEST_F(Keys, LoopKeysMoveOneEndToTheCursor) {
  // Loop region (28800, 1920); the key, the cursor and the region after.
  struct Row { WPARAM key; int64_t cursor, wantStart, wantLength; };
  const Row rows[] = {
      {'I', 24000, 24000, 6720},    {VK_OEM_4, 24000, 24000, 6720}, {'I', 32000, 32000, 1920},  // past: length kept
      {'I', T - 100, T - 100, 100}, {'O', 32000, 28800, 3200},      {VK_OEM_6, 32000, 28800, 3200},
      {'O', 24000, 22080, 1920},    {'O', 1000, 0, 1000},  // before: length kept, not before tick 0
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "key " << char(r.key) << " at " << r.cursor);
    Reset(S, r.cursor, 0);
    SetLoopRegion(v, 28800, 1920);
    host.log().Clear();
    EXPECT_EQ(Press(r.key), 1);
    EXPECT_EQ(Loop(), Pair(r.wantStart, r.wantLength));
    EXPECT_EQ(v->cursorPos, r.cursor);
    EXPECT_EQ(Lines({"loop"}), "loop 0");
  }
  Reset(S, P, 0);
  SetLoopRegion(v, 28800, 1920);
  StartPlayback(v, 26000);  // while playing and attached the play position counts
  Press('I');
  EXPECT_EQ(Loop(), Pair(26000, 4720));
}

TEST_F(Keys, CtrlUpDownZoomToTheLoopWhenTheCursorBelongsToIt) {
  const int64_t L = 28800, length = 20 * W;
  const Pair loopView(L - 240, length);  // half the 24-pixel right margin at the loop's scale comes first
  Reset(S, P, 0);
  SetLoopRegion(v, L, length);
  SetCursorPos(v, L + length, 0, kCursorNoHistory);  // at the loop's end
  Press(VK_UP, kCtrl);
  EXPECT_EQ(View(), loopView);
  Press(VK_DOWN, kCtrl);  // the loop is shown already: everything
  EXPECT_EQ(View(), Pair(0, T));
  SetCursorPos(v, L + 100, 0, kCursorNoHistory);  // inside while not looping: the deepest zoom
  Press(VK_UP, kCtrl);
  EXPECT_EQ(View(), Pair(L + 100 - 11 * W / 2, 11 * W));
  ToggleLoopPlayback(v);  // inside while looping: the loop
  Press(VK_UP, kCtrl);
  EXPECT_EQ(View(), loopView);
  ToggleLoopPlayback(v);
  // From 58049 x 1.1 ticks per pixel on, Ctrl+Up shows the whole length too.
  v->SetTotalLength(int64_t{1} << 40);
  SetLoopRegion(v, 0, 0);
  v->SetView(0, W * 58049 * 11 / 10 - 1, 0);
  Press(VK_UP, kCtrl);
  EXPECT_EQ(v->viewSpan, 11 * W);
  v->SetView(0, W * 58049 * 11 / 10, 0);
  Press(VK_UP, kCtrl);
  EXPECT_EQ(View(), Pair(0, int64_t{1} << 40));
}

TEST_F(Keys, CursorMovesWhilePlayingDetachAndReattach) {
  Reset(S, P, 0);
  StartPlayback(v, 30000);  // inside the view: it stays
  host.log().Clear();
  Press(VK_RIGHT);  // attached: consumed
  EXPECT_EQ(v->cursorPos, P);
  Press(VK_NEXT);  // pages from the play position and follows it
  EXPECT_EQ(v->cursorPos, 30000 + 4 * W);
  EXPECT_FALSE(v->flags & kTvDetached);
  SetCursorPos(v, 25000, 0, 0);  // without follow-playback: detached
  EXPECT_TRUE(v->flags & kTvDetached);
  Press(VK_RIGHT);
  EXPECT_EQ(v->cursorPos, 25040);
  SetCursorPos(v, 26000, 0, kCursorFollow | kCursorKeepDetached);  // stays detached, the host is not moved
  EXPECT_TRUE(v->flags & kTvDetached);
  EXPECT_EQ(Lines(), "setpos " + std::to_string(30000 + 4 * W) + "|setpos 25000|setpos 25040");
  Press(VK_HOME);  // follow-playback re-attaches
  EXPECT_FALSE(v->flags & kTvDetached);
  EXPECT_EQ(v->cursorPos, S);
  SetCursorPos(v, 27000, 0, 0);
  Press('C');  // re-attached, centred on the play position
  EXPECT_FALSE(v->flags & kTvDetached);
  EXPECT_EQ(v->viewStart, 30000 - 20 * W);
}

WNDPROC rootProc;
int keyMenus;
LRESULT CALLBACK CountKeyMenus(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) return ++keyMenus, 0;
  return CallWindowProcW(rootProc, window, msg, wParam, lParam);
}

TEST_F(Keys, SystemKeysReachTheSystemAsAKeyboardSendsThem) {
  HWND root = GetAncestor(host.window(), GA_ROOT);
  keyMenus = 0;
  LONG_PTR counting = reinterpret_cast<LONG_PTR>(&CountKeyMenus);
  rootProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(root, GWLP_WNDPROC, counting));
  // F10 alone, pressed and released: the frame's menu bar takes it; no key for the tool.
  SendMessageW(host.window(), WM_SYSKEYDOWN, VK_F10, KeyData(VK_F10, 1, false));
  SendMessageW(host.window(), WM_SYSKEYUP, VK_F10, KeyData(VK_F10, 1, false) | 0xC0000000);
  EXPECT_EQ(keyMenus, 1);
  EXPECT_EQ(Lines(), "");
  host.log().Clear();
  // Alt+Backspace: the system key, then its character; one undo.
  Hold(kAlt);
  SendMessageW(host.window(), WM_SYSKEYDOWN, VK_BACK, KeyData(VK_BACK, 1, true));
  SendMessageW(host.window(), WM_SYSCHAR, VK_BACK, KeyData(VK_BACK, 1, true));
  Hold(0);
  EXPECT_EQ(Lines(), "edit 0x304 0");
  SetWindowLongPtrW(root, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rootProc));
}

TEST_F(Keys, TheCursorSetterKeepsToTheTimeLineAndRepaintsWhatMoved) {
  const std::pair<Pair, Pair> cases[] = {
      {{-500, 0}, {0, 0}}, {{T + 500, 0}, {T, 0}}, {{T - 100, 500}, {T - 100, 100}}, {{100, -500}, {100, -100}}};
  for (const auto& [given, want] : cases) {
    SetCursorPos(v, given.first, given.second, 0);
    EXPECT_EQ(Cursor(), want);
  }
  Reset(S, P, 0);
  ValidateRect(host.window(), nullptr);
  SetCursorPos(v, P, 0, 0);  // unchanged: only the data area and the lane
  RECT data = host.PaneRect(kPaneData), lane = host.PaneRect(kPaneLane), want, dirty;
  UnionRect(&want, &data, &lane);
  GetUpdateRect(host.window(), &dirty, FALSE);
  EXPECT_TRUE(EqualRect(&dirty, &want));
  EXPECT_EQ(PostedUpdates(), 0);
  EXPECT_EQ(Lines({"selection"}), "");
}

TEST_F(Keys, TheLoopFollowsTheSelectionOnlyWhenLinked) {
  // From the loop region (28800, 1920): the link setting, the setter's arguments,
  // the region after and what the hook is told (0x20 forced by the setting).
  struct Row { int link; int64_t pos, ext; uint32_t flags; Pair loop; const char* hook; };
  const Row rows[] = {
      {0, 5000, 1000, kCursorLoopLinked, {28800, 1920}, "selection 0x0"},
      {1, 5000, 1000, 0, {5000, 1000}, "selection 0x20"},
      {1, 6000, -1000, 0, {5000, 1000}, "selection 0x20"},
      {1, 5000, 0, kCursorLoopLinked, {28800, 1920}, "selection 0x0"},
      {2, 5000, 0, 0, {28800, 1920}, "selection 0x20"},
      {2, 6000, -1000, 0, {5000, 1000}, "selection 0x20"},
      {0, 5000, 1000, kCursorSetsLoop, {5000, 1000}, "selection 0x100"},
      {0, T - 100, 500, kCursorSetsLoop, {T - 100, 100}, "selection 0x100"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "link " << r.link << " at " << r.pos << " extent " << r.ext);
    host.source().loopLink = 1;
    Reset(S, P, 0);
    SetLoopRegion(v, 28800, 1920);
    host.source().loopLink = r.link;
    host.log().Clear();
    SetCursorPos(v, r.pos, r.ext, r.flags);
    EXPECT_EQ(Loop(), r.loop);
    EXPECT_EQ(Lines({"selection"}), r.hook);
  }
}

TEST_F(Keys, BackspaceWalksBackThroughTheSelections) {
  const Pair a(1000, 100), b(2000, 200), c(3000, 300), d(4000, 400);
  SetCursorPos(v, a.first, a.second, kCursorFollow);  // the empty loop before it is not recorded
  SetCursorPos(v, b.first, b.second, kCursorFollow | kCursorNoHistory);  // nor is a, here
  SetCursorPos(v, c.first, c.second, kCursorFollow);
  SetCursorPos(v, d.first, d.second, kCursorFollow);
  host.log().Clear();
  for (Pair want : {c, b, d, c, b}) {  // newest first, then the one active before the walk, cycling
    EXPECT_EQ(Press(VK_BACK), 1);
    EXPECT_EQ(Cursor(), want);
    EXPECT_EQ(Loop(), want);
  }
  EXPECT_EQ(host.log().Count("selection 0xa1"), 5);

  Host fresh(640, 480);  // five entries: of seven selections, 1 falls out and the walk adds 7
  for (int i = 1; i <= 7; ++i) SetCursorPos(fresh.view(), i * 1000, i * 100, kCursorFollow);
  for (int want : {6, 5, 4, 3, 7, 6}) {
    SendMessageW(fresh.window(), WM_KEYDOWN, VK_BACK, KeyData(VK_BACK, 1, false));
    EXPECT_EQ(Pair(fresh.view()->cursorPos, fresh.view()->cursorExtent), Pair(want * 1000, want * 100));
  }
}

TEST_F(Keys, TheWheelWithEachModifierCombination) {
  struct Row { int notches; WPARAM mk; bool alt; Pair view, cursor; int row; };
  const int64_t step1 = W * 3 * 11 / 2;  // the span of zoom step 1
  const Row rows[] = {
      // Zoom out one step, in two; with Alt only out.
      {-1, 0, false, {P - 22 * W, 44 * W}, {P, 960}, 10}, {2, 0, false, {P - step1 / 2, step1}, {P, 960}, 10},
      {1, 0, true, {S, sp}, {P, 960}, 10},                 {-1, 0, true, {P - 22 * W, 44 * W}, {P, 960}, 10},
      // Shift: a tenth of the span per notch; Ctrl: rows; both: paging the cursor, not extending.
      {-1, MK_SHIFT, false, {S + 4 * W, sp}, {P, 960}, 10}, {2, MK_SHIFT, false, {S - 8 * W, sp}, {P, 960}, 10},
      {-1, MK_CONTROL, false, {S, sp}, {P, 960}, 11},       {3, MK_CONTROL, false, {S, sp}, {P, 960}, 7},
      {-1, MK_SHIFT | MK_CONTROL, false, {S, sp}, {P + 4 * W, 0}, 10},
      {1, MK_SHIFT | MK_CONTROL, false, {S, sp}, {P - 4 * W, 0}, 10},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.notches << " notches, keys " << r.mk << (r.alt ? " with Alt" : ""));
    Reset(S, P, 960);
    v->SetVertView(10 * kRowUnits, v->vertSpan, 0);
    ASSERT_EQ(v->firstRow, 10);
    Wheel(r.notches, r.mk, r.alt);
    EXPECT_EQ(View(), r.view);
    EXPECT_EQ(Cursor(), r.cursor);
    EXPECT_EQ(v->firstRow, r.row);
  }
}

TEST_F(Keys, LongTimeLinesDoNotOverflow) {
  const int64_t end = int64_t{1} << 62;
  v->SetTotalLength(end);
  v->SetView(0, end / 2, 0);
  Wheel(-3, MK_SHIFT);
  EXPECT_EQ(v->viewStart, 691752902764108188);  // 3 x (2^61 - trunc(2^61 x 9 / 10))
  SetCursorPos(v, end - 1000, 960, 0);
  Press(VK_OEM_7);  // doubled up to the end of the time line
  EXPECT_EQ(Cursor(), Pair(end - 1000, 1000));
  Press(VK_OEM_PERIOD);  // nothing left to move into
  EXPECT_EQ(Cursor(), Pair(end - 1000, 1000));
  Press(VK_END, kCtrl);
  EXPECT_EQ(Cursor(), Pair(end, 0));
  EXPECT_EQ(View(), Pair(end / 2, end / 2));
}

}  // namespace
