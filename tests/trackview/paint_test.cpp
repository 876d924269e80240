// Painting of the track view, checked by pixels at places computed from the
// geometry: ruler ticks, grid lines, the loop bar, the playback line, the
// scroll controls, buffering and the frozen snapshot.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>
#include <vsstyle.h>

#include <cmath>
#include <string>

#include "kvlib/ui_resources.h"
#include "tests/trackview/support/test_client.h"
#include "trackview/ruler_spacing.h"

namespace {

using tvtest::Host;

COLORREF Sys(int index) { return GetSysColor(index); }

struct Marks {
  double spacing;  // ticks between labels
  int subdivisions;
};

// The ruler's label spacing worked out from its rules: 1.6 widths of the
// widest label, made musical, with readable subdivisions.
Marks ExpectedMarks(Host& host) {
  Trackview* v = host.view();
  wchar_t text[64];
  int64_t last = v->viewStart + v->viewSpan + static_cast<int64_t>(v->rightMargin * v->ticksPerPixel);
  int digits = host.source().TimeText(last, false, text, 64);
  std::wstring sample = L"(" + std::wstring(digits, L'2') + L")";
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, KvGetUIFont(110));
  SIZE size{};
  GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  RulerSpacing musical = MusicalSpacing(size.cx * v->ticksPerPixel * 1.6, host.source().timeBase);
  return {musical.ticks, FitSubdivisions(musical.ticks / v->ticksPerPixel, musical.subdivisions)};
}

class Paint : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host.window(), nullptr);
    view = host.view();
    view->SetView(0, int64_t{view->mapWidth} * 20, 0);  // 20 ticks per pixel
  }
  Host host{640, 480};
  Trackview* view = nullptr;
};

TEST_F(Paint, RulerTicksSitAtTheLabelPositions) {
  view->SetView(0, int64_t{view->mapWidth} * 18, 0);  // subdivisions fall between pixels
  host.Capture();
  Marks marks = ExpectedMarks(host);
  RECT ruler = host.PaneRect(kPaneRuler);
  double interval = marks.spacing / view->ticksPerPixel;
  double tick = interval / marks.subdivisions;
  int checked = 0;
  for (int k = 1; k < 20; ++k) {  // the label at 0 lies under the left edge
    int x = view->TimeToX(static_cast<int64_t>(std::llround(k * marks.spacing)));
    if (x + interval + 2 >= ruler.right) break;
    SCOPED_TRACE(k);
    EXPECT_EQ(host.Pixel(x, ruler.bottom - 5), Sys(COLOR_WINDOWFRAME));
    EXPECT_EQ(host.Pixel(x + 1, ruler.bottom - 5), Sys(COLOR_BTNHIGHLIGHT));
    for (int i = 1; i < marks.subdivisions; ++i) {
      int sx = x + static_cast<int>(std::lround(tick * i));
      EXPECT_EQ(host.Pixel(sx, ruler.bottom - 2), Sys(COLOR_WINDOWFRAME)) << i;
      EXPECT_EQ(host.Pixel(sx + 1, ruler.bottom - 2), Sys(COLOR_BTNHIGHLIGHT)) << i;
    }
    if (tick >= 6) {
      EXPECT_EQ(host.Pixel(x + static_cast<int>(tick / 2), ruler.bottom - 2), Sys(COLOR_BTNFACE));
    }
    ++checked;
  }
  EXPECT_GE(checked, 2);
  EXPECT_DOUBLE_EQ(view->rulerMarkSpacing, marks.spacing / marks.subdivisions);
}

