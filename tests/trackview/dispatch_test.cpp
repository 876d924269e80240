// Input dispatch of the track view window: hit codes, routing of real mouse
// messages to panes and tools, capture, tools, focus and caret, keys,
// context menus, tooltips, hover, timers, invalidation and the parent.
#include <gtest/gtest.h>

#include <string>

#include "kvlib/ui_resources.h"
#include "tests/trackview/support/test_client.h"

namespace {

using tvtest::Host;

class Dispatch : public testing::Test {
 protected:
  void SetUp() override {
    tvtest::SetModifiers(false, false);
    ASSERT_NE(host.window(), nullptr);
    host.log().Clear();
  }
  void TearDown() override {
    tvtest::SetModifiers(false, false);
    ReleaseCapture();
  }
  uint32_t HitCodeAt(POINT p) {
    host.HitAt(p);
    return host.view()->hitCode;
  }
  Host host{640, 480};
};

TEST_F(Dispatch, HitCodesNameThePaneAndItsOwnCode) {
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneHeader)), 0x10000u | tvtest::kHeaderHit);
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneLane)), 0x80000u | tvtest::kLaneHit);
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneTransport)), 0xA0000u | tvtest::kTransportHit);
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneData)), tvtest::kToolHit);
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneLoopBar)), 0x40000u);
  EXPECT_EQ(HitCodeAt(host.Centre(kPaneRuler)), 0x60000u);
  // The scroll controls report their parts.
  const ScrollParts& h = host.view()->hScroll.parts;
  int y = host.Centre(kPaneHScroll).y;
  EXPECT_EQ(HitCodeAt({(h.zoomIn.begin + h.zoomIn.end) / 2, y}), 0x20000u | kPartZoomIn);
  EXPECT_EQ(HitCodeAt({h.slider.begin + 1, y}), 0x20000u | kPartZoomSlider);
  EXPECT_EQ(HitCodeAt({h.lessArrow.begin + 2, y}), 0x20000u | kPartLessArrow);
  EXPECT_EQ(HitCodeAt({h.corner.end - 2, y}), 0x20000u | kPartCorner);
  const ScrollParts& v = host.view()->vScroll.parts;
  int x = host.Centre(kPaneVScroll).x;
  EXPECT_EQ(HitCodeAt({x, v.moreArrow.begin + 2}), 0x30000u | kPartMoreArrow);
  EXPECT_EQ(HitCodeAt({x, v.zoomOut.begin + 2}), 0x30000u | kPartZoomOut);
}

TEST_F(Dispatch, TheSamePointIsNotHitTestedTwiceUnlessStale) {
  POINT p = host.Centre(kPaneHeader);
  host.HitAt(p);
  host.HitAt(p);
  EXPECT_EQ(host.log().Count("hit 1"), 1);
  host.view()->SetView(1920, 20'000, 0);  // the view moved under the mouse
  host.HitAt(p);
  EXPECT_EQ(host.log().Count("hit 1"), 2);
  host.HitAt({p.x, p.y + 1});
  EXPECT_EQ(host.log().Count("hit 1"), 3);
}

TEST_F(Dispatch, AStalePressIsHitTestedAtThePressPoint) {
  host.HitAt(host.Centre(kPaneData));
  host.view()->flags |= kTvHitStale;
  POINT lane = host.Centre(kPaneLane);
  SendMessageW(host.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(lane.x, lane.y));
  EXPECT_EQ(HitPane(host.view()->hitCode), kPaneLane);
  EXPECT_EQ(host.log().Count("message 8 0x201"), 1);
  EXPECT_EQ(host.log().Count("message 0"), 0);
}

TEST_F(Dispatch, MouseMessagesGoToThePaneUnderTheMouseOrTheActiveTool) {
  host.Mouse(WM_LBUTTONDOWN, host.Centre(kPaneLane), MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, host.Centre(kPaneLane));
  host.Mouse(WM_RBUTTONDOWN, host.Centre(kPaneHeader), MK_RBUTTON);
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneData));
  host.Mouse(WM_LBUTTONDBLCLK, host.Centre(kPaneData), MK_LBUTTON);
  const std::vector<std::string> expected = {"message 8 0x201", "message 8 0x202", "message 1 0x204",
                                             "message 0 0x200 tool 0", "message 0 0x203 tool 0"};
  std::vector<std::string> routed;
  for (const std::string& call : host.log().calls) {
    if (call.rfind("message", 0) == 0) routed.push_back(call);
  }
  EXPECT_EQ(routed, expected);
}

