// The velocity and controller lane (pane 8): values drawn with the left
// button and erased with the right through the lane kind's descriptor, the
// splitter at its top, and the velocities shown as a stem per note.
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "kvlib/ui_resources.h"
#include "mididata/edit_commit.h"
#include "mididata/lane_descriptor.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

enum LaneHit : uint32_t { kHitLaneElsewhere = 0, kHitSplitter = 1, kHitValues = 2 };
constexpr int32_t kSplitterBand = 6;

int CharHeight() { return std::max<int>(HIWORD(KvGetUIFontSize(110)), 1); }

RECT ValueArea(const TrackviewPane* lane) {
  return {lane->left, lane->top + kSplitterBand, lane->right - GetSystemMetrics(SM_CYVSCROLL), lane->bottom};
}

int32_t ValidKind(int32_t kind) { return kind >= 1000 && kind <= 1129 ? kind : 1128; }

int32_t PositionAt(const RECT& area, int y) {
  return std::clamp<int32_t>(area.bottom - y, 0, std::max<int32_t>(area.bottom - area.top, 0));
}

int64_t TicksPerPixel(Trackview* view) { return std::max<int64_t>(MulDivRound(view->viewSpan, 1, view->mapWidth), 1); }

void ShowValue(Trackview* view, const RECT& area, int y) {
  PianoRoll* roll = Roll(view);
  if (!roll->laneDescriptor) return;
  roll->laneValue = roll->laneDescriptor->ValueAt(PositionAt(area, y), area.bottom - area.top);
  wchar_t text[32];
  std::swprintf(text, 32, L"%d", roll->laneValue);
  if (std::wcscmp(text, roll->fieldText) != 0) {
    std::wcscpy(roll->fieldText, text);
    if (view->window && !IsRectEmpty(&roll->stripField)) InvalidateRect(view->window, &roll->stripField, FALSE);
  }
}

void InvalidateLane(Trackview* view) {
  TrackviewPane* lane = view->panes[kPaneLane];
  if (!view->window || lane->height <= 0) return;
  RECT r{lane->left, lane->top, lane->right, lane->bottom};
  InvalidateRect(view->window, &r, FALSE);
}

const kvchar* StrokeLabel(Trackview* view, bool erase, kvchar* buffer, int capacity) {
  wchar_t name[128] = {};
  Roll(view)->laneDescriptor->GetName(name, 128);
  std::swprintf(buffer, capacity, erase ? L"Erase MIDI %ls" : L"Draw MIDI %ls", name);
  return buffer;
}

void EndStroke(Trackview* view, bool erase, bool discard) {
  PianoRoll* roll = Roll(view);
  if (roll->laneDescriptor) roll->laneDescriptor->FinishStroke();
  wchar_t label[160];
  CommitPending(Store(view), roll->laneDescriptor ? StrokeLabel(view, erase, label, 160) : L"", discard);
  InvalidateNotes(roll);
  InvalidateLane(view);
  PostStateRefresh(view);
}

// One step of a stroke at the pointer: a line from the last point, or the
// span erased since it.
void Stroke(Trackview* view, POINT p, bool first) {
  PianoRoll* roll = Roll(view);
  LaneDescriptor* lane = roll->laneDescriptor;
  if (!lane) return;
  RECT area = ValueArea(view->panes[kPaneLane]);
  int64_t t = view->XToTime(p.x);
  int32_t position = PositionAt(area, p.y);
  int64_t from = first ? t : roll->laneTime;
  bool shift = KeyHeld(VK_SHIFT);
  if (view->dragMode == kRollLaneDrawing) {
    lane->DrawLine(first ? position : roll->lanePosition, position, area.bottom - area.top, from, t,
                   TicksPerPixel(view), shift);
  } else {
    lane->EraseSpan(std::min(from, t), std::max(from, t), TicksPerPixel(view), shift);
  }
  ShowValue(view, area, p.y);
  roll->laneTime = t;
  roll->lanePosition = position;
  InvalidateLane(view);
  InvalidateNotes(roll);
}

uint32_t HitTest(Trackview* view, TrackviewPane* pane, int x, int y) {
  if (y >= pane->top - 2 && y <= pane->top + 5) return kHitSplitter;
  RECT area = ValueArea(pane);
  POINT p{x, y};
  if (!PtInRect(&area, p)) return kHitLaneElsewhere;
  ShowValue(view, area, y);
  return kHitValues;
}

int Cursor(Trackview* view, TrackviewPane*, uint32_t hitCode) {
  switch (HitLocal(hitCode)) {
    case kHitSplitter: return 12;
    case kHitValues: return Roll(view)->laneDescriptor ? Roll(view)->laneDescriptor->GetCursor() : kArrowCursor;
    default: return kArrowCursor;
  }
}

