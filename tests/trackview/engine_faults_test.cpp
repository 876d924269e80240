// The engine at its limits: painting at the far end of the longest time
// line, windows left behind by create/destroy cycles, a resize while frozen,
// and the tool hearing about the note under the pointer.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/trackview/support/test_client.h"

namespace {

using tvtest::Host;

int ThreadWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM counter) CALLBACK -> BOOL {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(EngineLimits, PaintingAtTheEndOfTheLongestTimeLineReturns) {
  Host host(640, 480);
  host.source().grid = {480, 8, false};
  Trackview* view = host.view();
  view->SetTotalLength(int64_t{1} << 62);
  view->SetView((int64_t{1} << 62) - int64_t{view->mapWidth} * 11, 0, 0);
  ASSERT_EQ(view->viewStart + view->viewSpan, int64_t{1} << 62);
  host.Capture();  // a double line counter would never get past 2^53
  RECT data = host.Data();
  int lines = 0;
  for (int x = data.left; x < data.right; ++x) lines += host.Pixel(x, data.top + 5) != tvtest::kDataFill;
  // 480-tick lines at 11 ticks per pixel: one every 43 or 44 pixels.
  EXPECT_GE(lines, (data.right - data.left) / 44 - 1);
  EXPECT_LE(lines, (data.right - data.left) / 43 + 1);
}

TEST(EngineLimits, CreatingAndDestroyingLeavesNoWindowBehind) {
  Host host(640, 480, false);
  int before = ThreadWindows();
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(host.Create());
    host.HitAt(host.Centre(kPaneHScroll));  // a tooltip is in use
    host.Destroy();
  }
  EXPECT_EQ(ThreadWindows(), before);
}

TEST(EngineLimits, AResizeWhileFrozenPaintsTheFrozenPictureAgain) {
  Host host(640, 480);
  FreezeView(host.view(), true);
  host.Resize(700, 500);
  host.Capture();
  RECT data = host.Data();
  EXPECT_EQ(host.Pixel((data.left + data.right) / 2 + 3, data.top + 7), tvtest::kDataFill);
  FreezeView(host.view(), false);
}

TEST(EngineLimits, TheToolHearsWhenTheNoteUnderThePointerChanges) {
  Host host(640, 480);
  host.log().toolReportsHover = true;
  RECT data = host.Data();
  int y = (data.top + data.bottom) / 2;
  int x = data.left + tvtest::kFakeNoteWidth * 2 + 5;
  host.log().Clear();
  host.HitAt({x, y});
  host.HitAt({x + 1, y});  // same note, same row
  host.HitAt({x + tvtest::kFakeNoteWidth, y});
  int row = host.view()->YToRow(y);
  char first[32], second[32];
  std::snprintf(first, sizeof first, "hover %d %d", row, x / tvtest::kFakeNoteWidth + 1);
  std::snprintf(second, sizeof second, "hover %d %d", row, x / tvtest::kFakeNoteWidth + 2);
  EXPECT_EQ(host.log().Count("hover"), 2);
  EXPECT_EQ(host.log().Count(first), 1);
  EXPECT_EQ(host.log().Count(second), 1);
  host.HitAt(host.Centre(kPaneRuler));  // off the notes: no row, no note
  EXPECT_EQ(host.log().Count("hover -1 0"), 1);
}

}  // namespace