TEST_F(Dispatch, ADragKeepsGoingToThePaneWhereItBegan) {
  host.log().laneCapturesOnPress = true;
  host.Mouse(WM_LBUTTONDOWN, host.Centre(kPaneLane), MK_LBUTTON);
  ASSERT_EQ(GetCapture(), host.window());
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneData), MK_LBUTTON);
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneHeader), MK_LBUTTON);
  host.Mouse(WM_LBUTTONUP, host.Centre(kPaneHeader));
  EXPECT_EQ(host.log().Count("message 8 0x200"), 2);
  EXPECT_EQ(host.log().Count("message 8 0x202"), 1);
  EXPECT_EQ(host.log().Count("message 0"), 0);
  EXPECT_EQ(host.log().Count("hit 1"), 0);  // no hit testing during the capture
  EXPECT_EQ(GetCapture(), nullptr);
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneHeader));
  EXPECT_EQ(host.log().Count("message 1 0x200"), 1);
}

TEST_F(Dispatch, CancelModeGoesToTheHoveredPane) {
  host.HitAt(host.Centre(kPaneLane));
  SendMessageW(host.window(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(host.log().Count("message 8 0x1f"), 1);
}

TEST_F(Dispatch, SelectingAToolSwitchesTablesAndCursor) {
  host.HitAt(host.Centre(kPaneData));
  EXPECT_TRUE(SelectTool(host.view(), 3));
  EXPECT_EQ(host.log().calls, (std::vector<std::string>{"switch 0 1 3", "switch 3 2 3"}));
  EXPECT_EQ(host.view()->activeTool, 3);
  EXPECT_EQ(host.view()->dataPane.callbacks, host.view()->tools[3]);
  host.Mouse(WM_LBUTTONDOWN, host.Centre(kPaneData), MK_LBUTTON);
  EXPECT_EQ(host.log().Count("message 0 0x201 tool 3"), 1);

  host.log().Clear();
  EXPECT_TRUE(SelectTool(host.view(), 3));  // already active: no calls
  EXPECT_FALSE(SelectTool(host.view(), 5));
  EXPECT_FALSE(SelectTool(host.view(), -1));
  host.view()->tools[4] = nullptr;
  EXPECT_FALSE(SelectTool(host.view(), 4));
  EXPECT_TRUE(host.log().calls.empty());
  EXPECT_EQ(host.view()->activeTool, 3);
}

TEST_F(Dispatch, TheCursorComesFromTheHoveredPane) {
  POINT header = host.ToScreen(host.Centre(kPaneHeader));
  SetCursorPos(header.x, header.y);
  host.HitAt(host.Centre(kPaneHeader));
  EXPECT_TRUE(SendMessageW(host.window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.window()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), KvGetUICursor(tvtest::kHeaderCursor));

  const ScrollParts& h = host.view()->hScroll.parts;
  host.HitAt({h.slider.begin + 2, host.Centre(kPaneHScroll).y});
  SendMessageW(host.window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.window()), MAKELPARAM(HTCLIENT, 0));
  ASSERT_NE(KvGetUICursor(9), KvGetUICursor(kArrowCursor));  // the module's own zoom cursor
  EXPECT_EQ(GetCursor(), KvGetUICursor(9));

  POINT data = host.ToScreen(host.Centre(kPaneData));
  SetCursorPos(data.x, data.y);
  host.HitAt(host.Centre(kPaneData));
  SendMessageW(host.window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.window()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), KvGetUICursor(tvtest::kToolCursors[0]));
  SelectTool(host.view(), 1);  // takes effect at once without a capture
  EXPECT_EQ(GetCursor(), KvGetUICursor(tvtest::kToolCursors[1]));

  host.HitAt(host.Centre(kPaneRuler));
  SendMessageW(host.window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.window()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), KvGetUICursor(kRulerCursor));
  host.HitAt({host.Centre(kPaneHScroll).x, host.PaneRect(kPaneHScroll).top});  // the track: no cursor of its own
  SendMessageW(host.window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.window()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), KvGetUICursor(kArrowCursor));
}

