// The keyboard header (pane 1): the position box, a piano keyboard lined up
// with the rows that plays the pressed keys, the width splitter, and beside
// the lane its value scale and the lane-kind button.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "kvlib/ui_resources.h"
#include "mididata/lane_descriptor.h"
#include "mididata/lane_menu.h"
#include "mididata/vocab_names.h"
#include "pianoroll/roll_internal.h"

namespace {

enum HeaderHit : uint32_t {
  kHitWidthSplitter = 1,
  kHitLaneSplitter = 6,
  kHitKey = 7,
  kHitPositionBox = 17,
  kHitBesideLane = 32,
  kHitLaneKind = 33,
  kHitBelowKeys = 64,
};

// Where a boundary between two white keys crosses a row, in sevenths of its
// height from the top, by pitch class (0: none).
constexpr int kWhiteSplit[12] = {7, 2, 0, 4, 0, 6, 1, 0, 3, 0, 5, 0};
constexpr uint8_t kKeyVelocity = 64;
constexpr int32_t kHeldDuration = 0x7FFFFFFF;

int KeyboardRight(const TrackviewPane* pane) { return pane->right - 6; }

int SplitY(Trackview* view, int32_t row, int k) {
  int32_t top = view->RowToY(row), height = view->RowToY(row + 1) - top;
  return top + height * k / 7 - (k == 7 ? 1 : 0);
}

// The key under a point: the row, or beside a black key the white key
// above or below it.
int32_t KeyAt(Trackview* view, TrackviewPane* pane, int x, int y) {
  int32_t row = view->YToRow(y);
  if (row < 0 || row >= kRollRows) return -1;
  int pitch = PitchOfRow(row);
  int width = KeyboardRight(pane) - pane->left;
  if (!RollSource::BlackKey(pitch) || x <= pane->left + (width + 1) * 3 / 5) return row;
  int k = kWhiteSplit[pitch % 12];
  return y < SplitY(view, row, k) ? std::max(row - 1, 0) : std::min(row + 1, kRollRows - 1);
}

// A key's note-off goes to the port its note-on went to, whatever the
// current port is by then.
void SendKey(Trackview* view, int32_t row, bool on) {
  EventStore& store = Store(view);
  int pitch = PitchOfRow(row);
  if (pitch < 0 || !store.CanSendEvents()) return;
  MidiEvent e{};
  e.port = on ? 0 : Roll(view)->heldPort;
  e.type = on ? kEvNoteOn : kEvNoteOff;
  e.timeFormat = kTimeTicks;
  e.duration = on ? kHeldDuration : 0;
  e.data[0] = static_cast<uint8_t>(pitch);
  e.data[1] = on ? kKeyVelocity : 0;
  store.SendEvent(&e, 0);
  if (on) Roll(view)->heldPort = e.port;
}

void InvalidateKeys(Trackview* view) { InvalidateAreas(view, kAreaNoData | kAreaHeader); }

void LaneTop(Trackview* view, int32_t* top, bool* shown) {
  const TrackviewPane* lane = view->panes[kPaneLane];
  *shown = lane && lane->height > 0;
  *top = *shown ? lane->top : view->dataRect.bottom;
}

void SetWidth(Trackview* view, int32_t width) {
  Prefs(view).keyboardWidth = std::clamp(width, 2, 0x4000);
  Relayout(view, false);
  InvalidateAreas(view, kAreaAll);
}

uint32_t HitTest(Trackview* view, TrackviewPane* pane, int x, int y) {
  PianoRoll* roll = Roll(view);
  int32_t laneTop;
  bool lane;
  LaneTop(view, &laneTop, &lane);
  if (lane && y >= laneTop - 1 && y <= laneTop + 5) return kHitLaneSplitter;
  if (x >= pane->right - 7 && x <= pane->right) return kHitWidthSplitter;
  if (y < view->dataRect.top) return kHitPositionBox;
  if (y >= view->dataRect.bottom) {
    POINT p{x, y};
    return PtInRect(&roll->laneKindButton, p) ? kHitLaneKind : kHitBesideLane;
  }
  int32_t row = KeyAt(view, pane, x, y);
  if (row < 0) return kHitBelowKeys;
  view->hitRow = row;
  return kHitKey;
}

int Cursor(Trackview*, TrackviewPane*, uint32_t hitCode) {
  switch (HitLocal(hitCode)) {
    case kHitLaneSplitter:
    case 2:
      return 12;
    case kHitWidthSplitter:
      return 11;
    default:
      return kArrowCursor;
  }
}

}  // namespace

void ReleaseKey(Trackview* view) {
  PianoRoll* roll = Roll(view);
  if (roll->heldRow < 0) return;
  SendKey(view, roll->heldRow, false);
  roll->heldRow = -1;
  InvalidateKeys(view);
}

