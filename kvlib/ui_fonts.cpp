// The numbered fonts, built from the default GUI font's face and size.
#include <algorithm>
#include <iterator>

#include "kvlib/gdi_object.h"
#include "kvlib/ui_parts.h"
#include "kvlib/ui_resources.h"

namespace {

constexpr int kNumbers[] = {100, 104, 110, 112, 120, 129, 10, 11, 12, 13, 14, 16, 17};
constexpr int kFirstFontNumber = 100;  // below: copies of stock fonts

struct FontSlot {
  GdiObject<HFONT> font;
  int zeroSize = 0;  // LOWORD width, HIWORD height of "0"; 0 until measured
};

struct GuiMetrics {
  bool measured = false;
  wchar_t face[LF_FACESIZE] = {};
  int charHeight = 0;  // cell height less internal leading
  int points = 0;
  int fixedPoints = 0;  // the stock fixed-pitch font's size
  int dpi = 96;
  BYTE charset = DEFAULT_CHARSET;
  BYTE quality = PROOF_QUALITY;
};

FontSlot g_slots[std::size(kNumbers)];
GuiMetrics g_gui;

FontSlot* SlotOf(int number) {
  const int* at = std::find(std::begin(kNumbers), std::end(kNumbers), number);
  return at == std::end(kNumbers) ? nullptr : &g_slots[at - std::begin(kNumbers)];
}

HFONT DefaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int CharacterHeight(HDC dc, HGDIOBJ font) {
  TEXTMETRICW metrics{};
  SelectedObject selected(dc, font);
  return dc && GetTextMetricsW(dc, &metrics) ? metrics.tmHeight - metrics.tmInternalLeading : 0;
}

// A face is offered when a font asked for by that name reports that name.
bool FaceOffered(HDC dc, const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfHeight = -12;
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  GdiObject<HFONT> font(CreateFontIndirectW(&wanted));
  if (!dc || !font) return false;
  SelectedObject selected(dc, font.get());
  wchar_t actual[LF_FACESIZE] = {};
  return GetTextFaceW(dc, LF_FACESIZE, actual) > 0 && lstrcmpiW(actual, face) == 0;
}

BYTE ScreenQuality() {
  BOOL smoothing = FALSE;
  UINT type = 0;
  SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0);
  SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0);
  return smoothing && type == FE_FONTSMOOTHINGCLEARTYPE ? CLEARTYPE_QUALITY : PROOF_QUALITY;
}

const GuiMetrics& Gui() {
  if (g_gui.measured) return g_gui;
  ScreenDC screen;
  const HDC dc = screen.get();
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  g_gui.dpi = dpi > 0 ? dpi : 96;
  g_gui.charset = dc ? static_cast<BYTE>(GetTextCharset(dc)) : DEFAULT_CHARSET;
  g_gui.charHeight = CharacterHeight(dc, DefaultGuiFont());
  if (g_gui.charHeight <= 0) g_gui.charHeight = MulDiv(8, g_gui.dpi, 72);
  g_gui.points = MulDiv(g_gui.charHeight, 72, g_gui.dpi);
  const int fixedHeight = CharacterHeight(dc, GetStockObject(ANSI_FIXED_FONT));
  g_gui.fixedPoints = fixedHeight > 0 ? MulDiv(fixedHeight, 72, g_gui.dpi) : 10;
  lstrcpynW(g_gui.face, FaceOffered(dc, L"MS Shell Dlg 2") ? L"MS Shell Dlg 2" : L"MS Shell Dlg", LF_FACESIZE);
  g_gui.quality = ScreenQuality();
  g_gui.measured = true;
  return g_gui;
}

int PointsToPixels(int points) { return MulDiv(std::max(points, 1), Gui().dpi, 72); }

HFONT CreateNumberedFont(int number) {
  const GuiMetrics& gui = Gui();
  LOGFONTW font{};
  if (number < kFirstFontNumber) {
    HGDIOBJ stock = GetStockObject(number);
    if (!stock || !GetObjectW(stock, sizeof font, &font)) return nullptr;
  } else {
    font.lfCharSet = gui.charset;
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, gui.face, LF_FACESIZE);
    switch (number) {
      case 104:
        font.lfWeight = FW_BOLD;
        [[fallthrough]];
      case 100:
        font.lfHeight = -gui.charHeight;
        break;
      case 112:
        font.lfWeight = FW_BOLD;
        [[fallthrough]];
      case 110:
        font.lfHeight = -PointsToPixels(gui.points - 1);
        break;
      case 120:
        font.lfHeight = -PointsToPixels(gui.fixedPoints - 2);
        font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynW(font.lfFaceName, L"Courier New", LF_FACESIZE);
        break;
      case 129:
        font.lfHeight = -PointsToPixels(16);
        font.lfWeight = FW_MEDIUM;
        break;
    }
  }
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = gui.quality;
  return CreateFontIndirectW(&font);
}

}  // namespace

HFONT KvGetUIFont(int number) {
  FontSlot* slot = SlotOf(number);
  if (!slot) return DefaultGuiFont();
  if (!slot->font) slot->font.reset(CreateNumberedFont(number));
  return slot->font ? slot->font.get() : DefaultGuiFont();
}

int KvGetUIFontSize(int number) {
  FontSlot* slot = SlotOf(number);
  if (!slot) return 0;
  if (!slot->zeroSize) {
    HFONT font = KvGetUIFont(number);
    ScreenDC screen;
    SelectedObject selected(screen.get(), font);
    SIZE size{};
    if (screen.get() && GetTextExtentPoint32W(screen.get(), L"0", 1, &size))
      slot->zeroSize = static_cast<int>(MAKELONG(size.cx, size.cy));
  }
  return slot->zeroSize;
}

void KvUIFonts_Release() {
  for (FontSlot& slot : g_slots) {
    slot.font.reset();
    slot.zeroSize = 0;
  }
  g_gui = GuiMetrics();
}
