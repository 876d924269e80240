#include "host/app/png_file.h"

#include <png.h>

#include <cstdio>

bool WritePng(const wchar_t* path, const std::vector<uint32_t>& pixels, int width, int height) {
  FILE* out = _wfopen(path, L"wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && !setjmp(png_jmpbuf(png));
  if (ok) {
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t word = pixels[static_cast<size_t>(y) * width + x];
        row[x * 3] = (word >> 16) & 0xFF;
        row[x * 3 + 1] = (word >> 8) & 0xFF;
        row[x * 3 + 2] = word & 0xFF;
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return std::fclose(out) == 0 && ok;
}


bool WriteWindowPng(HWND window, const wchar_t* path) {
  struct {
    int width = 0, height = 0;
    std::vector<uint32_t> words;
  } out;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT client;
  GetClientRect(window, &client);
  out.width = client.right;
  out.height = client.bottom;
  if (out.width <= 0 || out.height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = out.width;
  info.bmiHeader.biHeight = -out.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(window);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(dc, dib);
    BitBlt(dc, 0, 0, out.width, out.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    out.words.assign(words, words + static_cast<size_t>(out.width) * out.height);
    SelectObject(dc, old);
    DeleteObject(dib);
  }
  DeleteDC(dc);
  ReleaseDC(window, screen);
  return !out.words.empty() && WritePng(path, out.words, out.width, out.height);
}
