// The keyboard header at the left (pane 1) and the lane under the data area
// (pane 8): their places in the layout and their keys and background.
#include <algorithm>

#include "kvlib/ui_resources.h"
#include "pianoroll/roll_internal.h"

namespace {

constexpr int kMinLaneRoom = 12;  // character heights the data area and lane need

int HeaderWidth(const EditorPrefs& prefs) {
  int32_t stored = prefs.keyboardWidth;
  if (stored < 2 || stored > 0x7FFFFFF9) return 8;
  return stored + 6;
}

void HeaderLayout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  int room = remaining->right - remaining->left;
  int width = std::clamp(HeaderWidth(Prefs(view)), 0, std::max(room - 100, 0));
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = width;
  pane->height = remaining->bottom - remaining->top;
  remaining->left += width;
}

// Keys lined up with the rows: white keys light, black keys dark, a line
// between neighbouring white keys, and each C named.
void HeaderPaint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
  RECT whole{pane->left, pane->top, pane->right, pane->bottom};
  FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  const TvRect& d = view->dataRect;
  HGDIOBJ oldFont = SelectObject(dc, KvGetUIFont(129));
  SetBkMode(dc, TRANSPARENT);
  for (int32_t row = view->firstRow; row < kRollRows; ++row) {
    int32_t top = view->RowToY(row), bottom = view->RowToY(row + 1);
    if (top >= d.bottom) break;
    int pitch = PitchOfRow(row);
    bool black = RollSource::BlackKey(pitch);
    RECT key{pane->left, top, pane->right - 1, std::min<LONG>(bottom, d.bottom)};
    if (black) key.right = pane->left + (pane->right - pane->left) * 3 / 5;
    FillRect(dc, &key, GetSysColorBrush(black ? COLOR_BTNTEXT : COLOR_WINDOW));
    RECT line{pane->left, bottom - 1, pane->right - 1, bottom};
    if (!black && bottom <= d.bottom) FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
  }
  // The names of the Cs over the keys, once every key is drawn.
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int32_t row = view->firstRow; row < kRollRows; ++row) {
    int32_t top = view->RowToY(row), bottom = view->RowToY(row + 1);
    if (top >= d.bottom) break;
    int pitch = PitchOfRow(row);
    if (pitch % 12 != 0) continue;
    wchar_t name[8];
    int length = wsprintfW(name, L"C%d", pitch / 12);
    RECT label{pane->left, top - 8, pane->right - 3, bottom};
    DrawTextW(dc, name, length, &label, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  }
  RECT edge{pane->right - 1, pane->top, pane->right, pane->bottom};
  FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
  SelectObject(dc, oldFont);
}

void LaneLayout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  EditorPrefs& prefs = Prefs(view);
  int c = std::max<int>(HIWORD(KvGetUIFontSize(110)), 1);
  int64_t height = prefs.laneHeight;
  if (height != 0) height = std::max<int64_t>(height, 4 * c);
  int room = remaining->bottom - remaining->top;
  pane->left = remaining->left;
  pane->width = std::max<int>(remaining->right - remaining->left, 1);
  pane->height = 0;
  pane->top = remaining->bottom;
  if (height == 0 || room < kMinLaneRoom * c) return;
  pane->height = static_cast<int32_t>(std::min<int64_t>(height + 5, room - 3 * c));
  pane->top = remaining->bottom - pane->height;
  remaining->bottom -= pane->height;
}

void LanePaint(Trackview*, TrackviewPane* pane, HDC dc, const RECT*) {
  RECT r{pane->left, pane->top, pane->right, pane->bottom};
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  RECT splitter{r.left, r.top, r.right, r.top + 4};
  DrawEdge(dc, &splitter, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

}  // namespace

const PaneCallbacks kHeaderCallbacks = {
    nullptr, HeaderLayout, nullptr, nullptr, HeaderPaint, nullptr, nullptr, nullptr, nullptr,
};

const PaneCallbacks kLaneCallbacks = {
    nullptr, LaneLayout, nullptr, nullptr, LanePaint, nullptr, nullptr, nullptr, nullptr,
};
