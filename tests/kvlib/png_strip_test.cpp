// The toolbar image strip decoder: a PNG strip becomes the normal, hot and
// disabled image lists; damaged data of any kind gives three null lists, a
// failure code and no GDI object left behind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kvlib/png_strip.h"
#include "tests/support/gdi_count.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// --- A small PNG writer: 8-bit RGBA, unfiltered rows, stored deflate blocks.

uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

void Put32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(Bytes& out, const char* type, const Bytes& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

Bytes Zlib(const Bytes& raw) {
  Bytes z{0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(raw.size() - at, 65535);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);
  return z;
}

// pixels: 0xAARRGGBB, row by row. rows < height leaves the image data short.
Bytes Png(int width, int height, const std::vector<uint32_t>& pixels, int rows = -1) {
  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32(header, static_cast<uint32_t>(width));
  Put32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  Chunk(out, "IHDR", header);
  Bytes raw;
  for (int y = 0; y < (rows < 0 ? height : rows); ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                             static_cast<uint8_t>(p >> 24)});
    }
  }
  Chunk(out, "IDAT", Zlib(raw));
  Chunk(out, "IEND", {});
  return out;
}

// A strip of solid 16 x 16 images, one colour each.
Bytes Strip(const std::vector<uint32_t>& colours) {
  const int width = 16 * static_cast<int>(colours.size());
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = colours[x / 16];
  return Png(width, 16, pixels);
}

// The strip the module carries for its toolbar: its PNG resource.
BOOL CALLBACK FindPngName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR out) {
  HRSRC r = FindResourceW(module, name, type);
  const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(module, r)));
  if (!p || SizeofResource(module, r) <= 8 || std::memcmp(p, "\x89PNG\r\n\x1A\n", 8) != 0) return TRUE;
  *reinterpret_cast<HRSRC*>(out) = r;
  return FALSE;
}

BOOL CALLBACK FindPngType(HMODULE module, LPWSTR type, LONG_PTR out) {
  EnumResourceNamesW(module, type, FindPngName, out);
  return *reinterpret_cast<HRSRC*>(out) == nullptr;
}

Bytes ModuleStrip() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = nullptr;
  EnumResourceTypesW(module, FindPngType, reinterpret_cast<LONG_PTR>(&found));
  if (!found) return {};
  const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  return Bytes(p, p + SizeofResource(module, found));
}

int GdiObjects() { return static_cast<int>(LiveGdiObjects()); }

struct Lists {
  HIMAGELIST at[3] = {};
  ~Lists() {
    for (HIMAGELIST l : at)
      if (l) ImageList_Destroy(l);
  }
  HRESULT Decode(const Bytes& png) {
    return KvImageStrip_FromPng(png.empty() ? nullptr : png.data(), png.size(), 16, at);
  }
};

class PngStripTest : public ModuleTest {};

TEST_F(PngStripTest, ModuleStripGivesThreeListsOfSixteenPixelImages) {
  const Bytes png = ModuleStrip();
  ASSERT_FALSE(png.empty()) << "no PNG resource in the module";
  Lists lists;
  ASSERT_EQ(S_OK, lists.Decode(png));
  const int count = ImageList_GetImageCount(lists.at[0]);
  EXPECT_GE(count, 20);
  for (HIMAGELIST list : lists.at) {
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(count, ImageList_GetImageCount(list));
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);
  }
  EXPECT_NE(lists.at[0], lists.at[1]);
  EXPECT_NE(lists.at[1], lists.at[2]);
}

TEST_F(PngStripTest, NormalImagesKeepTheirColoursAndTransparency) {
  const std::vector<uint32_t> colours{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000, 0xFF102030};
  Lists lists;
  ASSERT_EQ(S_OK, lists.Decode(Strip(colours)));
  for (HIMAGELIST list : lists.at) EXPECT_EQ(5, ImageList_GetImageCount(list));
  Canvas canvas(16 * 5, 16);
  ASSERT_TRUE(canvas.valid());
  canvas.Fill(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  for (int i = 0; i < 5; ++i) ImageList_Draw(lists.at[0], i, canvas.dc(), 16 * i, 0, ILD_NORMAL);
  const COLORREF expected[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255),
                               RGB(0x10, 0x20, 0x30)};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], canvas.Pixel(16 * i + 8, 8)) << "image " << i;
}

TEST_F(PngStripTest, DamagedDataGivesNoListsAndLeavesNothingBehind) {
  const Bytes good = Strip({0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
  {
    Lists warmUp;  // first use of the decoder and the image lists
    ASSERT_EQ(S_OK, warmUp.Decode(good));
  }
  Bytes badCrc = good;
  badCrc[17] ^= 0x01;  // a byte of the header's width; its checksum no longer matches
  Bytes badZlib;
  Bytes wide = Png(24, 16, std::vector<uint32_t>(24 * 16, 0xFF808080));
  std::mt19937 random(571);
  Bytes noise(1 << 20);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  Bytes noisyTail = good;
  noisyTail.resize(40);
  noisyTail.insert(noisyTail.end(), noise.begin(), noise.begin() + 4096);
  {
    // A stored block whose length words disagree, under a correct chunk checksum.
    Bytes raw(16 * (1 + 32 * 4), 0);
    Bytes z = Zlib(raw);
    z[5] ^= 0xFF;
    badZlib = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Put32(header, 32);
    Put32(header, 16);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    Chunk(badZlib, "IHDR", header);
    Chunk(badZlib, "IDAT", z);
    Chunk(badZlib, "IEND", {});
  }
  const struct {
    const char* name;
    Bytes png;
  } kCases[] = {
      {"truncated", Bytes(good.begin(), good.begin() + good.size() / 2)},
      {"signature only", Bytes(good.begin(), good.begin() + 8)},
      {"bad checksum", badCrc},
      {"bad compressed data", badZlib},
      {"image data ends early", Png(32, 16, std::vector<uint32_t>(32 * 16, 0xFF000000), 5)},
      {"not a PNG", Bytes{'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0}},
      {"zero bytes", Bytes{}},
      {"width not a multiple of 16", wide},
      {"random megabyte", noise},
      {"random after the header", noisyTail},
  };
  const int before = GdiObjects();
  HBITMAP probe = CreateBitmap(4, 4, 1, 32, nullptr);  // the count sees one more object
  ASSERT_EQ(before + 1, GdiObjects());
  DeleteObject(probe);
  for (const auto& c : kCases) {
    Lists lists;
    for (HIMAGELIST& l : lists.at) l = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);  // stale values to overwrite
    const HIMAGELIST stale[3] = {lists.at[0], lists.at[1], lists.at[2]};
    EXPECT_TRUE(FAILED(lists.Decode(c.png))) << c.name;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(nullptr, lists.at[i]) << c.name << ", list " << i;
      if (lists.at[i] != stale[i]) ImageList_Destroy(stale[i]);
    }
  }
  EXPECT_EQ(before, GdiObjects());
}

}  // namespace
