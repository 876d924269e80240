// Font numbers: sizes derived from the default GUI font, the stock copies,
// the cached "0" sizes and the fall-back.
#include "kvlib/ui_resources.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

struct GuiFont {
  int charHeight;
  int points;
  int dpi;
};

GuiFont MeasureGuiFont() {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  GuiFont gui{metrics.tmHeight - metrics.tmInternalLeading, 0, GetDeviceCaps(screen, LOGPIXELSY)};
  gui.points = MulDiv(gui.charHeight, 72, gui.dpi);
  ReleaseDC(nullptr, screen);
  return gui;
}

LOGFONTW Describe(HGDIOBJ font) {
  LOGFONTW description{};
  EXPECT_EQ(GetObjectW(font, sizeof description, &description), static_cast<int>(sizeof description));
  return description;
}

BYTE ExpectedQuality() {
  BOOL smoothing = FALSE;
  UINT type = 0;
  SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
  SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0);
  return smoothing && type == FE_FONTSMOOTHINGCLEARTYPE ? CLEARTYPE_QUALITY : PROOF_QUALITY;
}

using UIFonts = ModuleTest;

TEST_F(UIFonts, NumberedFontsFollowTheGuiFont) {
  const GuiFont gui = MeasureGuiFont();
  ASSERT_GT(gui.charHeight, 0);
  const LOGFONTW normal = Describe(KvGetUIFont(100));
  const std::wstring face = normal.lfFaceName;
  EXPECT_TRUE(face == L"MS Shell Dlg 2" || face == L"MS Shell Dlg") << "face " << std::string(face.begin(), face.end());
  EXPECT_EQ(normal.lfHeight, -gui.charHeight);
  EXPECT_EQ(normal.lfWeight, FW_NORMAL);

  struct Expected {
    int number, height, weight;
  };
  const Expected fonts[] = {
      {104, -gui.charHeight, 700},
      {110, -MulDiv(gui.points - 1, gui.dpi, 72), FW_NORMAL},
      {112, -MulDiv(gui.points - 1, gui.dpi, 72), 700},
      {129, -MulDiv(16, gui.dpi, 72), 500},
  };
  for (const Expected& e : fonts) {
    const LOGFONTW font = Describe(KvGetUIFont(e.number));
    EXPECT_EQ(font.lfHeight, e.height) << e.number;
    EXPECT_EQ(font.lfWeight, e.weight) << e.number;
    EXPECT_EQ(std::wstring(font.lfFaceName), face) << e.number;
  }
  const LOGFONTW fixed = Describe(KvGetUIFont(120));
  EXPECT_EQ(std::wstring(fixed.lfFaceName), L"Courier New");
  EXPECT_EQ(fixed.lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_LT(fixed.lfHeight, 0);
  for (int number : {100, 104, 110, 112, 120, 129}) {
    const LOGFONTW font = Describe(KvGetUIFont(number));
    EXPECT_EQ(font.lfOutPrecision, OUT_TT_PRECIS) << number;
    EXPECT_EQ(font.lfQuality, ExpectedQuality()) << number;
    EXPECT_EQ(KvGetUIFont(number), KvGetUIFont(number)) << number;
  }
}

TEST_F(UIFonts, StockFontCopies) {
  for (int number : {10, 11, 12, 13, 14, 16, 17}) {
    const HFONT copy = KvGetUIFont(number);
    EXPECT_NE(copy, GetStockObject(number)) << number;
    LOGFONTW expected = Describe(GetStockObject(number));
    expected.lfOutPrecision = OUT_TT_PRECIS;
    expected.lfQuality = ExpectedQuality();
    const LOGFONTW actual = Describe(copy);
    EXPECT_EQ(memcmp(&expected, &actual, sizeof expected), 0) << number;
  }
}

TEST_F(UIFonts, UnknownNumbersGiveTheDefaultGuiFont) {
  for (int number : {0, 15, 99, 101, 130, -100}) {
    EXPECT_EQ(KvGetUIFont(number), GetStockObject(DEFAULT_GUI_FONT)) << number;
    EXPECT_EQ(KvGetUIFontSize(number), 0) << number;
  }
}

// The size of "0" is what the font draws, and bigger fonts measure bigger.
TEST_F(UIFonts, DigitSizes) {
  for (int number : {100, 110, 120, 129, 17}) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, KvGetUIFont(number));
    SIZE zero{};
    GetTextExtentPoint32W(screen, L"0", 1, &zero);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    const int size = KvGetUIFontSize(number);
    EXPECT_EQ(LOWORD(size), zero.cx) << number;
    EXPECT_EQ(HIWORD(size), zero.cy) << number;
    EXPECT_GT(zero.cy, 0) << number;
  }
  EXPECT_GT(HIWORD(KvGetUIFontSize(129)), HIWORD(KvGetUIFontSize(100)));
  EXPECT_GE(HIWORD(KvGetUIFontSize(100)), HIWORD(KvGetUIFontSize(110)));
}

TEST_F(UIFonts, UnloadDeletesCachedFonts) {
  const HFONT font = KvGetUIFont(104), copy = KvGetUIFont(17);
  ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  KvModule_Shutdown();
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(GetObjectType(copy), 0u);
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), static_cast<DWORD>(OBJ_FONT));
  KvModule_Startup(GetModuleHandleW(nullptr));
  EXPECT_EQ(Describe(KvGetUIFont(104)).lfWeight, 700);
}

}  // namespace
