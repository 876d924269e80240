// Paints a window's client area through WM_PRINTCLIENT into a 32-bit DIB
// and keeps the pixels (0x00RRGGBB, top row first) for probing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct ClientPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> words;

  // CLR_INVALID outside the picture.
  COLORREF At(int x, int y) const;
};

ClientPixels CaptureClient(HWND window);
