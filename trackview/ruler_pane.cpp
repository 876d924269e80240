// The time ruler (pane 6): a band one text line high with labels at musical
// spacing, subdivision ticks between them and the loop region marked.
#include <algorithm>
#include <cmath>
#include <cwchar>

#include "kvlib/ui_resources.h"
#include "trackview/engine.h"
#include "trackview/gdi.h"
#include "trackview/ruler_spacing.h"
#include "trackview/wide_math.h"

namespace {

constexpr int kTextLength = 64;
constexpr int kMajorTick = 6;
constexpr int kStripHeight = 3;
constexpr int kLoopColour = 151;

int TimeText(Trackview* view, int64_t tick, bool beatsOnly, wchar_t* buffer) {
  buffer[0] = L'\0';
  if (!view->source) return 0;
  int length = view->source->TimeText(tick, beatsOnly, buffer, kTextLength);
  return std::clamp(length, 0, kTextLength - 1);
}

void RulerLayout(Trackview*, TrackviewPane* pane, RECT* remaining) {
  int height = FontHeight(RulerFont()) + 6;
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = 0;
  pane->height = 0;
  if (remaining->bottom - remaining->top < height + 1) return;
  pane->width = remaining->right - remaining->left;
  pane->height = height;
  if (pane->flags & kPaneDockBottom) {
    pane->top = remaining->bottom - height;
    remaining->bottom -= height;
  } else {
    remaining->top += height;
  }
}

// One label interval of subdivision ticks, copied under every label.
class TickStrip {
 public:
  TickStrip(HDC dc, int width, double tickSpacing, int subdivisions, bool alongTop)
      : memory_(dc), bitmap_(memory_ ? CreateCompatibleBitmap(dc, width, kStripHeight) : nullptr),
        select_(memory_, bitmap_.get()), width_(width) {
    if (!bitmap_) return;
    FillSysColour(memory_, {0, 0, width, kStripHeight}, COLOR_BTNFACE);
    if (alongTop) {
      FillSysColour(memory_, {0, 0, width, 1}, COLOR_BTNHIGHLIGHT);
    } else {
      FillSysColour(memory_, {0, kStripHeight - 1, width, kStripHeight}, COLOR_BTNSHADOW);
    }
    for (int i = 0; i < subdivisions; ++i) {
      int x = static_cast<int>(std::lround(tickSpacing * i));
      FillSysColour(memory_, {x, 0, x + 1, kStripHeight}, COLOR_WINDOWFRAME);
      FillSysColour(memory_, {x + 1, 0, x + 2, kStripHeight}, COLOR_BTNHIGHLIGHT);
    }
  }
  void CopyTo(HDC dc, int x, int y) const {
    if (bitmap_) BitBlt(dc, x, y, width_, kStripHeight, memory_, 0, 0, SRCCOPY);
  }

 private:
  ScopedMemoryDC memory_;
  ScopedBitmap bitmap_;
  ScopedSelect select_;
  int width_;
};

void DrawSideEdges(HDC dc, RECT r) {
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_LEFT | BF_RIGHT);
  FillSysColour(dc, {r.left + 1, r.top, r.left + 2, r.bottom}, COLOR_BTNFACE);
  FillSysColour(dc, {r.right - 2, r.top, r.right - 1, r.bottom}, COLOR_BTNFACE);
  FillSysColour(dc, {r.left, r.bottom - 1, r.left + 1, r.bottom}, COLOR_BTNSHADOW);
  FillSysColour(dc, {r.right - 1, r.bottom - 1, r.right, r.bottom}, COLOR_BTNSHADOW);
}

void DrawLoopLines(Trackview* view, HDC dc, const RECT& r) {
  COLORREF colour = KvGetUIColor(kLoopColour);
  for (int64_t t : {view->loopStart, SatAdd(view->loopStart, view->loopLength)}) {
    int x = view->TimeToX(t);
    if (x >= r.left && x < r.right) FillSolid(dc, {x, r.top, x + 1, r.bottom}, colour);
  }
}

