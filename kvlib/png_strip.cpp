#include "kvlib/png_strip.h"

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "kvlib/gdi_object.h"

namespace {

// A strip wider than this many images is not a toolbar strip.
constexpr int kMaxImages = 256;
constexpr int kMaxImageSize = 64;

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;  // straight alpha, top-down rows
};

HRESULT Decode(const void* bytes, size_t size, int imageSize, Pixels* out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, size)) return E_INVALIDARG;
  // Shape first, so that no buffer is sized from a header that is not a strip.
  const bool strip = image.height == static_cast<png_uint_32>(imageSize) && image.width > 0 &&
                     image.width % static_cast<png_uint_32>(imageSize) == 0 &&
                     image.width / static_cast<png_uint_32>(imageSize) <= static_cast<png_uint_32>(kMaxImages);
  if (!strip) {
    png_image_free(&image);
    return E_INVALIDARG;
  }
  image.format = PNG_FORMAT_BGRA;
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  try {
    out->bgra.resize(PNG_IMAGE_SIZE(image));
  } catch (const std::bad_alloc&) {
    png_image_free(&image);
    return E_OUTOFMEMORY;
  }
  if (!png_image_finish_read(&image, nullptr, out->bgra.data(), 0, nullptr)) {
    png_image_free(&image);
    return E_INVALIDARG;
  }
  return S_OK;
}

// The hot look brightens a little; the disabled one is grey and faint.
void Restyle(std::vector<uint8_t>& bgra, KvStripList kind) {
  for (size_t i = 0; i + 3 < bgra.size(); i += 4) {
    uint8_t* p = &bgra[i];
    if (kind == kStripHot) {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] + (255 - p[c]) / 6);
    } else if (kind == kStripDisabled) {
      const int grey = (p[0] * 29 + p[1] * 150 + p[2] * 77) >> 8;
      const uint8_t light = static_cast<uint8_t>(128 + grey / 2);
      p[0] = p[1] = p[2] = light;
      p[3] = static_cast<uint8_t>(p[3] / 2);
    }
  }
}

// One image list from the pixels: 32-bit colour with alpha, and a mask for
// image lists drawn without alpha.
HIMAGELIST MakeList(const Pixels& pixels, const std::vector<uint8_t>& bgra, int imageSize) {
  const int count = pixels.width / imageSize;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject<HBITMAP> colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour || !bits) return nullptr;
  std::copy(bgra.begin(), bgra.end(), static_cast<uint8_t*>(bits));
  // The mask: 1 (transparent) where the image is mostly see-through.
  const int stride = ((pixels.width + 15) / 16) * 2;
  std::vector<uint8_t> maskBits(static_cast<size_t>(stride) * pixels.height, 0);
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      if (bgra[(static_cast<size_t>(y) * pixels.width + x) * 4 + 3] < 128)
        maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  GdiObject<HBITMAP> mask(CreateBitmap(pixels.width, pixels.height, 1, 1, maskBits.data()));
  if (!mask) return nullptr;
  HIMAGELIST list = ImageList_Create(imageSize, imageSize, ILC_COLOR32 | ILC_MASK, count, 0);
  if (!list) return nullptr;
  if (ImageList_Add(list, colour.get(), mask.get()) < 0 || ImageList_GetImageCount(list) != count) {
    ImageList_Destroy(list);
    return nullptr;
  }
  return list;
}

}  // namespace

void KvImageStrip_Destroy(HIMAGELIST (&lists)[kStripLists]) {
  for (HIMAGELIST& list : lists) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
}

HRESULT KvImageStrip_FromPng(const void* bytes, size_t size, int imageSize, HIMAGELIST (&lists)[kStripLists]) {
  std::fill(std::begin(lists), std::end(lists), nullptr);
  if (!bytes || size == 0 || imageSize <= 0 || imageSize > kMaxImageSize) return E_INVALIDARG;
  Pixels pixels;
  HRESULT hr = Decode(bytes, size, imageSize, &pixels);
  if (FAILED(hr)) return hr;
  for (int kind = 0; kind < kStripLists; ++kind) {
    std::vector<uint8_t> styled = pixels.bgra;
    Restyle(styled, static_cast<KvStripList>(kind));
    lists[kind] = MakeList(pixels, styled, imageSize);
    if (!lists[kind]) {
      KvImageStrip_Destroy(lists);
      return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

HRESULT KvImageStrip_FromResource(HMODULE module, LPCWSTR name, LPCWSTR type, int imageSize,
                                  HIMAGELIST (&lists)[kStripLists]) {
  std::fill(std::begin(lists), std::end(lists), nullptr);
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  return KvImageStrip_FromPng(bytes, SizeofResource(module, found), imageSize, lists);
}