namespace {

void ChooseLaneKind(Trackview* view) {
  PianoRoll* roll = Roll(view);
  OwnedMenu menu;
  if (FAILED(BuildLaneMenu(Store(view), Prefs(view).laneKind, &menu)) || !menu.get()) return;
  POINT at{roll->laneKindButton.left, roll->laneKindButton.bottom};
  ClientToScreen(view->window, &at);
  HWND window = view->window;
  UINT kind = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr);
  if (kind && StillAlive(window, roll)) SetLaneKind(roll, static_cast<int32_t>(kind));
}

void Press(Trackview* view, TrackviewPane* pane, POINT p) {
  PianoRoll* roll = Roll(view);
  view->pressPoint = view->lastPoint = p;
  uint32_t hit = HitLocal(view->hitCode);
  ClearHover(view);
  switch (hit) {
    case kHitWidthSplitter:
      roll->rememberedWidth = Prefs(view).keyboardWidth;
      view->dragMode = kRollPressed;
      break;
    case kHitLaneSplitter:
      roll->rememberedLaneHeight = Prefs(view).laneHeight;
      view->dragMode = kRollPressed;
      break;
    case kHitKey: {
      int32_t row = KeyAt(view, pane, p.x, p.y);
      if (row < 0) return;
      ReleaseKey(view);
      SendKey(view, row, true);
      roll->heldRow = row;
      InvalidateKeys(view);
      view->dragMode = kRollKeyHeld;
      break;
    }
    case kHitPositionBox:
      view->dragMode = p.x <= 20 ? kRollPressed : kRollInert;
      break;
    case kHitLaneKind:
      ChooseLaneKind(view);
      return;
    default:
      view->dragMode = kRollInert;
      break;
  }
  SetCapture(view->window);
}

void Move(Trackview* view, TrackviewPane* pane, POINT p, WPARAM keys) {
  PianoRoll* roll = Roll(view);
  switch (view->dragMode) {
    case kRollPressed: {
      int factor = (keys & MK_RBUTTON) ? 2 : 1;
      if (std::abs(p.x - view->pressPoint.x) <= view->dragThresholdX * factor &&
          std::abs(p.y - view->pressPoint.y) <= view->dragThresholdY * factor) {
        return;
      }
      if ((keys & MK_RBUTTON) && !(keys & MK_LBUTTON)) {
        view->dragMode = kRollInert;
        return;
      }
      uint32_t hit = HitLocal(view->hitCode);
      if (hit == kHitWidthSplitter) {
        view->dragMode = kRollWidthDrag;
      } else if (hit == kHitLaneSplitter) {
        view->dragMode = kRollLaneSplit;
      } else {
        InvalidateKeys(view);
        view->dragMode = kRollInert;
        return;
      }
      [[fallthrough]];
    }
    case kRollWidthDrag:
    case kRollLaneSplit:
      if (view->dragMode == kRollWidthDrag) {
        SetWidth(view, roll->rememberedWidth + (p.x - view->pressPoint.x));
      } else {
        SetLaneHeight(roll, roll->rememberedLaneHeight + (view->pressPoint.y - p.y));
      }
      return;
    case kRollKeyHeld: {
      int32_t row = KeyAt(view, pane, p.x, std::max<int>(p.y, view->dataRect.top));
      if (row < 0 || row == roll->heldRow) return;
      ReleaseKey(view);
      SendKey(view, row, true);
      roll->heldRow = row;
      InvalidateKeys(view);
      return;
    }
    default:
      return;
  }
}

void End(Trackview* view, bool cancelled) {
  PianoRoll* roll = Roll(view);
  if (cancelled && view->dragMode == kRollWidthDrag) SetWidth(view, roll->rememberedWidth);
  if (cancelled && view->dragMode == kRollLaneSplit) SetLaneHeight(roll, roll->rememberedLaneHeight);
  ReleaseKey(view);  // a held key always stops
  view->dragMode = 0;
  if (view->window && GetCapture() == view->window) ReleaseCapture();
}

LRESULT Message(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (view->dragMode == 0) Press(view, pane, p);
      return 0;
    case WM_MOUSEMOVE:
      if (view->dragMode != 0) Move(view, pane, p, wParam);
      return 0;
    case WM_LBUTTONUP:
      if (view->dragMode == kRollWidthDrag) SetWidth(view, Roll(view)->rememberedWidth + (p.x - view->pressPoint.x));
      End(view, false);
      return 0;
    case WM_RBUTTONDOWN:
      if (view->dragMode == 0 && !(wParam & MK_LBUTTON)) {
        view->pressPoint = p;
        view->dragMode = kRollPressed;
        SetCapture(view->window);
      }
      return 0;
    case WM_RBUTTONUP: {
      if (wParam & MK_LBUTTON) return 0;
      bool still = view->dragMode == kRollPressed;
      End(view, false);
      if (still) RequestContextMenu(view, p);
      return 0;
    }
    case WM_CANCELMODE:
      End(view, true);
      ClearHover(view);
      if (view->window) UpdateWindow(view->window);
      return 0;
    case WM_CONTEXTMENU:
      return 0;  // the header has no menu of its own
    default:
      return 0;
  }
}

