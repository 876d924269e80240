// The transport strip at the bottom (pane 10): loop, play, pause, stop and
// go-to buttons, and a field naming the note under the pointer.
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "kvlib/module.h"
#include "kvlib/ui_resources.h"
#include "mididata/vocab_names.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

constexpr StripEntry kEntries[kStripEntries] = {
    {9, kCmdLoopPlayback, 10027, {}}, {-1, 0, 0, {}},        {10, 4020, 10020, {}},
    {11, 4021, 10021, {}},            {12, 4022, 10023, {}}, {13, 4023, 10022, {}},
    {-1, 0, 0, {}},                   {14, 4024, 10024, {}}, {15, 4025, 10025, {}},
};
constexpr UINT kFieldTip = 10039;
constexpr uint32_t kFieldHit = 2, kButtonBase = 127;

bool IsSeparator(const StripEntry& e) { return e.command == 0; }

bool Enabled(PianoRoll* roll, const StripEntry& e) {
  bool transport = e.command >= 4020 && e.command <= 4023;
  return !transport || roll->roll->transportAvailable;
}

SIZE ImageSize(PianoRoll* roll) {
  return roll->imageSize.cx > 0 ? roll->imageSize : SIZE{16, 16};
}

void Layout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  PianoRoll* roll = Roll(view);
  int fontSize = KvGetUIFontSize(100);
  int c = std::max(LOWORD(fontSize), WORD{1}), h = HIWORD(fontSize);
  int height = std::min<int>(h + 16, remaining->bottom - remaining->top);
  pane->left = remaining->left;
  pane->width = remaining->right - remaining->left;
  pane->height = std::max(height, 0);
  pane->top = remaining->bottom - pane->height;
  remaining->bottom -= pane->height;
  roll->stripField = {};
  std::copy(std::begin(kEntries), std::end(kEntries), roll->stripEntries);
  if (pane->height <= 0) return;

  int top = pane->top, bottom = pane->top + pane->height;
  wchar_t text[64];
  int length = roll->roll->TimeText(SatAdd(view->totalLength, view->totalLength), false, text, 64);
  int fieldWidth = std::max(10 * c, length * c) + 6;
  int inset = c / 2;
  if (pane->width - 2 * inset >= fieldWidth) {
    int fieldBottom = bottom - (pane->height - h - 4) / 2;
    int right = pane->left + pane->width - inset;
    roll->stripField = {right - fieldWidth, fieldBottom - (h + 4), right, fieldBottom};
  }
  SIZE image = ImageSize(roll);
  int buttonTop = top + (pane->height - image.cy - 6) / 2;
  int x = pane->left + inset;
  int limit = roll->stripField.right > 0 ? roll->stripField.left : pane->left + pane->width - inset;
  for (StripEntry& e : roll->stripEntries) {
    int width = IsSeparator(e) ? 8 : image.cx + 8;
    if (limit - x < image.cx + 8) width = 0;
    e.box = {x, buttonTop, x + width, buttonTop + (width ? image.cy + 6 : 0)};
    x += width;
  }
}

uint32_t HitTest(Trackview* view, TrackviewPane*, int x, int y) {
  PianoRoll* roll = Roll(view);
  POINT p{x, y};
  wchar_t tip[kTipTextLength] = {};
  uint32_t code = 0;
  UINT tipId = 0;
  if (PtInRect(&roll->stripField, p)) {
    code = kFieldHit;
    tipId = kFieldTip;
  }
  for (int i = 0; i < kStripEntries && !code; ++i) {
    const StripEntry& e = roll->stripEntries[i];
    if (IsSeparator(e) || IsRectEmpty(&e.box) || !PtInRect(&e.box, p)) continue;
    code = Enabled(roll, e) ? kButtonBase + i + 1 : kButtonBase;
    tipId = e.tip;
  }
  if (tipId && LoadStringW(KvModule_Handle(), tipId, tip, kTipTextLength) > 0) {
    if (std::wcscmp(tip, view->tipText) != 0) {
      std::wcsncpy(view->tipText, tip, kTipTextLength - 1);
      view->tipText[kTipTextLength - 1] = L'\0';
      view->flags |= kTvTipChanged;
    }
    view->flags |= kTvTipText;
  }
  return code;
}

int EntryAt(PianoRoll* roll, POINT p) {
  for (int i = 0; i < kStripEntries; ++i) {
    const StripEntry& e = roll->stripEntries[i];
    if (!IsSeparator(e) && !IsRectEmpty(&e.box) && PtInRect(&e.box, p) && Enabled(roll, e)) return i + 1;
  }
  return 0;
}

void InvalidateEntry(Trackview* view, int entry) {
  if (entry <= 0 || !view->window) return;
  RECT box = Roll(view)->stripEntries[entry - 1].box;
  InvalidateRect(view->window, &box, FALSE);
}