void RulerPaint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT* clip) {
  RECT r = PaneRect(pane);
  FillSysColour(dc, r, COLOR_BTNFACE);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  if (view->viewSpan == 0 || view->mapWidth == 0 || !(view->ticksPerPixel > 0)) return;

  ScopedSelect font(dc, RulerFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  int labelWidth = RulerLabelWidth(view, dc);
  if (pane->height < metrics.tmHeight + 2) return;

  double spacing = LabelSpacing(labelWidth, view->ticksPerPixel);
  int subdivisions = 1;
  bool beatsOnly = false;
  if (pane->flags & kRulerMusical) {
    RulerSpacing musical = MusicalSpacing(spacing, view->timeBase);
    spacing = musical.ticks;
    subdivisions = musical.subdivisions;
    beatsOnly = musical.beatsOnly;
  }
  spacing = std::max(spacing, 1.0);
  double intervalPixels = spacing / view->ticksPerPixel;
  subdivisions = FitSubdivisions(intervalPixels, subdivisions);
  view->rulerMarkSpacing = std::max(spacing / subdivisions, 1.0);

  bool alongTop = pane->flags & kPaneDockBottom;
  UINT align = alongTop ? TA_TOP : TA_BOTTOM;
  int textY = alongTop ? r.top + 4 : r.bottom - 2;
  int tickTop = alongTop ? r.top : r.bottom - 1 - kMajorTick;
  int stripY = alongTop ? r.top : r.bottom - kStripHeight;
  int stripWidth = std::clamp(static_cast<int>(std::lround(intervalPixels)), 1, kMaxPixel);
  TickStrip strip(dc, stripWidth, intervalPixels / subdivisions, subdivisions, alongTop);
  SetTextAlign(dc, align | TA_LEFT);

  wchar_t text[kTextLength];
  // Integer label numbers bounded by the labels that fit the width (a double
  // counter stops advancing past 2^53), exact on a whole-tick spacing.
  int64_t whole = spacing == std::floor(spacing) && spacing < 9.0e15 ? static_cast<int64_t>(spacing) : 0;
  int64_t firstLabel = (whole ? view->viewStart / whole
                              : TruncToInt64(std::floor(static_cast<double>(view->viewStart) / spacing))) - 1;
  int64_t labels = std::min<int64_t>(TruncToInt64(std::floor(static_cast<double>(view->viewSpan) / spacing)),
                                     std::max<int64_t>(r.right - r.left, 1)) + 3;
  bool labelled = false;
  for (int64_t k = 0; k <= labels; ++k) {
    int64_t t = whole ? SatAdd(firstLabel, k) * whole
                      : TruncToInt64(std::round(static_cast<double>(SatAdd(firstLabel, k)) * spacing));
    int x = view->TimeToX(t);
    if (x >= r.left && x < r.right && t >= 0) {
      int length = TimeText(view, t, beatsOnly, text);
      RECT box{x, r.top, std::min<LONG>(x + labelWidth + 6, clip->right), r.bottom};
      ExtTextOutW(dc, x + 2, textY, ETO_CLIPPED, &box, text, length, nullptr);
      labelled = true;
    }
    FillSysColour(dc, {x, tickTop, x + 1, tickTop + kMajorTick}, COLOR_WINDOWFRAME);
    FillSysColour(dc, {x + 1, tickTop, x + 2, tickTop + kMajorTick}, COLOR_BTNHIGHLIGHT);
    strip.CopyTo(dc, x, stripY);
  }
  if (!labelled) {
    // No label in sight: the time at the left edge, in parentheses.
    wchar_t edge[kTextLength + 2];
    int length = TimeText(view, view->viewStart, beatsOnly, text);
    int written = std::swprintf(edge, kTextLength + 2, L"(%.*ls)", length, text);
    RECT box{r.left, r.top, r.right, r.bottom};
    ExtTextOutW(dc, r.left + 2, textY, ETO_CLIPPED, &box, edge, std::max(written, 0), nullptr);
  }
  if ((pane->flags & kRulerLoopLines) && IsLoopPlayback(view)) DrawLoopLines(view, dc, r);
  DrawSideEdges(dc, r);
}

}  // namespace

int RulerLabelWidth(Trackview* view, HDC dc) {
  ScopedSelect font(dc, RulerFont());
  wchar_t text[kTextLength];
  int64_t last = SatAdd(SatAdd(view->viewStart, view->viewSpan), TruncToInt64(view->rightMargin * view->ticksPerPixel));
  int digits = TimeText(view, last, false, text);
  wchar_t sample[kTextLength + 2];
  sample[0] = L'(';
  for (int i = 0; i < digits; ++i) sample[1 + i] = L'2';
  sample[1 + digits] = L')';
  SIZE size{};
  GetTextExtentPoint32W(dc, sample, digits + 2, &size);
  return size.cx;
}

const PaneCallbacks kRulerPaneCallbacks = {
    nullptr,
    RulerLayout,
    nullptr,
    RulerMessage,
    RulerPaint,
    [](Trackview*, TrackviewPane*, uint32_t) { return kRulerCursor; },
    nullptr,
    nullptr,
    nullptr,
};
