// The loop bar (pane 4): a band above the ruler showing the loop region as
// a strip between two marker glyphs.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "kvlib/ui_resources.h"
#include "trackview/engine.h"
#include "trackview/gdi.h"
#include "trackview/wide_math.h"

namespace {

constexpr int kFixedHeight = 12;
constexpr int kBandHeight = 8;
constexpr int kMarkerWidth = 8;
constexpr int kLoopColour = 151;
constexpr int kInactiveColour = COLOR_BTNSHADOW;

// The glyph mask: start marker in columns 0-7, end marker in 8-15; the
// active row above the disabled (outlined) row, each glyphHeight high.
constexpr int kMaskWidth = 2 * kMarkerWidth;

bool MarkerBit(int x, int y, bool outlined) {
  // A pennant along the marker's edge: full height at the edge, a triangle
  // narrowing downwards from the top.
  int reach = kMarkerWidth - 1 - y;
  if (x == 0) return true;
  if (x > reach) return false;
  return !outlined || x == reach || y == 0;
}

HBITMAP BuildGlyphs(int height) {
  int stride = ((kMaskWidth + 15) / 16) * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * height * 2);
  for (int row = 0; row < 2; ++row) {
    for (int y = 0; y < height; ++y) {
      uint8_t* line = bits.data() + static_cast<size_t>(row * height + y) * stride;
      for (int x = 0; x < kMarkerWidth; ++x) {
        if (!MarkerBit(x, y, row == 1)) continue;
        int end = kMaskWidth - 1 - x;  // the end marker mirrors the start
        line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        line[end / 8] |= static_cast<uint8_t>(0x80 >> (end % 8));
      }
    }
  }
  return CreateBitmap(kMaskWidth, height * 2, 1, 1, bits.data());
}

void ReleaseGlyphs(LoopBarPane* bar) {
  if (bar->glyphs) DeleteObject(bar->glyphs);
  bar->glyphs = nullptr;
  bar->glyphHeight = 0;
}

BOOL LoopBarCreate(Trackview*, TrackviewPane* pane, int phase) {
  if (phase == 1) ReleaseGlyphs(static_cast<LoopBarPane*>(pane));
  return TRUE;
}

void LoopBarLayout(Trackview*, TrackviewPane* pane, RECT* remaining) {
  int height = (pane->flags & kLoopBarFixedHeight) ? kFixedHeight : FontHeight(RulerFont()) + 10;
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = 0;
  pane->height = 0;
  if (remaining->bottom - remaining->top < 2 * height + 1) return;
  pane->width = remaining->right - remaining->left;
  pane->height = height;
  remaining->top += height;
}

class GlyphPainter {
 public:
  GlyphPainter(HDC dc, LoopBarPane* bar, int top, bool active, COLORREF colour)
      : dc_(dc), mask_(dc), select_(mask_, bar->glyphs), bar_(bar), top_(top), row_(active ? 0 : 1),
        colour_(colour) {}
  void Start(int x, int width) const { Paint(x, 0, width); }
  void End(int x, int width) const { Paint(x - width + 1, kMaskWidth - width, width); }

 private:
  void Paint(int x, int maskX, int width) const {
    if (width > 0 && bar_->glyphs) {
      PaintMask(dc_, x, top_, width, bar_->glyphHeight, mask_, maskX, row_ * bar_->glyphHeight, colour_);
    }
  }
  HDC dc_;
  ScopedMemoryDC mask_;
  ScopedSelect select_;
  LoopBarPane* bar_;
  int top_, row_;
  COLORREF colour_;
};

void LoopBarPaint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
  auto* bar = static_cast<LoopBarPane*>(pane);
  RECT r = PaneRect(pane);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
  if (!(pane->flags & kLoopBarShowsLoop)) return;

  int glyphHeight = std::max<int>(r.bottom - r.top - 2, 1);
  if (!bar->glyphs || bar->glyphHeight != glyphHeight) {
    ReleaseGlyphs(bar);
    bar->glyphs = BuildGlyphs(glyphHeight);
    bar->glyphHeight = bar->glyphs ? glyphHeight : 0;
  }

  bool active = IsLoopPlayback(view);
  COLORREF colour = KvGetUIColor(active ? kLoopColour : kInactiveColour);
  int startX = view->TimeToX(view->loopStart);
  int endX = view->TimeToX(SatAdd(view->loopStart, view->loopLength));
  view->loopStartX = startX;
  view->loopEndX = endX;
  GlyphPainter glyphs(dc, bar, r.top + 1, active, colour);
  if (view->loopLength > 0) {
    if (endX < startX) return;
    FillSolid(dc, {startX, r.bottom - 1 - kBandHeight, endX + 1, r.bottom - 1}, colour);
    int width = std::clamp((endX - startX) / 2, 1, kMarkerWidth);
    glyphs.Start(startX, width);
    glyphs.End(endX, width);
    return;
  }
  // An empty region: the two markers meet in a point.
  glyphs.Start(startX, kMarkerWidth);
  glyphs.End(startX, kMarkerWidth);
  FillSolid(dc, {startX, r.top + 1, startX + 1, r.bottom - 1}, colour);
  FillSolid(dc, {startX - kMarkerWidth, r.top + 1, startX + kMarkerWidth + 1, r.top + 2}, colour);
}

}  // namespace

const PaneCallbacks kLoopBarPaneCallbacks = {
    LoopBarCreate,  LoopBarLayout, LoopBarHitTest, LoopBarMessage, LoopBarPaint,
    LoopBarCursor, nullptr,       nullptr,        nullptr,
};
