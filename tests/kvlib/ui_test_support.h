// Shared pieces of the library's Windows tests: the module started on the
// test program's own resources, and a 24-bit canvas whose pixels are read back.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "kvlib/module.h"

class ModuleTest : public testing::Test {
 protected:
  void SetUp() override { KvModule_Startup(GetModuleHandleW(nullptr)); }
  void TearDown() override { KvModule_Shutdown(); }
};

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  HDC dc() const { return dc_; }
  bool valid() const { return dc_ && bitmap_ && bits_; }

  void Fill(HBRUSH brush) {
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
  }

  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const int stride = (width_ * 3 + 3) & ~3;
    const BYTE* p = static_cast<const BYTE*>(bits_) + y * stride + x * 3;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};
