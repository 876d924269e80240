// The look of the scroll-and-zoom controls: a checkered track, a raised
// thumb with grips at its zoom handles, flat arrows and the zoom buttons;
// the track, thumb and arrows in the visual style's scroll bar parts when a
// style is active.
#include <windows.h>

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

#include "kvlib/ui_resources.h"
#include "trackview/gdi.h"
#include "trackview/scroll_control.h"

namespace {

constexpr int kCheckerBrush = 10001;

void PaintTrack(HDC dc, const ScrollControlPane* pane, const ControlAxis& axis) {
  RECT track = axis.PartRect(pane, pane->parts.track);
  if (IsRectEmpty(&track)) return;
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_SCROLLBAR));
  COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &track, KvGetUIBrush(kCheckerBrush));
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  // The outer edge: the bottom of the horizontal control, the right of the vertical.
  RECT edge = track;
  if (axis.horizontal) {
    edge.top = edge.bottom - 1;
  } else {
    edge.left = edge.right - 1;
  }
  FillSysColour(dc, edge, COLOR_BTNFACE);
}

bool ThumbPressed(const ScrollControlPane* pane) { return pane->pressed >= kPartNearHandle; }

void PaintThemedTrack(HANDLE theme, HDC dc, const ScrollControlPane* pane, const ControlAxis& axis,
                      const AxisSpan& thumb) {
  const AxisSpan& track = pane->parts.track;
  const struct {
    AxisSpan span;
    int part, pressedPart;
  } halves[] = {
      {{track.begin, std::min(thumb.begin, track.end)}, axis.horizontal ? SBP_LOWERTRACKHORZ : SBP_LOWERTRACKVERT,
       kPartPageLess},
      {{std::max(thumb.end, track.begin), track.end}, axis.horizontal ? SBP_UPPERTRACKHORZ : SBP_UPPERTRACKVERT,
       kPartPageMore},
  };
  for (const auto& half : halves) {
    RECT rect = axis.PartRect(pane, half.span);
    if (IsRectEmpty(&rect)) continue;
    int state = pane->pressed == half.pressedPart ? SCRBS_PRESSED : SCRBS_NORMAL;
    DrawThemeBackground(theme, dc, half.part, state, &rect, nullptr);
  }
}

void PaintThumb(HDC dc, HANDLE theme, ScrollControlPane* pane, const ControlAxis& axis, const AxisSpan& thumb) {
  pane->thumbDrawn = thumb;
  RECT rect = axis.PartRect(pane, thumb);
  if (IsRectEmpty(&rect)) return;
  if (theme) {
    int part = axis.horizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT;
    DrawThemeBackground(theme, dc, part, ThumbPressed(pane) ? SCRBS_PRESSED : SCRBS_NORMAL, &rect, nullptr);
  } else {
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  if (pane->flags & kPaneNoZoomHandles) return;
  int inset = std::min((thumb.Length() - 3) / 2, kZoomHandle);
  if (inset <= 0) return;
  // A highlight and a shadow line at each zoom handle.
  const struct {
    int at;
    int colour;
  } grips[] = {
      {thumb.begin + inset, COLOR_BTNHIGHLIGHT},
      {thumb.begin + inset + 1, COLOR_BTNSHADOW},
      {thumb.end - inset - 2, COLOR_BTNHIGHLIGHT},
      {thumb.end - inset - 1, COLOR_BTNSHADOW},
  };
  for (const auto& grip : grips) {
    RECT line = axis.PartRect(pane, {grip.at, grip.at + 1});
    if (axis.horizontal) {
      InflateRect(&line, 0, -3);
    } else {
      InflateRect(&line, -3, 0);
    }
    FillSysColour(dc, line, grip.colour);
  }
}

void PaintButton(HDC dc, const RECT& rect, bool pushed) {
  RECT face = rect;
  DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
}

// The arrow states of the style: normal, and pressed two further on.
int ArrowState(const ControlAxis& axis, bool less, bool pushed) {
  int normal = axis.horizontal ? (less ? ABS_LEFTNORMAL : ABS_RIGHTNORMAL) : (less ? ABS_UPNORMAL : ABS_DOWNNORMAL);
  return pushed ? normal + 2 : normal;
}

void PaintParts(HDC dc, HANDLE theme, const ScrollControlPane* pane, const ControlAxis& axis) {
  const ScrollParts& parts = pane->parts;
  auto pushed = [pane](int part) { return pane->pressed == part; };
  struct Arrow {
    const AxisSpan& span;
    int part;
    UINT kind;
  };
  const Arrow arrows[] = {
      {parts.lessArrow, kPartLessArrow, axis.horizontal ? UINT{DFCS_SCROLLLEFT} : UINT{DFCS_SCROLLUP}},
      {parts.moreArrow, kPartMoreArrow, axis.horizontal ? UINT{DFCS_SCROLLRIGHT} : UINT{DFCS_SCROLLDOWN}},
  };
  for (const Arrow& arrow : arrows) {
    RECT rect = axis.PartRect(pane, arrow.span);
    if (IsRectEmpty(&rect)) continue;
    if (theme) {
      int state = ArrowState(axis, arrow.part == kPartLessArrow, pushed(arrow.part));
      DrawThemeBackground(theme, dc, SBP_ARROWBTN, state, &rect, nullptr);
      continue;
    }
    DrawFrameControl(dc, &rect, DFC_SCROLL, arrow.kind | DFCS_FLAT | (pushed(arrow.part) ? DFCS_PUSHED : 0));
  }
  COLORREF text = GetSysColor(COLOR_BTNTEXT);
  RECT zoomIn = axis.PartRect(pane, parts.zoomIn);
  if (!IsRectEmpty(&zoomIn)) {
    PaintButton(dc, zoomIn, pushed(kPartZoomIn));
    DrawGlyph(dc, zoomIn, kGlyphPlus, text);
  }
  RECT slider = axis.PartRect(pane, parts.slider);
  if (!IsRectEmpty(&slider)) PaintButton(dc, slider, pushed(kPartZoomSlider));
  RECT zoomOut = axis.PartRect(pane, parts.zoomOut);
  if (!IsRectEmpty(&zoomOut)) {
    PaintButton(dc, zoomOut, pushed(kPartZoomOut));
    DrawGlyph(dc, zoomOut, kGlyphMinus, text);
  }
  RECT corner = axis.PartRect(pane, parts.corner);
  if (IsRectEmpty(&corner)) return;
  switch (pane->flags & kPaneCornerMask) {
    case 1:
      PaintButton(dc, corner, pushed(kPartCorner));
      break;
    case 4:
      PaintButton(dc, corner, pushed(kPartCorner));
      DrawGlyph(dc, corner, kGlyphArrows, text);
      break;
    default:
      FillSysColour(dc, corner, COLOR_BTNFACE);
  }
}

}  // namespace

void PaintScrollControl(Trackview* view, ScrollControlPane* pane, HDC dc, bool horizontal) {
  ControlAxis axis{horizontal};
  HANDLE theme = view->scrollTheme;
  AxisSpan thumb = CurrentThumb(view, pane, horizontal);
  if (theme) {
    PaintThemedTrack(theme, dc, pane, axis, thumb);
  } else {
    PaintTrack(dc, pane, axis);
  }
  PaintThumb(dc, theme, pane, axis, thumb);
  PaintParts(dc, theme, pane, axis);
}
