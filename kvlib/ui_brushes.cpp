// The numbered brushes: system and UI colours, the module's pattern bitmap and
// the monochrome patterns.
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "kvlib/gdi_object.h"
#include "kvlib/module.h"
#include "kvlib/ui_parts.h"
#include "kvlib/ui_resources.h"

namespace {

constexpr int kFirstUIBrush = 100, kLastUIBrush = 160;
constexpr int kBitmapBrush = 10000, kFirstPattern = 10001, kPatternCount = 16;
constexpr int kPatternBitmapId = 101;

// One byte per row from the top, most significant bit leftmost; 1 is drawn in
// the text colour.
constexpr uint8_t kPatterns[kPatternCount][8] = {
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00},
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},
    {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},
    {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},
    {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}, {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33},
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F}, {0xF8, 0x7C, 0x3E, 0x1F, 0x8F, 0xC7, 0xE3, 0xF1},
};

struct ColourBrush {
  GdiObject<HBRUSH> brush;
  COLORREF colour = 0;
};

// A pattern brush keeps its bitmap for as long as it lives.
struct PatternBrush {
  GdiObject<HBITMAP> bitmap;
  GdiObject<HBRUSH> brush;
};

ColourBrush g_colourBrushes[kLastUIBrush - kFirstUIBrush + 1];
// Brushes of colours that have changed since they were handed out: their
// users may still hold them, so they live until the module unloads. A colour
// that comes back takes its old brush again, which bounds the list by the
// colours ever used.
std::vector<ColourBrush> g_retired;
PatternBrush g_patterns[kPatternCount + 1];  // [0]: the bitmap brush

HBRUSH Black() { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }

HBRUSH ColourBrushOf(int number) {
  ColourBrush& slot = g_colourBrushes[number - kFirstUIBrush];
  const COLORREF colour = KvGetUIColorAbsolute(number);
  // The entry may have been set since, or follow a system colour.
  if (slot.brush && slot.colour == colour) return slot.brush.get();
  auto again = std::find_if(g_retired.begin(), g_retired.end(), [&](const ColourBrush& b) { return b.colour == colour; });
  ColourBrush next;
  if (again != g_retired.end()) {
    next = std::move(*again);
    g_retired.erase(again);
  } else {
    next.brush.reset(CreateSolidBrush(colour));
    next.colour = colour;
    if (!next.brush) return slot.brush ? slot.brush.get() : Black();
  }
  if (slot.brush) {
    try {
      g_retired.push_back(std::move(slot));
    } catch (const std::bad_alloc&) {
      return slot.brush.get();  // keeps the old colour rather than free a brush in use
    }
  }
  slot = std::move(next);
  return slot.brush.get();
}

HBRUSH PatternBrushOf(int index) {
  PatternBrush& slot = g_patterns[index];
  if (slot.brush) return slot.brush.get();
  if (index == 0) {
    slot.bitmap.reset(static_cast<HBITMAP>(
        LoadImageW(KvModule_Handle(), MAKEINTRESOURCEW(kPatternBitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  } else {
    // Monochrome rows are word-aligned, and a clear bit takes the text colour:
    // store each row inverted.
    WORD rows[8];
    for (int y = 0; y < 8; ++y) rows[y] = static_cast<uint8_t>(~kPatterns[index - 1][y]);
    slot.bitmap.reset(CreateBitmap(8, 8, 1, 1, rows));
  }
  if (slot.bitmap) slot.brush.reset(CreatePatternBrush(slot.bitmap.get()));
  if (!slot.brush) {
    slot.bitmap.reset();
    return Black();
  }
  return slot.brush.get();
}

}  // namespace

HBRUSH KvGetUIBrush(int number) {
  if (number >= 0 && number <= COLOR_INFOBK) {
    HBRUSH brush = GetSysColorBrush(number);
    return brush ? brush : Black();
  }
  if (number >= kFirstUIBrush && number <= kLastUIBrush) return ColourBrushOf(number);
  if (number >= kBitmapBrush && number <= kBitmapBrush + kPatternCount) return PatternBrushOf(number - kBitmapBrush);
  return Black();
}

void KvUIBrushes_Release() {
  for (ColourBrush& slot : g_colourBrushes) slot.brush.reset();
  g_retired.clear();
  for (PatternBrush& slot : g_patterns) {
    slot.brush.reset();
    slot.bitmap.reset();
  }
}
