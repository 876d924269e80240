// The shared 64 x 10 monochrome glyph strip of the scroll controls' buttons,
// prepared with the window class, and the drawing of monochrome masks.
#include <cstdint>

#include "trackview/engine.h"

namespace {

constexpr int kStripWidth = 64;
constexpr int kStripHeight = kGlyphHeight;
constexpr int kGlyphStride = 16;  // glyphs at x = 0, 16 and 32

// '#' marks a set bit, drawn in the button's text colour.
const char* const kGlyphRows[3][kGlyphHeight] = {
    {"............", ".....##.....", ".....##.....", ".....##.....", ".##########.",
     ".##########.", ".....##.....", ".....##.....", ".....##.....", "............"},
    {"............", "............", "............", "............", ".##########.",
     ".##########.", "............", "............", "............", "............"},
    {"............", "..#......#..", ".##......##.", "###......###", "############",
     "############", "###......###", ".##......##.", "..#......#..", "............"},
};

// The brush where the mask is set, the destination elsewhere:
// ((D xor P) and S) xor P, with set bits arriving as black through the
// text and background colours.
constexpr DWORD kMaskedPaint = 0x00B8074A;

HDC g_stripDC;
HBITMAP g_stripBitmap;
HGDIOBJ g_stripOldBitmap;

}  // namespace

BOOL CreateGlyphStrip() {
  if (g_stripDC) return TRUE;
  uint8_t bits[kStripHeight][kStripWidth / 8] = {};
  for (int glyph = 0; glyph < 3; ++glyph) {
    for (int y = 0; y < kGlyphHeight; ++y) {
      for (int x = 0; x < kGlyphWidth; ++x) {
        if (kGlyphRows[glyph][y][x] != '#') continue;
        int column = glyph * kGlyphStride + x;
        bits[y][column / 8] |= static_cast<uint8_t>(0x80 >> (column % 8));
      }
    }
  }
  g_stripBitmap = CreateBitmap(kStripWidth, kStripHeight, 1, 1, bits);
  g_stripDC = g_stripBitmap ? CreateCompatibleDC(nullptr) : nullptr;
  if (!g_stripDC) {
    if (g_stripBitmap) DeleteObject(g_stripBitmap);
    g_stripBitmap = nullptr;
    return FALSE;
  }
  g_stripOldBitmap = SelectObject(g_stripDC, g_stripBitmap);
  return TRUE;
}

void DestroyGlyphStrip() {
  if (!g_stripDC) return;
  SelectObject(g_stripDC, g_stripOldBitmap);
  DeleteDC(g_stripDC);
  DeleteObject(g_stripBitmap);
  g_stripDC = nullptr;
  g_stripBitmap = nullptr;
}

void PaintMask(HDC dc, int x, int y, int width, int height, HDC mask, int maskX, int maskY, COLORREF colour) {
  COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
  COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  COLORREF oldBrushColour = SetDCBrushColor(dc, colour);
  BitBlt(dc, x, y, width, height, mask, maskX, maskY, kMaskedPaint);
  SetDCBrushColor(dc, oldBrushColour);
  SelectObject(dc, oldBrush);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

void DrawGlyph(HDC dc, const RECT& box, Glyph glyph, COLORREF colour) {
  if (!g_stripDC) return;
  int x = (box.left + box.right - kGlyphWidth) / 2;
  int y = (box.top + box.bottom - kGlyphHeight) / 2;
  PaintMask(dc, x, y, kGlyphWidth, kGlyphHeight, g_stripDC, glyph * kGlyphStride, 0, colour);
}
