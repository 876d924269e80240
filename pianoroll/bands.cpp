// The band of the Zoom tool and of the Selection tool's band selection: a
// dotted rectangle from the press to the pointer, constrained to time, to
// rows or to neither; a zoom band becomes the view, a selection band
// selects the notes inside it as it moves.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

constexpr int kZoomSlack = 10;

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

int32_t ClampedRow(Trackview* view, int y) {
  const TvRect& d = view->dataRect;
  int32_t row = view->YToRow(std::clamp<int>(y, d.top, d.bottom - 1));
  return std::clamp(row, 0, std::max(view->rowCount - 1, 0));
}

void InvalidateBand(Trackview* view) {
  PianoRoll* roll = Roll(view);
  if (!view->window || IsRectEmpty(&roll->bandRect)) return;
  RECT r = roll->bandRect;
  InflateRect(&r, 1, 1);
  InvalidateRect(view->window, &r, FALSE);
}

void PlaceBand(Trackview* view, POINT p) {
  PianoRoll* roll = Roll(view);
  const TvRect& d = view->dataRect;
  InvalidateBand(view);
  RECT r{std::min(view->pressPoint.x, p.x), std::min(view->pressPoint.y, p.y), std::max(view->pressPoint.x, p.x) + 1,
         std::max(view->pressPoint.y, p.y) + 1};
  if (roll->bandConstraint == 1) {
    r.top = d.top;
    r.bottom = d.bottom;
  } else if (roll->bandConstraint == 2) {
    r.left = d.left;
    r.right = d.right;
  }
  roll->bandRect = r;
  InvalidateBand(view);
}

// The range between the press and the pointer under the band's constraint;
// the press itself stays the band's anchor whatever the constraint.
void SelectInBand(Trackview* view, POINT p) {
  PianoRoll* roll = Roll(view);
  int32_t row = ClampedRow(view, p.y);
  int64_t t = view->XToTime(p.x);
  roll->rangeRow = roll->bandRow;
  roll->rangeTime = roll->bandTime;
  if (roll->bandConstraint == 1) {
    roll->rangeRow = 0;
    row = std::max(view->rowCount - 1, 0);
  } else if (roll->bandConstraint == 2) {
    roll->rangeTime = 0;
    t = std::max<int64_t>(view->totalLength, 1);
  }
  SelectRangeTo(view, row, t);
}

void EndBand(Trackview* view, POINT p, bool zoom) {
  PianoRoll* roll = Roll(view);
  view->dragMode = 0;  // before the capture goes: losing it is no cancel now
  InvalidateBand(view);
  roll->bandVisible = false;
  roll->bandRect = {};
  if (roll->bandPen) DeleteObject(roll->bandPen);
  roll->bandPen = nullptr;
  if (view->window && GetCapture() == view->window) ReleaseCapture();
  if (zoom) {
    bool moved = std::abs(p.x - view->pressPoint.x) > kZoomSlack || std::abs(p.y - view->pressPoint.y) > kZoomSlack;
    if (moved) {
      if (roll->bandConstraint != 2) {
        int64_t a = roll->pressTime, b = view->XToTime(p.x);
        view->ZoomToRange(std::min(a, b), SatSub(std::max(a, b), std::min(a, b)));
      }
      if (roll->bandConstraint != 1) {
        int32_t a = roll->bandRow, b = ClampedRow(view, p.y);
        int32_t top = std::min(a, b), rows = std::abs(a - b) + 1;
        view->SetVertView(top * kRowUnits, rows * kRowUnits, kVertNewSpan);
      }
    } else if (view->flags & kTvDoubleClick) {
      ZoomHorizontal(view, kZoomWhole);
      ZoomVertical(view, kZoomWhole);
    }
  }
  int back = view->returnTool;
  if (back >= 0 && back < kToolCount) {
    SelectRollTool(view, back);
    PostStateRefresh(view);
  }
  view->dragMode = 0;
  StopAutoScroll(view);
  InvalidateNotes(roll);
}

}  // namespace

void StartBand(Trackview* view, POINT p, bool selection) {
  PianoRoll* roll = Roll(view);
  roll->bandConstraint = 0;
  roll->bandVisible = true;
  if (!roll->bandPen) roll->bandPen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  roll->pressTime = view->XToTime(view->pressPoint.x);
  roll->bandRow = ClampedRow(view, view->pressPoint.y);
  roll->bandTime = roll->pressTime;
  view->dragMode = selection ? kRollRange : kRollBandZoom;
  if (selection) {
    ResetRangeSelection(view);
    SelectInBand(view, p);
  }
  PlaceBand(view, p);
  SetCapture(view->window);
}

void BandStep(Trackview* view, TrackviewPane* pane, POINT p) {
  view->lastPoint = p;
  if (view->dragMode == kRollRange) SelectInBand(view, p);
  PlaceBand(view, p);
  const TvRect& d = view->dataRect;
  StartAutoScroll(view, pane, p, RECT{d.left, d.top, d.right, d.bottom}, RECT{}, kScrollHorizontal | kScrollVertical);
}

void CycleBandConstraint(Trackview* view) {
  PianoRoll* roll = Roll(view);
  roll->bandConstraint = (roll->bandConstraint + 1) % 3;
  PlaceBand(view, view->lastPoint);
}

void FinishBand(Trackview* view, POINT p, bool zoom) { EndBand(view, p, zoom); }

void PaintBand(PianoRoll* roll, HDC dc) {
  if (!roll->bandVisible || !roll->bandPen) return;
  HGDIOBJ oldPen = SelectObject(dc, roll->bandPen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  int oldBack = SetBkMode(dc, TRANSPARENT);
  const RECT& r = roll->bandRect;
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SetBkMode(dc, oldBack);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

LRESULT ZoomToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p = PointOf(lParam);
  bool banding = view->dragMode == kRollBandZoom;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (view->dragMode != 0) return 0;
      if (msg == WM_LBUTTONDBLCLK) {
        view->flags |= kTvDoubleClick;
      } else {
        view->flags &= ~kTvDoubleClick;
      }
      view->pressPoint = view->lastPoint = p;
      StartBand(view, p, false);
      return 0;
    case WM_MOUSEMOVE:
      if (!banding) return SharedToolMessage(view, pane, msg, wParam, lParam);
      AutoScrollMouse(view, msg);
      view->lastPoint = p;
      BandStep(view, pane, p);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (banding && (wParam & MK_LBUTTON)) {
        CycleBandConstraint(view);
        return 0;
      }
      return SharedToolMessage(view, pane, msg, wParam, lParam);
    case WM_RBUTTONUP:
      if (banding) return 0;
      return SharedToolMessage(view, pane, msg, wParam, lParam);
    case WM_LBUTTONUP:
      if (banding) EndBand(view, p, true);
      return 0;
    case WM_CANCELMODE:
      if (banding) EndBand(view, view->lastPoint, false);
      return SharedToolMessage(view, pane, msg, wParam, lParam);
    case kMsgAutoScrollStep:
      if (banding) {
        BandStep(view, pane, p);
        return 0;
      }
      return SharedToolMessage(view, pane, msg, wParam, lParam);
    default:
      return SharedToolMessage(view, pane, msg, wParam, lParam);
  }
}