LRESULT Message(Trackview* view, TrackviewPane*, UINT msg, WPARAM, LPARAM lParam) {
  PianoRoll* roll = Roll(view);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      roll->stripPressed = EntryAt(roll, p);
      roll->stripPressedInside = roll->stripPressed != 0;
      SetCapture(view->window);
      InvalidateEntry(view, roll->stripPressed);
      return 0;
    case WM_MOUSEMOVE: {
      int under = EntryAt(roll, p);
      if (roll->stripPressed) {
        bool inside = under == roll->stripPressed;
        if (inside != roll->stripPressedInside) {
          roll->stripPressedInside = inside;
          InvalidateEntry(view, roll->stripPressed);
        }
      } else if (GetCapture() != view->window && under) {
        SetHover(view, kPaneTransport, static_cast<uint32_t>(under), roll->stripEntries[under - 1].box, nullptr,
                 nullptr);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      int pressed = roll->stripPressed;
      bool inside = pressed && EntryAt(roll, p) == pressed;
      roll->stripPressed = 0;
      if (GetCapture() == view->window) ReleaseCapture();
      InvalidateEntry(view, pressed);
      if (inside && view->window) {
        UINT command = roll->stripEntries[pressed - 1].command;
        SendMessageW(GetParent(view->window), WM_COMMAND, 0x30000 + command, 0);
      }
      return 0;
    }
    case WM_CANCELMODE:
      InvalidateEntry(view, roll->stripPressed);
      roll->stripPressed = 0;
      if (GetCapture() == view->window) ReleaseCapture();
      return 0;
    case WM_RBUTTONUP:
      RequestContextMenu(view, p);
      return 0;
    default:
      return 0;
  }
}

// A drawn symbol for a button whose image list is missing.
void DrawSymbol(HDC dc, const RECT& box, UINT command, COLORREF colour) {
  int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2, s = 4;
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  auto rect = [&](int l, int t, int r, int b) {
    RECT area{l, t, r, b};
    FillRect(dc, &area, brush);
  };
  auto triangle = [&](int x0, int dir) {
    POINT pts[3] = {{x0, cy - s}, {x0, cy + s + 1}, {x0 + dir * (s + 1), cy}};
    Polygon(dc, pts, 3);
  };
  switch (command) {
    case 4020: rect(cx - s - 1, cy - s, cx - s + 1, cy + s + 1); triangle(cx - s + 2, 1); break;
    case 4021: triangle(cx - s / 2, 1); break;
    case 4022: rect(cx - 3, cy - s, cx - 1, cy + s + 1); rect(cx + 1, cy - s, cx + 3, cy + s + 1); break;
    case 4023: rect(cx - s, cy - s, cx + s, cy + s); break;
    case 4024: rect(cx - s, cy - s, cx - s + 2, cy + s + 1); triangle(cx + s, -1); break;
    case 4025: triangle(cx - s, 1); rect(cx + s - 1, cy - s, cx + s + 1, cy + s + 1); break;
    default:  // loop: an open ring with an arrow head
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      { HPEN pen = CreatePen(PS_SOLID, 2, colour); HGDIOBJ p = SelectObject(dc, pen);
        Arc(dc, cx - s - 1, cy - s, cx + s + 1, cy + s, cx + s, cy - s, cx + s, cy);
        SelectObject(dc, p); DeleteObject(pen); }
      break;
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

void Paint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
  PianoRoll* roll = Roll(view);
  RECT r{pane->left, pane->top, pane->right, pane->bottom};
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_TOP | BF_MIDDLE);
  if (!IsRectEmpty(&roll->stripField)) {
    RECT field = roll->stripField;
    DrawEdge(dc, &field, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
    HGDIOBJ old = SelectObject(dc, KvGetUIFont(100));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    RECT inside = field;
    InflateRect(&inside, -2, -2);
    ExtTextOutW(dc, inside.right, inside.top, ETO_CLIPPED, &inside, roll->fieldText,
                static_cast<UINT>(std::wcslen(roll->fieldText)), nullptr);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SelectObject(dc, old);
  }
  SIZE image = ImageSize(roll);
  for (int i = 0; i < kStripEntries; ++i) {
    const StripEntry& e = roll->stripEntries[i];
    RECT box = e.box;
    if (IsRectEmpty(&box)) continue;
    if (IsSeparator(e)) {
      RECT line{box.left + 3, box.top + 2, box.left + 5, box.bottom - 2};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
      continue;
    }
    bool enabled = Enabled(roll, e);
    bool pushed = roll->stripPressed == i + 1 && roll->stripPressedInside;
    bool checked = e.command == kCmdLoopPlayback && IsLoopPlayback(view);
    if (pushed || checked) DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    int x = box.left + (box.right - box.left - image.cx) / 2 + (pushed ? 1 : 0);
    int y = box.top + (box.bottom - box.top - image.cy) / 2 + (pushed ? 1 : 0);
    bool hot = view->hoverPane == kPaneTransport && view->hoverCode == static_cast<uint32_t>(i + 1);
    HIMAGELIST list = roll->images[!enabled ? 2 : hot ? 1 : 0];
    if (list && e.image >= 0) {
      ImageList_Draw(list, e.image, dc, x, y, ILD_TRANSPARENT);
    } else {
      RECT glyph{x, y, x + image.cx, y + image.cy};
      DrawSymbol(dc, glyph, e.command, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    }
  }
}

}  // namespace

const PaneCallbacks kStripCallbacks = {
    nullptr, Layout, HitTest, Message, Paint, [](Trackview*, TrackviewPane*, uint32_t) { return kArrowCursor; },
    nullptr, nullptr, nullptr,
};

void UpdateStripField(PianoRoll* roll) {
  wchar_t text[32] = {};
  if (roll->hitRow >= 0) NoteName(PitchOfRow(roll->hitRow), false, text, 32);
  if (std::wcscmp(text, roll->fieldText) == 0) return;
  std::wcscpy(roll->fieldText, text);
  if (roll->window && !IsRectEmpty(&roll->stripField)) InvalidateRect(roll->window, &roll->stripField, FALSE);
}