TEST_F(Dispatch, PressesChooseTheFocusPaneAndTheCaretFollows) {
  Host chooser(640, 480, false);
  chooser.log().focusChoice = kPaneHeader;
  ASSERT_TRUE(chooser.Create());
  chooser.Mouse(WM_LBUTTONDOWN, chooser.Centre(kPaneHeader), MK_LBUTTON);
  EXPECT_EQ(GetFocus(), chooser.window());
  EXPECT_EQ(chooser.view()->focusPane, kPaneHeader);
  EXPECT_EQ(chooser.view()->caretWidth, 3);
  EXPECT_EQ(chooser.view()->caretHeight, 20);
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, chooser.pane(kPaneHeader)->left + 5);
  EXPECT_EQ(caret.y, chooser.pane(kPaneHeader)->top + 5);

  Trackview* view = chooser.view();
  view->cursorPos = view->viewStart + 40 * static_cast<int64_t>(view->ticksPerPixel);
  chooser.Mouse(WM_LBUTTONDOWN, chooser.Centre(kPaneData), MK_LBUTTON);
  EXPECT_EQ(view->focusPane, kPaneData);
  EXPECT_EQ(view->caretWidth, 1);
  EXPECT_EQ(view->caretHeight, view->dataHeight);
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, view->TimeToX(view->cursorPos));
  EXPECT_EQ(caret.y, view->dataRect.top);
  EXPECT_TRUE(view->flags & kTvCaretShown);

  // A cursor outside the view hides the caret.
  view->cursorPos = view->viewStart + view->viewSpan * 2;
  PlaceCaret(view);
  EXPECT_FALSE(view->flags & kTvCaretShown);
}

TEST_F(Dispatch, FocusChangesTellTheParent) {
  SetFocus(host.parent());
  host.Pump();
  host.log().parentMessages.clear();
  SetFocus(host.window());
  host.Pump();
  SetFocus(host.parent());
  host.Pump();
  EXPECT_EQ(std::count(host.log().parentMessages.begin(), host.log().parentMessages.end(), WM_EDITOR_UPDATEUI), 2);
}

TEST_F(Dispatch, TabMovesToTheNextControlOfTheParent) {
  SendMessageW(host.window(), WM_KEYDOWN, VK_TAB, 1);
  tvtest::SetModifiers(true, false);
  SendMessageW(host.window(), WM_KEYDOWN, VK_TAB, 1);
  ASSERT_EQ(host.log().parentMessages.size(), 2u);
  EXPECT_EQ(host.log().parentMessages[0], static_cast<UINT>(WM_NEXTDLGCTL));
  EXPECT_EQ(host.log().parentWParams[0], 0u);
  EXPECT_EQ(host.log().parentWParams[1], 1u);
  EXPECT_EQ(host.log().Count("key"), 0);
}

