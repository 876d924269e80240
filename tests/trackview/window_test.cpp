// The track view window's lifetime and layout: create phases in order,
// refused creation, and the pane rectangles at several sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/trackview/support/test_client.h"

namespace {

using tvtest::Host;

std::vector<std::string> CreateCalls(const tvtest::Log& log) {
  std::vector<std::string> calls;
  for (const std::string& call : log.calls) {
    if (call.rfind("create", 0) == 0) calls.push_back(call);
  }
  return calls;
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
  EXPECT_EQ(actual.left, expected.left) << what;
  EXPECT_EQ(actual.top, expected.top) << what;
  EXPECT_EQ(actual.right, expected.right) << what;
  EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

TEST(TrackviewLifetime, PanesAreCreatedInIndexOrderThenTheDataArea) {
  Host host(640, 480);
  ASSERT_NE(host.window(), nullptr);
  // Once when the client starts the record, once when the window is created.
  const std::vector<std::string> once = {"create 1 0", "create 8 0", "create 10 0", "create 0 0"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(CreateCalls(host.log()), twice);

  host.log().Clear();
  tvtest::Log& log = host.log();
  host.Destroy();
  EXPECT_EQ(CreateCalls(log), (std::vector<std::string>{"create 1 1", "create 8 1", "create 10 1", "create 0 1"}));
}

TEST(TrackviewLifetime, FailingCreatePhaseRefusesTheWindow) {
  Host host(640, 480, false);
  host.log().failCreatePane = 8;
  host.log().failCreateCall = 2;  // fails when the window is created
  EXPECT_FALSE(host.Create());
  EXPECT_EQ(FindWindowExW(host.parent(), nullptr, kTrackviewClassName, nullptr), nullptr);
  EXPECT_EQ(CreateCalls(host.log()),
            (std::vector<std::string>{"create 1 0", "create 8 0", "create 10 0", "create 0 0", "create 1 0",
                                      "create 8 0"}));
}

TEST(TrackviewLifetime, FailingFirstCreatePhaseStopsBeforeTheWindow) {
  Host host(640, 480, false);
  host.log().failCreatePane = 10;
  host.log().failCreateCall = 1;
  EXPECT_FALSE(host.Create());
  EXPECT_EQ(CreateCalls(host.log()), (std::vector<std::string>{"create 1 0", "create 8 0", "create 10 0"}));
}

TEST(TrackviewLifetime, AWindowWithoutARecordIsRefused) {
  tvtest::EnsureClasses();
  HWND window = CreateWindowExW(0, kTrackviewClassName, nullptr, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(window, nullptr);
}

TEST(TrackviewLifetime, TheFirstViewShowsTheWholeLength) {
  Host host(640, 480);
  EXPECT_EQ(host.view()->viewStart, 0);
  EXPECT_EQ(host.view()->viewSpan, 64 * 1920);
  EXPECT_EQ(host.view()->window, host.window());
}

TEST(TrackviewLifetime, RelayoutBeforeTheFirstSizeKeepsTheView) {
  Host host(640, 480, false);
  ASSERT_TRUE(host.Create(false));
  Relayout(host.view(), true);  // as the frame does right after creating the window
  host.Resize(640, 480);
  EXPECT_EQ(host.view()->viewSpan, 64 * 1920);
  EXPECT_EQ(host.log().Count("layout 1"), 3);
}

TEST(TrackviewWindowMessages, FontDialogCodeAndErase) {
  Host host(320, 240);
  HFONT font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  SendMessageW(host.window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(host.window(), WM_GETFONT, 0, 0)), font);
  EXPECT_EQ(SendMessageW(host.window(), WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
  EXPECT_EQ(SendMessageW(host.window(), WM_ERASEBKGND, 0, 0), 1);
}

struct Size {
  int width, height;
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

class TrackviewLayout : public testing::TestWithParam<Size> {};

TEST_P(TrackviewLayout, PanesTakeTheirSharesInOrder) {
  const Size size = GetParam();
  Host host(size.width, size.height);
  const int w = size.width, h = size.height;
  const int hs = std::max(GetSystemMetrics(SM_CYHSCROLL), 14);
  const int vs = std::max(GetSystemMetrics(SM_CXVSCROLL), 16);
  const int ruler = tvtest::FontHeightOf(110) + 6;

  ExpectRect(host.PaneRect(kPaneHeader), {0, 0, tvtest::kHeaderWidth, h}, "header");
  const int left = tvtest::kHeaderWidth;
  int bottom = h - tvtest::kTransportHeight;
  ExpectRect(host.PaneRect(kPaneTransport), {left, bottom, w, h}, "transport");
  ExpectRect(host.PaneRect(kPaneHScroll), {left, bottom - hs, w, bottom}, "horizontal control");
  bottom -= hs;
  ExpectRect(host.PaneRect(kPaneLane), {left, bottom - tvtest::kLaneHeight, w, bottom}, "lane");
  bottom -= tvtest::kLaneHeight;
  ExpectRect(host.PaneRect(kPaneVScroll), {w - vs, 0, w, bottom}, "vertical control");
  const int right = w - vs;
  int top = 0;
  if (bottom - top >= 2 * 12 + 1) {
    ExpectRect(host.PaneRect(kPaneLoopBar), {left, 0, right, 12}, "loop bar");
    top = 12;
  } else {
    EXPECT_EQ(host.pane(kPaneLoopBar)->height, 0);
  }
  if (bottom - top >= ruler + 1) {
    ExpectRect(host.PaneRect(kPaneRuler), {left, top, right, top + ruler}, "ruler");
    top += ruler;
  } else {
    EXPECT_EQ(host.pane(kPaneRuler)->height, 0);
  }
  ExpectRect(host.Data(), {left, top, right, bottom}, "data area");
  ExpectRect(host.PaneRect(kPaneData), {left, top, right, bottom}, "data pane");
  for (int unused : {5, 7, 9, 11, 12, 13, 14, 15, 16}) EXPECT_EQ(host.pane(unused)->height, 0) << unused;

  const Trackview* view = host.view();
  EXPECT_EQ(view->mapWidth, std::max(right - left - 24, 1));
  EXPECT_EQ(view->vertExtentPx, std::max(bottom - top, 1));
  EXPECT_EQ(view->clientWidth, w);
  EXPECT_EQ(view->clientHeight, h);
  // Every pane's far edges follow from its origin and size.
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(host.pane(i)->right, host.pane(i)->left + host.pane(i)->width) << i;
    EXPECT_EQ(host.pane(i)->bottom, host.pane(i)->top + host.pane(i)->height) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TrackviewLayout,
                         testing::Values(Size{640, 480}, Size{900, 300}, Size{300, 200}, Size{240, 128},
                                         Size{200, 112}));

TEST(TrackviewSizing, FirstSizeLaysOutThreeTimesLaterOnesOnce) {
  Host host(640, 480);
  EXPECT_EQ(host.log().Count("layout 1"), 3);
  host.Resize(700, 480);
  EXPECT_EQ(host.log().Count("layout 1"), 4);
}

TEST(TrackviewSizing, MinimisedOrEmptySizesLeaveTheLayout) {
  Host host(640, 480);
  RECT before = host.Data();
  SendMessageW(host.window(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
  SendMessageW(host.window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(0, 300));
  SendMessageW(host.window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 0));
  ExpectRect(host.Data(), before, "data area");
  EXPECT_EQ(host.log().Count("layout 1"), 3);
}

TEST(TrackviewSizing, ResizingKeepsTicksPerPixel) {
  Host host(640, 480);
  Trackview* view = host.view();
  view->SetView(1920, view->mapWidth * 20, 0);
  host.Resize(900, 480);
  EXPECT_DOUBLE_EQ(view->ticksPerPixel, 20.0);
  EXPECT_EQ(view->viewStart, 1920);
  host.Resize(500, 300);
  EXPECT_DOUBLE_EQ(view->ticksPerPixel, 20.0);
  // Rows keep their height too.
  EXPECT_EQ(view->RowPixelHeight(), 6);
}

}  // namespace