BOOL Create(Trackview* view, TrackviewPane*, int phase) {
  if (phase == 1) {
    ReleaseKey(view);
  } else {
    Roll(view)->heldRow = -1;
  }
  return TRUE;
}

void Layout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  int32_t stored = Prefs(view).keyboardWidth;
  int width = stored < 2 || stored > 0x7FFFFFF9 ? 8 : stored + 6;
  int room = remaining->right - remaining->left;
  width = std::clamp(width, 0, std::max(room - 100, 0));
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = width;
  pane->height = remaining->bottom - remaining->top;
  remaining->left += width;
}

void Fill(HDC dc, RECT r, COLORREF colour) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void PaintPosition(Trackview* view, TrackviewPane* pane, HDC dc) {
  RECT box{pane->left, pane->top, pane->right, view->dataRect.top};
  if (box.bottom <= box.top) return;
  DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
  RECT text{box.left + 12, box.top + 2, box.right - 4, box.bottom - 2};
  wchar_t buffer[33] = {};
  int length = view->hooks && view->hooks->timeText ? view->hooks->timeText(view, view->cursorPos, buffer, 33) : 0;
  length = std::clamp(length, 0, 32);
  for (int font : {129, 104, 110}) {
    HGDIOBJ old = SelectObject(dc, KvGetUIFont(font));
    SIZE size{};
    GetTextExtentPoint32W(dc, buffer, length, &size);
    int zero = LOWORD(KvGetUIFontSize(font));
    bool fits = size.cy <= text.bottom - text.top && size.cx + zero <= text.right - text.left;
    if (fits) {
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      SetBkMode(dc, TRANSPARENT);
      RECT r{text.left, text.top, text.right - zero, text.bottom};
      DrawTextW(dc, buffer, length, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      return;
    }
    SelectObject(dc, old);
  }
}

void PaintKeys(Trackview* view, TrackviewPane* pane, HDC dc) {
  PianoRoll* roll = Roll(view);
  const TvRect& d = view->dataRect;
  int left = pane->left, right = KeyboardRight(pane);
  int blackRight = left + (right - left) * 3 / 5;
  SaveDC(dc);
  IntersectClipRect(dc, left, d.top, right, d.bottom);
  int lastBottom = d.top;
  int fontHeight = HIWORD(KvGetUIFontSize(100)), small = HIWORD(KvGetUIFontSize(110));
  int charWidth = LOWORD(KvGetUIFontSize(100));
  for (int32_t row = view->firstRow; row < kRollRows; ++row) {
    int top = view->RowToY(row), bottom = view->RowToY(row + 1);
    if (top >= d.bottom) break;
    lastBottom = bottom;
    int pitch = PitchOfRow(row);
    bool black = RollSource::BlackKey(pitch), held = roll->heldRow == row;
    if (black) {
      Fill(dc, {left, top, blackRight, bottom}, held ? RGB(128, 128, 128) : RGB(0, 0, 0));
      if (bottom - top > 6) Fill(dc, {left + 1, top + 1, blackRight - 1, top + 2}, RGB(192, 192, 192));
      int k = kWhiteSplit[pitch % 12], split = SplitY(view, row, k);
      bool aboveHeld = roll->heldRow == row - 1, belowHeld = roll->heldRow == row + 1;
      Fill(dc, {blackRight, top, right, split}, aboveHeld ? RGB(224, 224, 224) : RGB(255, 255, 255));
      Fill(dc, {blackRight, split, right, bottom}, belowHeld ? RGB(224, 224, 224) : RGB(255, 255, 255));
      Fill(dc, {blackRight, split, right, split + 1}, RGB(0, 0, 0));
    } else {
      Fill(dc, {left, top, right, bottom}, held ? RGB(224, 224, 224) : RGB(255, 255, 255));
      int k = kWhiteSplit[pitch % 12];
      if (k) {
        int split = SplitY(view, row, k);
        Fill(dc, {left, split, right, split + 1}, RGB(0, 0, 0));
      }
    }
    RECT edge{left, top, right, bottom};
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RIGHT);
    if (pitch == 60) {
      POINT mark[3] = {{right - 2, top + 1}, {right - 2, top + 8}, {right - 6, top + 4}};
      HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
      HGDIOBJ oldBrush = SelectObject(dc, grey);
      HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
      Polygon(dc, mark, 3);
      SelectObject(dc, oldPen);
      SelectObject(dc, oldBrush);
      DeleteObject(grey);
    }
  }
  // The names of the Cs, over the keys.
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int32_t row = view->firstRow; row < kRollRows; ++row) {
    int top = view->RowToY(row), bottom = view->RowToY(row + 1);
    if (top >= d.bottom) break;
    int pitch = PitchOfRow(row);
    if (pitch % 12 != 0) continue;
    wchar_t name[8];
    NoteName(pitch, false, name, 8);
    int length = static_cast<int>(wcslen(name));
    RECT box{right - 2 - 4 * charWidth, top, right - 2, bottom};
    if (bottom - top >= fontHeight + 2) {
      HGDIOBJ old = SelectObject(dc, KvGetUIFont(100));
      DrawTextW(dc, name, length, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
    } else if ((bottom - top) * 3 / 2 >= small) {
      box.top = top - (bottom - top) / 4;
      box.bottom = bottom + (bottom - top) / 4;
      HGDIOBJ old = SelectObject(dc, KvGetUIFont(110));
      DrawTextW(dc, name, length, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
    }
  }
  Fill(dc, {left, lastBottom, right, d.bottom}, GetSysColor(COLOR_BTNFACE));
  RestoreDC(dc, -1);
  RECT frame{left, d.top, right, d.bottom};
  DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
}

void PaintBesideLane(Trackview* view, TrackviewPane* pane, HDC dc) {
  PianoRoll* roll = Roll(view);
  const TrackviewPane* lane = view->panes[kPaneLane];
  roll->laneKindButton = {};
  if (!lane || lane->height <= 0) return;
  RECT area{pane->left, view->dataRect.bottom + 5, KeyboardRight(pane), lane->bottom};
  if (area.bottom <= area.top) return;
  Fill(dc, {pane->left, view->dataRect.bottom, pane->right, lane->bottom}, GetSysColor(COLOR_BTNFACE));
  DrawEdge(dc, &area, EDGE_SUNKEN, BF_RECT);
  InflateRect(&area, -2, -2);
  HGDIOBJ old = SelectObject(dc, KvGetUIFont(110));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  int h = HIWORD(KvGetUIFontSize(110));
  int height = area.bottom - area.top;
  bool bend = Prefs(view).laneKind == 1129;
  static const int kFew[] = {0, 64, 127}, kMany[] = {0, 32, 64, 96, 127};
  static const int kBendFew[] = {-8192, 0, 8191}, kBendMany[] = {-8192, -4096, 0, 4096, 8191};
  bool many = height >= 6 * h;
  int marks = many ? 5 : 3;
  for (int i = 0; i < marks; ++i) {
    int position = many ? kMany[i] : kFew[i];
    int label = bend ? (many ? kBendMany[i] : kBendFew[i]) : position;
    int y = area.bottom - height * position / 127;
    wchar_t text[8];
    int length = wsprintfW(text, L"%d", label);
    int top = i == 0 ? y - h : i == marks - 1 ? y : y - h / 2;
    RECT box{area.left, top, area.right - 6, top + h};
    DrawTextW(dc, text, length, &box, DT_RIGHT | DT_SINGLELINE | DT_NOCLIP);
    if (i > 0 && i < marks - 1) {
      Fill(dc, {area.right - 5, y, area.right, y + 1}, GetSysColor(COLOR_WINDOWFRAME));
      Fill(dc, {area.right - 5, y + 1, area.right, y + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
  }
  SelectObject(dc, old);
  // The lane-kind button: a drop-down mark and the kind's name.
  wchar_t name[128] = {};
  LaneName(Prefs(view).laneKind, name, 128);
  HGDIOBJ oldFont = SelectObject(dc, KvGetUIFont(100));
  RECT button{area.left + 2, area.top + 7, area.right - 6 * LOWORD(KvGetUIFontSize(110)), area.top + 7 + h + 4};
  if (button.right > button.left + 10) {
    POINT arrow[3] = {{button.left, button.top + 4}, {button.left + 7, button.top + 4}, {button.left + 3, button.top + 8}};
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Polygon(dc, arrow, 3);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
    RECT text{button.left + 10, button.top, button.right, button.bottom};
    DrawTextW(dc, name, -1, &text, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    roll->laneKindButton = button;
  }
  SelectObject(dc, oldFont);
}

void Paint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
  Fill(dc, {pane->left, pane->top, pane->right, pane->bottom}, GetSysColor(COLOR_BTNFACE));
  PaintPosition(view, pane, dc);
  PaintKeys(view, pane, dc);
  Fill(dc, {pane->right - 1, pane->top, pane->right, view->dataRect.bottom}, GetSysColor(COLOR_BTNSHADOW));
  PaintBesideLane(view, pane, dc);
}

}  // namespace

const PaneCallbacks kHeaderCallbacks = {
    Create, Layout, HitTest, Message, Paint, Cursor, nullptr, nullptr, nullptr,
};