TEST_F(Dispatch, KeysGoToTheFocusPaneFirstThenTheTool) {
  EXPECT_EQ(SendMessageW(host.window(), WM_KEYDOWN, 'K', 1), 1);
  EXPECT_EQ(SendMessageW(host.window(), WM_KEYDOWN, 'J', 1), 0);
  EXPECT_EQ(host.log().Count("key 0 0x100 0x4b"), 1);
  EXPECT_EQ(host.log().Count("key 1"), 0);

  host.view()->focusPane = kPaneHeader;
  host.log().Clear();
  EXPECT_EQ(SendMessageW(host.window(), WM_KEYDOWN, 'H', 1), 1);  // the header takes it
  EXPECT_EQ(host.log().calls, (std::vector<std::string>{"key 1 0x100 0x48"}));
  SendMessageW(host.window(), WM_KEYDOWN, 'K', 1);
  EXPECT_EQ(host.log().Count("key 1 0x100 0x4b"), 1);
  EXPECT_EQ(host.log().Count("key 0 0x100 0x4b"), 1);
  // Alt with an arrow is a key of the map too: one pixel's worth to the right.
  host.view()->focusPane = kPaneData;
  int64_t before = host.view()->cursorPos;
  SendMessageW(host.window(), WM_SYSKEYDOWN, VK_RIGHT, 1 | (1 << 29));
  EXPECT_EQ(host.view()->cursorPos, before + host.view()->viewSpan / host.view()->mapWidth);
}

TEST_F(Dispatch, TheFirstKeyAfterFocusCountsAsAFirstPress) {
  SetFocus(host.parent());
  SetFocus(host.window());
  const LPARAM repeated = 1 | (1 << 30);
  SendMessageW(host.window(), WM_KEYDOWN, 'J', repeated);
  SendMessageW(host.window(), WM_KEYDOWN, 'J', repeated);
  std::vector<std::string> data;
  for (const std::string& call : host.log().calls) {
    if (call.rfind("keydata", 0) == 0) data.push_back(call);
  }
  EXPECT_EQ(data, (std::vector<std::string>{"keydata 0x0", "keydata 0x4000"}));
}

TEST_F(Dispatch, AltBackspaceUndoesThroughTheEditHook) {
  SendMessageW(host.window(), WM_SYSCHAR, VK_BACK, 1 << 29);
  SendMessageW(host.window(), kMsgSelectAll, 1, 0);
  SendMessageW(host.window(), WM_PASTE, 0, 0);
  EXPECT_EQ(host.log().calls,
            (std::vector<std::string>{"edit 0x304 0", "edit 0x7f09 1", "edit 0x302 0"}));
}

TEST_F(Dispatch, ContextMenuFromTheMouseGoesToTheHoveredPane) {
  POINT lane = host.ToScreen(host.Centre(kPaneLane));
  host.HitAt(host.Centre(kPaneLane));
  SendMessageW(host.window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(host.window()), MAKELPARAM(lane.x, lane.y));
  EXPECT_EQ(host.log().Count("message 8 0x7b"), 1);
  EXPECT_EQ(host.log().menuHitCode, 0x80000u | tvtest::kLaneHit);
  EXPECT_TRUE(host.log().menuFromMouse);
  EXPECT_EQ(host.log().menuPoint.x, lane.x);
  EXPECT_EQ(host.log().menuPoint.y, lane.y);
  EXPECT_EQ(host.view()->menuFromMouse, FALSE);  // cleared afterwards
}

