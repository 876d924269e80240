// Brush numbers, checked by the pixels they paint.
#include <cstdint>

#include "kvlib/ui_resources.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

using UIBrushes = ModuleTest;

HBRUSH StockBlack() { return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)); }

COLORREF PaintedBy(HBRUSH brush) {
  Canvas canvas(4, 4);
  canvas.Fill(brush);
  return canvas.Pixel(2, 1);
}

TEST_F(UIBrushes, SolidColours) {
  for (int index : {COLOR_WINDOW, COLOR_HIGHLIGHT, COLOR_BTNFACE, COLOR_INFOBK})
    EXPECT_EQ(PaintedBy(KvGetUIBrush(index)), GetSysColor(index)) << index;
  EXPECT_EQ(PaintedBy(KvGetUIBrush(151)), RGB(0, 0, 128));
  EXPECT_EQ(PaintedBy(KvGetUIBrush(130)), RGB(219, 142, 87));
  EXPECT_EQ(KvGetUIBrush(151), KvGetUIBrush(151));
  // The brush follows a changed entry; the one handed out before stays
  // usable until unload, and comes back with its colour.
  const HBRUSH navy = KvGetUIBrush(151);
  ASSERT_EQ(KvSetUIColor(151, RGB(10, 20, 30)), 1);
  EXPECT_EQ(PaintedBy(KvGetUIBrush(151)), RGB(10, 20, 30));
  EXPECT_EQ(PaintedBy(navy), RGB(0, 0, 128));
  ASSERT_EQ(KvSetUIColor(151, RGB(0, 0, 128)), 1);
  EXPECT_EQ(KvGetUIBrush(151), navy);
  ASSERT_EQ(KvSetUIColor(151, RGB(10, 20, 30)), 1);
  ASSERT_EQ(KvSetUIColor(160, 0x04000000 | COLOR_HIGHLIGHT), 1);
  EXPECT_EQ(PaintedBy(KvGetUIBrush(160)), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(UIBrushes, UnknownNumbersGiveTheBlackBrush) {
  for (int number : {-1, 25, 99, 161, 9999, 10017, 0x7FFFFFFF}) EXPECT_EQ(KvGetUIBrush(number), StockBlack()) << number;
}

// Set bits paint the text colour, clear bits the background colour, tiled
// from the canvas origin.
TEST_F(UIBrushes, MonochromePatterns) {
  const uint8_t rows[16][8] = {
      {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},
      {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00},
      {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00},
      {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},
      {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},
      {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}, {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33},
      {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F}, {0xF8, 0x7C, 0x3E, 0x1F, 0x8F, 0xC7, 0xE3, 0xF1},
  };
  const COLORREF ink = RGB(250, 20, 10), paper = RGB(5, 30, 240);
  for (int p = 0; p < 16; ++p) {
    const HBRUSH brush = KvGetUIBrush(10001 + p);
    ASSERT_NE(brush, StockBlack()) << 10001 + p;
    EXPECT_EQ(KvGetUIBrush(10001 + p), brush);
    Canvas canvas(16, 16);
    ASSERT_TRUE(canvas.valid());
    SetTextColor(canvas.dc(), ink);
    SetBkColor(canvas.dc(), paper);
    canvas.Fill(brush);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool set = (rows[p][y % 8] >> (7 - x % 8)) & 1;
        ASSERT_EQ(canvas.Pixel(x, y), set ? ink : paper) << "pattern " << 10001 + p << " at " << x << "," << y;
      }
  }
}

// Brush 10000 repeats the module's bitmap 101.
TEST_F(UIBrushes, BitmapPattern) {
  HBITMAP tile = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(tile, nullptr);
  BITMAP info{};
  GetObjectW(tile, sizeof info, &info);
  ASSERT_EQ(info.bmWidth, 8);
  ASSERT_EQ(info.bmHeight, 8);
  HDC tileDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(tileDc, tile);

  const HBRUSH brush = KvGetUIBrush(10000);
  ASSERT_NE(brush, StockBlack());
  EXPECT_EQ(KvGetUIBrush(10000), brush);
  Canvas canvas(16, 16);
  canvas.Fill(brush);
  int differing = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const COLORREF expected = GetPixel(tileDc, x % 8, y % 8);
      EXPECT_EQ(canvas.Pixel(x, y), expected) << x << "," << y;
      differing += expected != GetPixel(tileDc, 0, 0);
    }
  EXPECT_GT(differing, 0) << "the tile is a pattern, not one colour";
  SelectObject(tileDc, old);
  DeleteDC(tileDc);
  DeleteObject(tile);
}

// Unload deletes the cached brushes; the system's own stay.
TEST_F(UIBrushes, UnloadDeletesCachedBrushes) {
  const HBRUSH pattern = KvGetUIBrush(10001), bitmap = KvGetUIBrush(10000), colour = KvGetUIBrush(120);
  ASSERT_EQ(KvSetUIColor(121, RGB(1, 2, 3)), 1);
  const HBRUSH retired = KvGetUIBrush(121);
  ASSERT_EQ(KvSetUIColor(121, RGB(4, 5, 6)), 1);
  KvGetUIBrush(121);
  const HBRUSH system = KvGetUIBrush(COLOR_WINDOW);
  ASSERT_EQ(GetObjectType(pattern), static_cast<DWORD>(OBJ_BRUSH));
  ASSERT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BRUSH));
  ASSERT_EQ(GetObjectType(colour), static_cast<DWORD>(OBJ_BRUSH));
  KvModule_Shutdown();
  EXPECT_EQ(GetObjectType(pattern), 0u);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_EQ(GetObjectType(colour), 0u);
  EXPECT_EQ(GetObjectType(retired), 0u);
  EXPECT_EQ(GetObjectType(system), static_cast<DWORD>(OBJ_BRUSH));
  KvModule_Startup(GetModuleHandleW(nullptr));
  EXPECT_EQ(PaintedBy(KvGetUIBrush(120)), RGB(0, 72, 0));
}

}  // namespace
