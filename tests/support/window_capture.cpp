#include "tests/support/window_capture.h"

#include <cstring>

COLORREF ClientPixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  uint32_t word = words[static_cast<size_t>(y) * width + x];
  return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
}

ClientPixels CaptureClient(HWND window) {
  ClientPixels out;
  RECT client;
  GetClientRect(window, &client);
  out.width = client.right;
  out.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) {
    DeleteDC(dc);
    return out;
  }
  HGDIOBJ old = SelectObject(dc, dib);
  // A pattern no painter uses, so that unpainted pixels show.
  std::memset(bits, 0x55, static_cast<size_t>(out.width) * out.height * 4);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const auto* words = static_cast<const uint32_t*>(bits);
  out.words.assign(words, words + static_cast<size_t>(out.width) * out.height);
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return out;
}
