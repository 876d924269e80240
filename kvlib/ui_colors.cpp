// The UI colour table and the colour numbers.
#include "kvlib/color_hls.h"
#include "kvlib/gdi_object.h"
#include "kvlib/ui_color_table.h"
#include "kvlib/ui_parts.h"
#include "kvlib/ui_resources.h"

namespace {

uint32_t g_table[kUIColorCount];
bool g_filled;

void Fill() {
  for (int i = 0; i < kUIColorCount; ++i) g_table[i] = KvUIColorDefault(kUIColorFirst + i);
  g_filled = true;
}

bool DeepScreen() {
  ScreenDC screen;
  return screen.get() && GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) > 8;
}

COLORREF Decode(uint32_t entry) {
  const int index = static_cast<int>(entry & 0xFFFFFF);
  switch (KvUIColorEncoding(entry)) {
    case kUIColorSystem:
      return GetSysColor(index);
    case kUIColorSystemContrast:
      return DeepScreen() ? KvContrastAdjust(GetSysColor(index)) : GetSysColor(index);
    default:
      return entry & 0xFFFFFF;
  }
}

}  // namespace

void KvUIColors_Reset() { Fill(); }

COLORREF KvGetUIColorAbsolute(int number) {
  if (number >= 0 && number <= 99) return GetSysColor(number);
  if (number >= kUIColorFirst && number < kUIColorFirst + kUIColorCount) {
    if (!g_filled) Fill();
    return Decode(g_table[number - kUIColorFirst]);
  }
  if (number <= -kUIColorFirst && number > -kUIColorFirst - kUIColorCount) return Decode(KvUIColorDefault(-number));
  return CLR_INVALID;
}

COLORREF KvGetUIColor(int number) {
  const COLORREF colour = KvGetUIColorAbsolute(number);
  if (colour == CLR_INVALID) return colour;
  ScreenDC screen;
  const COLORREF nearest = screen.get() ? GetNearestColor(screen.get(), colour) : CLR_INVALID;
  return nearest == CLR_INVALID ? colour : nearest;
}

int KvSetUIColor(int number, DWORD value) {
  if (number < kUIColorFirst || number >= kUIColorFirst + kUIColorCount) return 0;
  if (!g_filled) Fill();
  g_table[number - kUIColorFirst] = value;
  return 1;
}