TEST_F(Dispatch, ShiftF10AndAppsOpenTheMenuAtTheKeyboardAnchor) {
  Trackview* view = host.view();
  host.HitAt(host.Centre(kPaneHeader));  // the mouse is elsewhere
  view->cursorPos = view->viewStart;    // left of the anchor's minimum
  SendMessageW(host.window(), WM_KEYDOWN, VK_APPS, 1);
  POINT expected = host.ToScreen({view->dataRect.left + 16, view->dataRect.top + 16});
  EXPECT_EQ(host.log().Count("message 0 0x7b"), 1);
  EXPECT_FALSE(host.log().menuFromMouse);
  EXPECT_EQ(host.log().menuPoint.x, expected.x);
  EXPECT_EQ(host.log().menuPoint.y, expected.y);

  view->cursorPos = view->viewStart + view->viewSpan / 2;
  tvtest::SetModifiers(true, false);
  SendMessageW(host.window(), WM_KEYDOWN, VK_F10, 1);
  expected = host.ToScreen({view->TimeToX(view->cursorPos), view->dataRect.top + 16});
  EXPECT_EQ(host.log().Count("message 0 0x7b"), 2);
  EXPECT_EQ(host.log().menuPoint.x, expected.x);

  view->cursorPos = view->viewStart + view->viewSpan * 3;  // far right: kept at the right edge
  SendMessageW(host.window(), WM_KEYDOWN, VK_APPS, 1);
  EXPECT_EQ(host.log().menuPoint.x, host.ToScreen({view->dataRect.right, 0}).x);
}

TEST_F(Dispatch, TheWheelZoomsOverTheDataArea) {
  Trackview* view = host.view();
  view->SetView(0, view->ZoomSpan(4), 0);
  host.Wheel(host.Centre(kPaneData), -WHEEL_DELTA);
  EXPECT_EQ(view->zoomLevel, 5);
  host.Wheel(host.Centre(kPaneData), 2 * WHEEL_DELTA);
  EXPECT_EQ(view->zoomLevel, 3);
  EXPECT_EQ(host.log().Count("message 0 0x20a"), 2);  // the tool sees it first
}

TEST_F(Dispatch, TheWheelOverTheLaneWithCtrlDoesNothing) {
  Trackview* view = host.view();
  view->SetView(0, view->ZoomSpan(4), 0);
  view->SetVertView(45 * 10, view->vertSpan, 0);
  int64_t span = view->viewSpan;
  host.Wheel(host.Centre(kPaneLane), -WHEEL_DELTA, MK_CONTROL);
  EXPECT_EQ(view->viewSpan, span);
  EXPECT_EQ(view->firstRow, 10);
  host.Wheel(host.Centre(kPaneLane), -WHEEL_DELTA, MK_SHIFT);  // Shift scrolls a tenth of the span
  EXPECT_EQ(view->viewStart, (span + 9) / 10);
  host.Wheel(host.Centre(kPaneData), -WHEEL_DELTA, MK_CONTROL);  // Ctrl over the data scrolls rows
  EXPECT_EQ(view->firstRow, 11);
  host.log().laneWheelAnswer = kWheelHandled;
  host.Wheel(host.Centre(kPaneLane), -WHEEL_DELTA);
  EXPECT_EQ(view->viewSpan, span);
  host.Wheel(host.Centre(kPaneHeader), -WHEEL_DELTA);  // not a time pane
  EXPECT_EQ(view->viewSpan, span);
}

TEST_F(Dispatch, MenuSelectAndEnterIdleAreSentToTheParent) {
  EXPECT_EQ(SendMessageW(host.window(), WM_MENUSELECT, MAKEWPARAM(5000, 0), 0), 77);
  EXPECT_EQ(SendMessageW(host.window(), WM_ENTERIDLE, MSGF_MENU, 0), 77);
  EXPECT_EQ(host.log().parentMessages,
            (std::vector<UINT>{static_cast<UINT>(WM_MENUSELECT), static_cast<UINT>(WM_ENTERIDLE)}));
}