TEST_F(Paint, RulerWithoutASpanShowsOnlyItsFrame) {
  view->SetTotalLength(0);
  host.Capture();
  RECT ruler = host.PaneRect(kPaneRuler);
  for (int x = ruler.left + 3; x < ruler.right - 3; x += 5) {
    for (int y = ruler.top + 1; y < ruler.bottom - 1; ++y) ASSERT_EQ(host.Pixel(x, y), Sys(COLOR_BTNFACE)) << x << "," << y;
  }
  EXPECT_EQ(host.Pixel(ruler.left + 3, ruler.bottom - 1), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(host.Pixel(ruler.left + 3, ruler.top), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(Paint, RulerWithNoLabelInSightWritesTheLeftEdgeInParentheses) {
  host.Resize(300, 480);
  host.source().labelPadding = 60;  // labels wider than the ruler
  Marks marks = ExpectedMarks(host);
  RECT ruler = host.PaneRect(kPaneRuler);
  ASSERT_GT(marks.spacing / view->ticksPerPixel / 2, ruler.right - ruler.left);
  // Half an interval past a label: the neighbours lie beyond both edges.
  view->SetView(static_cast<int64_t>(marks.spacing * 1.5), view->viewSpan, 0);
  host.Capture();
  int textPixels = 0, tickPixels = 0;
  for (int x = ruler.left + 2; x < ruler.right - 2; ++x) {
    tickPixels += host.Pixel(x, ruler.bottom - 5) == Sys(COLOR_WINDOWFRAME) &&
                  host.Pixel(x + 1, ruler.bottom - 5) == Sys(COLOR_BTNHIGHLIGHT);
    for (int y = ruler.top + 2; y < ruler.bottom - 3; ++y) textPixels += host.Pixel(x, y) == Sys(COLOR_BTNTEXT);
  }
  EXPECT_EQ(tickPixels, 0);
  EXPECT_GT(textPixels, 20);
}

TEST_F(Paint, GridLinesFollowTheTracksGrid) {
  host.source().grid = {480, 8, false};
  host.Capture();
  RECT data = host.Data();
  int y = data.top + 5;
  for (int k = 1; k < 10; ++k) {
    int x = view->TimeToX(480 * k);
    EXPECT_EQ(host.Pixel(x, y), tvtest::kOtherLine) << k;
    EXPECT_EQ(host.Pixel(x, data.bottom - 1), tvtest::kOtherLine) << k;
    EXPECT_EQ(host.Pixel(x + 12, y), tvtest::kDataFill) << k;
  }
  EXPECT_EQ(view->adaptiveGrid, 480);
  EXPECT_EQ(view->snapGrid, 0.0);  // the track's own grid is not replaced

  // Thinned to at least 40 pixels apart (960 ticks), every line in the beat colour.
  host.source().grid = {480, 40, true};
  host.Capture();
  EXPECT_EQ(host.Pixel(view->TimeToX(960), y), tvtest::kBeatLine);
  EXPECT_EQ(host.Pixel(view->TimeToX(480), y), tvtest::kDataFill);
  EXPECT_EQ(view->adaptiveGrid, 960);
}

TEST_F(Paint, WithoutAGridTheLinesFollowTheRulerAndSetTheSnapGrid) {
  host.Capture();
  Marks marks = ExpectedMarks(host);
  double spacing = marks.spacing / marks.subdivisions;
  RECT data = host.Data();
  int y = data.top + 5;
  int lines = 0;
  for (int k = 1; k * spacing < view->viewSpan; ++k) {
    int64_t t = std::llround(k * spacing);
    int x = view->TimeToX(t);
    EXPECT_EQ(host.Pixel(x, y), t % 480 == 0 ? tvtest::kBeatLine : tvtest::kOtherLine) << t;
    ++lines;
  }
  EXPECT_GE(lines, 4);
  EXPECT_DOUBLE_EQ(view->snapGrid, spacing);
  EXPECT_EQ(view->SnapDown(static_cast<int64_t>(spacing) + 3), static_cast<int64_t>(spacing));
}

TEST_F(Paint, TheLoopBarShowsTheRegion) {
  SetLoopRegion(view, 1920, 3840);
  RECT bar = host.PaneRect(kPaneLoopBar);
  int start = view->TimeToX(1920), end = view->TimeToX(5760);
  int band = bar.bottom - 3;
  host.Capture();
  COLORREF inactive = KvGetUIColor(COLOR_BTNSHADOW);
  EXPECT_EQ(host.Pixel((start + end) / 2, band), inactive);
  ToggleLoopPlayback(view);
  host.Capture();
  COLORREF active = KvGetUIColor(151);
  EXPECT_EQ(view->loopStartX, start);
  EXPECT_EQ(view->loopEndX, end);
  EXPECT_EQ(host.Pixel((start + end) / 2, band), active);
  EXPECT_EQ(host.Pixel(start, band), active);
  EXPECT_EQ(host.Pixel(end, band), active);
  EXPECT_EQ(host.Pixel(start - 3, band), Sys(COLOR_BTNFACE));
  EXPECT_EQ(host.Pixel(end + 3, band), Sys(COLOR_BTNFACE));
  EXPECT_EQ(host.Pixel((start + end) / 2, bar.top + 1), Sys(COLOR_BTNFACE));  // the band lies along the bottom
  // The start marker stands at the start, the end marker ends at the end.
  EXPECT_EQ(host.Pixel(start, bar.top + 1), active);
  EXPECT_EQ(host.Pixel(end, bar.top + 1), active);
  // The ruler marks the region's ends while loop playback is on.
  RECT ruler = host.PaneRect(kPaneRuler);
  EXPECT_EQ(host.Pixel(start, (ruler.top + ruler.bottom) / 2), active);
  EXPECT_EQ(host.Pixel(end, (ruler.top + ruler.bottom) / 2), active);
}

TEST_F(Paint, AnEmptyLoopRegionIsAPointMarker) {
  ToggleLoopPlayback(view);
  SetLoopRegion(view, 3840, 0);
  host.Capture();
  RECT bar = host.PaneRect(kPaneLoopBar);
  int x = view->TimeToX(3840);
  COLORREF active = KvGetUIColor(151);
  EXPECT_EQ(host.Pixel(x, bar.bottom - 2), active);
  EXPECT_EQ(host.Pixel(x - 8, bar.top + 1), active);
  EXPECT_EQ(host.Pixel(x + 8, bar.top + 1), active);
  EXPECT_EQ(host.Pixel(x - 9, bar.top + 1), Sys(COLOR_BTNFACE));
  EXPECT_EQ(host.Pixel(x + 9, bar.top + 1), Sys(COLOR_BTNFACE));
  EXPECT_EQ(host.Pixel(x + 3, bar.bottom - 3), Sys(COLOR_BTNFACE));  // no band
}

TEST_F(Paint, ARegionLeftOfTheViewIsNotDrawn) {
  ToggleLoopPlayback(view);
  view->SetView(40'000, view->viewSpan, 0);
  SetLoopRegion(view, 1920, 3840);
  host.Capture();
  RECT bar = host.PaneRect(kPaneLoopBar);
  for (int x = bar.left + 1; x < bar.right - 1; x += 3) ASSERT_EQ(host.Pixel(x, bar.bottom - 3), Sys(COLOR_BTNFACE)) << x;
}

TEST_F(Paint, ThePlaybackLineIsInvertedWhilePlaying) {
  host.log().gridLines = false;
  view->playPos = 3000;
  host.Capture();
  RECT data = host.Data();
  int x = view->TimeToX(3000);
  EXPECT_EQ(host.Pixel(x, data.top + 10), tvtest::kDataFill);
  view->flags |= kTvPlaying;
  host.Capture();
  EXPECT_EQ(host.Pixel(x, data.top + 10), RGB(0, 0, 0));
  EXPECT_EQ(host.Pixel(x, data.bottom - 1), RGB(0, 0, 0));
  EXPECT_EQ(host.Pixel(x + 1, data.top + 10), tvtest::kDataFill);
  EXPECT_EQ(view->playLineX, x);
}

TEST_F(Paint, FollowingPlaybackMovesTheLineByInversion) {
  host.log().gridLines = false;
  view->flags |= kTvPlaying;
  view->flags &= ~kTvDetached;
  view->playPos = 3000;
  RedrawWindow(host.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT data = host.Data();
  HDC dc = GetDC(host.window());
  int oldX = view->TimeToX(3000);
  ASSERT_EQ(GetPixel(dc, oldX, data.top + 10), RGB(0, 0, 0));
  MovePlaybackLine(view, 4000);
  int newX = view->TimeToX(4000);
  EXPECT_EQ(view->playLineX, newX);
  EXPECT_EQ(GetPixel(dc, oldX, data.top + 10), tvtest::kDataFill);
  EXPECT_EQ(GetPixel(dc, newX, data.top + 10), RGB(0, 0, 0));
  ReleaseDC(host.window(), dc);
  EXPECT_EQ(view->viewStart, 0);

  // Past the right end less half the margin the view jumps so that the line
  // re-enters a margin's width from the left.
  int64_t beyond = view->XToTime(data.right - 5);
  MovePlaybackLine(view, beyond);
  EXPECT_EQ(view->viewStart, beyond - view->PixelsToTicks(view->rightMargin));
  EXPECT_EQ(view->playLineX, view->TimeToX(beyond));
  EXPECT_FALSE(view->flags & kTvDetached);
}

TEST_F(Paint, TheBufferStartsAtAnEightPixelBoundary) {
  RedrawWindow(host.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT data = host.Data();
  RECT update{data.left + 13, data.top + 21, data.left + 200, data.top + 150};
  InvalidateRect(host.window(), &update, FALSE);
  UpdateWindow(host.window());
  EXPECT_EQ(host.log().windowOrgAtPaint.x, update.left & ~7);
  EXPECT_EQ(host.log().windowOrgAtPaint.y, update.top & ~7);
  EXPECT_TRUE(EqualRect(&host.log().clipAtPaint, &update));

  host.source().unbuffered = true;  // straight to the window
  InvalidateRect(host.window(), &update, FALSE);
  UpdateWindow(host.window());
  EXPECT_EQ(host.log().windowOrgAtPaint.x, 0);
  EXPECT_EQ(host.log().windowOrgAtPaint.y, 0);
}

TEST_F(Paint, AFrozenViewPaintsFromItsSnapshot) {
  host.log().gridLines = false;
  FreezeView(view, true);
  EXPECT_TRUE(view->flags & kTvFrozen);
  EXPECT_TRUE(view->flags & kTvDetached);
  host.log().dataFill = RGB(0, 128, 0);
  int paints = host.log().toolPaints;
  host.Capture();
  RECT data = host.Data();
  EXPECT_EQ(host.Pixel(data.left + 30, data.top + 30), tvtest::kDataFill);
  EXPECT_EQ(host.log().toolPaints, paints);
  FreezeView(view, false);
  host.Capture();
  EXPECT_EQ(host.Pixel(data.left + 30, data.top + 30), RGB(0, 128, 0));
}

// The default scheme here paints scroll bars white like highlights: give the
// scroll bar a colour of its own while the checker is examined.
class ScrollBarColour {
 public:
  explicit ScrollBarColour(COLORREF colour) : old_(GetSysColor(COLOR_SCROLLBAR)) { Set(colour); }
  ~ScrollBarColour() { Set(old_); }

 private:
  static void Set(COLORREF colour) {
    const int element = COLOR_SCROLLBAR;
    SetSysColors(1, &element, &colour);
  }
  COLORREF old_;
};

TEST_F(Paint, ScrollControlsFollowTheVisualStyle) {
  // With a style the track is the style's own part; without one, the classic look below.
  if (!view->scrollTheme) GTEST_SKIP() << "no visual style is active";
  host.Capture();
  const ScrollControlPane& control = view->hScroll;
  AxisSpan thumb = ThumbSpan(control.parts, view->viewStart, view->viewSpan, view->totalLength);
  ASSERT_GT(control.parts.track.end - thumb.end, 4);
  RECT upper{thumb.end, control.top, control.parts.track.end, control.bottom};
  HDC memory = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = upper.right;
  info.bmiHeader.biHeight = -upper.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  DrawThemeBackground(view->scrollTheme, memory, SBP_UPPERTRACKHORZ, SCRBS_NORMAL, &upper, nullptr);
  COLORREF expected = GetPixel(memory, (upper.left + upper.right) / 2, (upper.top + upper.bottom) / 2);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  EXPECT_EQ(host.Pixel((upper.left + upper.right) / 2, (upper.top + upper.bottom) / 2), expected);
  // A style change opens the style's parts again.
  CloseThemeData(view->scrollTheme);
  view->scrollTheme = nullptr;
  SendMessageW(host.window(), WM_THEMECHANGED, 0, 0);
  EXPECT_NE(view->scrollTheme, nullptr);
}

TEST_F(Paint, ScrollControlsLook) {
  if (view->scrollTheme) CloseThemeData(view->scrollTheme);
  view->scrollTheme = nullptr;  // as without a visual style: the classic look
  ScrollBarColour scrollBar(RGB(40, 90, 160));
  view->SetView(30'000, view->viewSpan, 0);
  host.Capture();
  const ScrollControlPane& control = view->hScroll;
  int y = (control.top + control.bottom) / 2;
  AxisSpan thumb = ThumbSpan(control.parts, view->viewStart, view->viewSpan, view->totalLength);
  EXPECT_EQ(control.thumbDrawn.begin, thumb.begin);
  EXPECT_EQ(control.thumbDrawn.end, thumb.end);
  // A checkered track before the thumb.
  int x = (control.parts.track.begin + thumb.begin) / 2;
  COLORREF a = host.Pixel(x, y), b = host.Pixel(x + 1, y);
  EXPECT_NE(a, b);
  EXPECT_TRUE(a == Sys(COLOR_SCROLLBAR) || a == Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_TRUE(b == Sys(COLOR_SCROLLBAR) || b == Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(host.Pixel(x, control.bottom - 1), Sys(COLOR_BTNFACE));
  // A raised thumb, face in the middle.
  EXPECT_EQ(host.Pixel((thumb.begin + thumb.end) / 2, y), Sys(COLOR_BTNFACE));
  // Plus and minus on the zoom buttons: both have the bar, only plus the stem.
  auto glyphOrigin = [&](const AxisSpan& s) {
    return POINT{(s.begin + s.end - 12) / 2, (control.top + control.bottom - 10) / 2};
  };
  POINT plus = glyphOrigin(control.parts.zoomIn), minus = glyphOrigin(control.parts.zoomOut);
  EXPECT_EQ(host.Pixel(plus.x + 5, plus.y + 4), Sys(COLOR_BTNTEXT));
  EXPECT_EQ(host.Pixel(plus.x + 5, plus.y + 1), Sys(COLOR_BTNTEXT));
  EXPECT_EQ(host.Pixel(minus.x + 5, minus.y + 4), Sys(COLOR_BTNTEXT));
  EXPECT_NE(host.Pixel(minus.x + 5, minus.y + 1), Sys(COLOR_BTNTEXT));
  // Flags 3: the corner box is a plain face.
  EXPECT_EQ(host.Pixel((control.parts.corner.begin + control.parts.corner.end) / 2, y), Sys(COLOR_BTNFACE));
}

}  // namespace