void Cancel(Trackview* view) {
  PianoRoll* roll = Roll(view);
  // A cancelled stroke leaves nothing pending for the next gesture.
  if (view->dragMode == kRollLaneDrawing || view->dragMode == kRollErasing) EndStroke(view, false, true);
  if (view->dragMode == kRollLaneSplit) SetLaneHeight(roll, roll->rememberedLaneHeight);
  view->dragMode = 0;
  ClearHover(view);
  InvalidateAreas(view, kAreaAll);
  if (view->window && GetCapture() == view->window) ReleaseCapture();
  if (view->window) UpdateWindow(view->window);
}

LRESULT Message(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  PianoRoll* roll = Roll(view);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  uint32_t hit = HitLocal(view->hitCode);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (view->dragMode != 0) return 0;
      view->pressPoint = view->lastPoint = p;
      if (hit == kHitSplitter) {
        roll->rememberedLaneHeight = Prefs(view).laneHeight;
        view->dragMode = kRollPressed;
      } else if (hit == kHitValues && roll->laneDescriptor) {
        Store(view).pending().Clear();
        view->dragMode = kRollLaneDrawing;
        Stroke(view, p, true);
      } else {
        view->dragMode = kRollPressed;
      }
      SetCapture(view->window);
      return 0;
    case WM_MOUSEMOVE:
      if (view->dragMode == kRollPressed && HitLocal(view->hitCode) == kHitSplitter &&
          (std::abs(p.x - view->pressPoint.x) > view->dragThresholdX ||
           std::abs(p.y - view->pressPoint.y) > view->dragThresholdY)) {
        view->dragMode = kRollLaneSplit;
      }
      if (view->dragMode == kRollLaneSplit) {
        SetLaneHeight(roll, roll->rememberedLaneHeight + (view->pressPoint.y - p.y));
      } else if (view->dragMode == kRollLaneDrawing || view->dragMode == kRollErasing) {
        Stroke(view, p, false);
      }
      return 0;
    case WM_LBUTTONUP: {
      bool drawing = view->dragMode == kRollLaneDrawing;
      view->dragMode = 0;
      if (GetCapture() == view->window) ReleaseCapture();
      if (drawing) EndStroke(view, false, false);
      return 0;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (view->dragMode != 0 || hit != kHitValues || !roll->laneDescriptor) return 0;
      Store(view).pending().Clear();
      view->dragMode = kRollErasing;
      Stroke(view, p, true);
      if (!(wParam & MK_LBUTTON)) SetCapture(view->window);
      return 0;
    case WM_RBUTTONUP: {
      if (wParam & MK_LBUTTON) return 0;
      bool erasing = view->dragMode == kRollErasing;
      view->dragMode = 0;
      if (GetCapture() == view->window) ReleaseCapture();
      if (erasing) {
        EndStroke(view, true, false);
      } else {
        RequestContextMenu(view, p);
      }
      return 0;
    }
    case WM_CANCELMODE:
      Cancel(view);
      return 0;
    case WM_CONTEXTMENU:
      return 0;  // accepted; the lane has no menu of its own
    default:
      return 0;
  }
}

BOOL Create(Trackview* view, TrackviewPane*, int phase) {
  PianoRoll* roll = Roll(view);
  if (phase == 1) {
    delete roll->laneDescriptor;
    roll->laneDescriptor = nullptr;
    return TRUE;
  }
  roll->laneView.roll = roll;
  if (!roll->laneDescriptor) SetLaneKind(roll, Prefs(view).laneKind);
  return TRUE;
}

void Layout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  EditorPrefs& prefs = Prefs(view);
  int c = CharHeight();
  if (prefs.laneHeight != 0) prefs.laneHeight = std::clamp(prefs.laneHeight, 4 * c, 0x4000);
  int room = remaining->bottom - remaining->top;
  pane->left = remaining->left;
  pane->width = std::max<int>(remaining->right - remaining->left, 1);
  pane->height = 0;
  pane->top = remaining->bottom;
  if (prefs.laneHeight == 0 || room < 12 * c) return;
  pane->height = std::min(prefs.laneHeight + 5, room - 3 * c);
  pane->top = remaining->bottom - pane->height;
  remaining->bottom -= pane->height;
}