TEST_F(Dispatch, CommandsAndSettingsGoToTheHooks) {
  SendMessageW(host.window(), WM_COMMAND, 4030, 0);
  SendMessageW(host.window(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(host.log().calls, (std::vector<std::string>{"command 4030", "settings 0x15"}));
}

std::wstring TipText(HWND tooltip, HWND owner) {
  wchar_t text[80] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uId = 1;
  tool.hwnd = owner;
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST_F(Dispatch, TooltipsFollowTheTextPanesOffer) {
  Trackview* view = host.view();
  ASSERT_NE(view->tooltip, nullptr);
  wchar_t className[32];
  GetClassNameW(view->tooltip, className, 32);
  EXPECT_STREQ(className, TOOLTIPS_CLASSW);
  // A popup's owner is the top-level window of the engine window.
  EXPECT_EQ(GetWindow(view->tooltip, GW_OWNER), host.parent());

  host.HitAt(host.Centre(kPaneTransport));
  EXPECT_TRUE(view->flags & kTvTipActive);
  EXPECT_EQ(TipText(view->tooltip, host.window()), tvtest::kTransportTip);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = host.window();
  tool.uId = 1;
  ASSERT_TRUE(SendMessageW(view->tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  RECT transport = host.PaneRect(kPaneTransport);
  EXPECT_TRUE(EqualRect(&tool.rect, &transport));

  host.HitAt(host.Centre(kPaneData));
  EXPECT_FALSE(view->flags & kTvTipActive);

  const ScrollParts& h = view->hScroll.parts;
  host.HitAt({(h.zoomOut.begin + h.zoomOut.end) / 2, host.Centre(kPaneHScroll).y});
  EXPECT_TRUE(view->flags & kTvTipActive);
  EXPECT_EQ(TipText(view->tooltip, host.window()), L"Zoom Out Time (Down)");
  host.HitAt({(h.zoomIn.begin + h.zoomIn.end) / 2, host.Centre(kPaneHScroll).y});
  EXPECT_EQ(TipText(view->tooltip, host.window()), L"Zoom In Time (Up)");
  EXPECT_FALSE(view->flags & kTvTipChanged);
}

TEST_F(Dispatch, HoverHighlightEndsWhenTheMouseLeaves) {
  Trackview* view = host.view();
  RECT button = {50, host.pane(kPaneTransport)->top + 2, 70, host.pane(kPaneTransport)->top + 22};
  host.HitAt(host.Centre(kPaneTransport));
  SetHover(view, kPaneTransport, 0x81, button, nullptr, nullptr);
  EXPECT_TRUE(view->flags & kTvHover);
  POINT inside = host.ToScreen(host.Centre(kPaneTransport));
  SetCursorPos(inside.x, inside.y);
  SendMessageW(host.window(), WM_TIMER, 4, 0);
  EXPECT_TRUE(view->flags & kTvHover);  // still over the window
  SetCursorPos(0, 0);
  SendMessageW(host.window(), WM_TIMER, 4, 0);
  EXPECT_FALSE(view->flags & kTvHover);
  EXPECT_EQ(view->hoverCode, 0u);

  SetHover(view, kPaneTransport, 0x82, button, nullptr, nullptr);
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneTransport));
  EXPECT_TRUE(view->flags & kTvHover);  // same pane: kept
  host.Mouse(WM_MOUSEMOVE, host.Centre(kPaneData));
  EXPECT_FALSE(view->flags & kTvHover);
}

TEST_F(Dispatch, TimersCallTheirCallbacks) {
  static int repeats, steps;
  repeats = steps = 0;
  Trackview* view = host.view();
  StartRepeatTimer(view, [](Trackview*, void*) { ++repeats; });
  StartStepTimer(view, [](Trackview* v, void*) {
    if (++steps == 2) StopStepTimer(v);
  }, nullptr);
  for (int i = 0; i < 3; ++i) {
    SendMessageW(host.window(), WM_TIMER, 2, 0);
    SendMessageW(host.window(), WM_TIMER, 3, 0);
  }
  EXPECT_EQ(repeats, 3);
  EXPECT_EQ(steps, 2);
  StopRepeatTimer(view);
  SendMessageW(host.window(), WM_TIMER, 2, 0);
  EXPECT_EQ(repeats, 3);
}

// The update region after invalidating the given areas, as a rectangle list.
class Invalidation : public Dispatch {
 protected:
  HRGN After(uint32_t areas) {
    ValidateRect(host.window(), nullptr);
    InvalidateAreas(host.view(), areas);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(host.window(), region, FALSE);
    return region;
  }
  HRGN Union(std::initializer_list<int> panes) {
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (int pane : panes) {
      RECT r = host.PaneRect(pane);
      HRGN one = CreateRectRgnIndirect(&r);
      CombineRgn(all, all, one, RGN_OR);
      DeleteObject(one);
    }
    return all;
  }
  void ExpectRegion(uint32_t areas, std::initializer_list<int> panes) {
    HRGN actual = After(areas);
    HRGN expected = Union(panes);
    EXPECT_TRUE(EqualRgn(actual, expected)) << std::hex << areas;
    DeleteObject(actual);
    DeleteObject(expected);
  }
};

TEST_F(Invalidation, AreasMapToPanes) {
  ExpectRegion(0, {kPaneData, kPaneLane});
  ExpectRegion(kAreaNoData | kAreaLoopBar, {kPaneLoopBar});
  ExpectRegion(kAreaNoData | kAreaRuler, {kPaneRuler});
  ExpectRegion(kAreaNoData | kAreaTransport | kAreaHeader, {kPaneTransport, kPaneHeader});
  ExpectRegion(kAreaNoData | kAreaVScroll | kAreaHScroll, {kPaneVScroll, kPaneHScroll});
  RECT client;
  GetClientRect(host.window(), &client);
  HRGN all = After(kAreaAll);
  HRGN whole = CreateRectRgnIndirect(&client);
  EXPECT_TRUE(EqualRgn(all, whole));
  DeleteObject(all);
  DeleteObject(whole);
}

TEST_F(Invalidation, ViewChangesRepaintWhatShowsTimeOrRows) {
  ValidateRect(host.window(), nullptr);
  host.view()->SetView(1920, 40'000, 0);
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(host.window(), actual, FALSE);
  HRGN expected = Union({kPaneData, kPaneLane, kPaneLoopBar, kPaneRuler, kPaneTransport, kPaneHScroll});
  EXPECT_TRUE(EqualRgn(actual, expected));
  DeleteObject(expected);

  ValidateRect(host.window(), nullptr);
  host.view()->SetVertView(45 * 5, host.view()->vertSpan, 0);
  GetUpdateRgn(host.window(), actual, FALSE);
  expected = Union({kPaneData, kPaneLane, kPaneHeader, kPaneVScroll, kPaneHScroll});
  EXPECT_TRUE(EqualRgn(actual, expected));
  DeleteObject(expected);
  DeleteObject(actual);
}

TEST_F(Invalidation, LoopRegionSetAndToggle) {
  Trackview* view = host.view();
  ValidateRect(host.window(), nullptr);
  SetLoopRegion(view, 3840, -1920);
  EXPECT_EQ(view->loopStart, 1920);
  EXPECT_EQ(view->loopLength, 1920);
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(host.window(), actual, FALSE);
  HRGN expected = Union({kPaneData, kPaneLane, kPaneLoopBar, kPaneRuler});
  EXPECT_TRUE(EqualRgn(actual, expected));
  DeleteObject(expected);
  DeleteObject(actual);
  SetLoopRegion(view, 1920, 1920);  // unchanged: no hook
  EXPECT_EQ(host.log().calls, (std::vector<std::string>{"loop 0"}));

  EXPECT_FALSE(IsLoopPlayback(view));
  ToggleLoopPlayback(view);
  EXPECT_TRUE(IsLoopPlayback(view));
  EXPECT_EQ(host.log().calls.back(), "loop 1");
  RECT update;
  GetUpdateRect(host.window(), &update, FALSE);
  RECT client;
  GetClientRect(host.window(), &client);
  EXPECT_TRUE(EqualRect(&update, &client));
}

}  // namespace