// Velocities: a stem per note from the bottom to its value, with a cap.
void PaintVelocities(Trackview* view, HDC dc, const RECT& area) {
  EventStore& store = Store(view);
  int64_t from = view->XToTime(area.left), to = view->XToTime(area.right);
  int32_t index = store.FirstIndexReaching(from);
  int height = area.bottom - area.top;
  HBRUSH stem = GetSysColorBrush(COLOR_BTNSHADOW), selected = GetSysColorBrush(COLOR_HIGHLIGHT);
  for (;;) {
    ItemPath path{};
    MidiEvent note{};
    if (store.FindInWindow(&index, &path, &note, from, to - from, kEvNoteOn, true, true) != S_OK) break;
    if (FAILED(store.ToDisplay(path, &note))) continue;
    int x = view->TimeToX(note.start);
    int y = area.bottom - height * note.data[1] / 127;
    HBRUSH brush = (note.flags & kEventSelected) ? selected : stem;
    RECT line{x, y, x + 1, area.bottom};
    FillRect(dc, &line, brush);
    RECT cap{x - 1, y - 1, x + 3, y + 2};
    FillRect(dc, &cap, brush);
  }
}

void GuideLines(HDC dc, const RECT& area) {
  int height = area.bottom - area.top;
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), face = GetSysColor(COLOR_BTNFACE);
  COLORREF mix = RGB((GetRValue(shadow) + 4 * GetRValue(face)) / 5, (GetGValue(shadow) + 4 * GetGValue(face)) / 5,
                     (GetBValue(shadow) + 4 * GetBValue(face)) / 5);
  static const int kOne[] = {64}, kThree[] = {32, 64, 96};
  bool three = height - 3 >= 6 * CharHeight();
  for (int i = 0; i < (three ? 3 : 1); ++i) {
    int value = three ? kThree[i] : kOne[i];
    int y = area.bottom - height * value / 127;
    SetBkColor(dc, mix);
    RECT line{area.left, y, area.right, y + 1};
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
  }
}

void Paint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT* clip) {
  PianoRoll* roll = Roll(view);
  RECT band{pane->left, pane->top, pane->right, pane->top + kSplitterBand};
  DrawEdge(dc, &band, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  RECT area = ValueArea(pane);
  if (area.right <= area.left || area.bottom <= area.top) return;
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_SCROLLBAR));
  COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &area, KvGetUIBrush(10001));
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  RECT rest{area.right, area.top, pane->right, pane->bottom};
  FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  bool velocity = roll->laneDescriptor && roll->laneDescriptor->GetKind() == 1128;
  if (velocity) {
    GuideLines(dc, area);
    PaintVelocities(view, dc, area);
  } else if (roll->laneDescriptor) {
    roll->laneDescriptor->Paint(dc, area, *clip);
    GuideLines(dc, area);
  }
  RECT frame = area;
  DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
}

}  // namespace

const PaneCallbacks kLaneCallbacks = {
    Create, Layout, HitTest, Message, Paint, Cursor, nullptr, nullptr, nullptr,
};

void SetLaneHeight(PianoRoll* roll, int32_t height) {
  EditorPrefs& prefs = roll->roll->prefs();
  const TrackviewPane* lane = roll->panes[kPaneLane];
  int c = CharHeight();
  int shared = roll->dataHeight + (lane ? lane->height : 0);
  // The lane takes its height and 5 pixels; the data area keeps 3 character heights.
  height = std::clamp(height, 4 * c, std::max(shared - 3 * c - 5, 4 * c));
  if (height == prefs.laneHeight) return;
  prefs.laneHeight = height;
  Relayout(roll, false);
  InvalidateAreas(roll, kAreaAll);
}

void SetLaneKind(PianoRoll* roll, int32_t kind) {
  kind = ValidKind(kind);
  std::unique_ptr<LaneDescriptor> lane = CreateLaneDescriptor(kind, roll->roll->store(), roll->laneView);
  if (!lane) return;
  delete roll->laneDescriptor;
  roll->laneDescriptor = lane.release();
  roll->roll->prefs().laneKind = kind;
  InvalidateAreas(roll, kAreaAll);
}

bool RollLaneView::SnapActive() {
  EditorPrefs& prefs = roll->roll->prefs();
  return prefs.snapEnabled && prefs.gridSwitch && roll->snapGrid >= 1.0;
}
int64_t RollLaneView::SnapDown(int64_t time) { return GridFloor(roll->snapGrid, time); }
int64_t RollLaneView::SnapUp(int64_t time) { return GridCeiling(roll->snapGrid, time); }
int64_t RollLaneView::GridLength() { return std::max<int64_t>(TruncToInt64(roll->snapGrid + 0.5), 1); }
uint32_t RollLaneView::TicksPerQuarter() { return roll->timeBase.ticksPerQuarter; }
int32_t RollLaneView::TimeToX(int64_t time) { return roll->TimeToX(time); }
int64_t RollLaneView::TimelineEnd() { return roll->totalLength; }
