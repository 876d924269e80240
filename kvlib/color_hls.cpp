#include "kvlib/color_hls.h"

#include <algorithm>

namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;
constexpr int kHueUndefined = kHlsMax * 2 / 3;  // hue of a grey

int Red(uint32_t rgb) { return rgb & 0xFF; }
int Green(uint32_t rgb) { return (rgb >> 8) & 0xFF; }
int Blue(uint32_t rgb) { return (rgb >> 16) & 0xFF; }

// One channel from the two lightness bounds at a hue offset.
int HueToChannel(int low, int high, int hue) {
  hue = (hue % kHlsMax + kHlsMax) % kHlsMax;
  if (hue < kHlsMax / 6) return low + ((high - low) * hue + kHlsMax / 12) / (kHlsMax / 6);
  if (hue < kHlsMax / 2) return high;
  if (hue < kHlsMax * 2 / 3) return low + ((high - low) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
  return low;
}

int ToByte(int channel) { return std::clamp((channel * kRgbMax + kHlsMax / 2) / kHlsMax, 0, kRgbMax); }

}  // namespace

KvHls KvRgbToHls(uint32_t rgb) {
  const int r = Red(rgb), g = Green(rgb), b = Blue(rgb);
  const int high = std::max({r, g, b}), low = std::min({r, g, b});
  const int sum = high + low, range = high - low;
  KvHls hls{};
  hls.lightness = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (range == 0) {
    hls.hue = kHueUndefined;
    return hls;
  }
  if (hls.lightness <= kHlsMax / 2) hls.saturation = (range * kHlsMax + sum / 2) / sum;
  else hls.saturation = (range * kHlsMax + (2 * kRgbMax - sum) / 2) / (2 * kRgbMax - sum);
  const int dr = ((high - r) * (kHlsMax / 6) + range / 2) / range;
  const int dg = ((high - g) * (kHlsMax / 6) + range / 2) / range;
  const int db = ((high - b) * (kHlsMax / 6) + range / 2) / range;
  if (r == high) hls.hue = db - dg;
  else if (g == high) hls.hue = kHlsMax / 3 + dr - db;
  else hls.hue = kHlsMax * 2 / 3 + dg - dr;
  hls.hue = (hls.hue % kHlsMax + kHlsMax) % kHlsMax;
  return hls;
}

uint32_t KvHlsToRgb(const KvHls& hls) {
  const int l = std::clamp(hls.lightness, 0, kHlsMax), s = std::clamp(hls.saturation, 0, kHlsMax);
  int r, g, b;
  if (s == 0) {
    r = g = b = std::min(l * kRgbMax / kHlsMax, kRgbMax);
  } else {
    const int high = l <= kHlsMax / 2 ? (l * (kHlsMax + s) + kHlsMax / 2) / kHlsMax
                                      : l + s - (l * s + kHlsMax / 2) / kHlsMax;
    const int low = 2 * l - high;
    r = ToByte(HueToChannel(low, high, hls.hue + kHlsMax / 3));
    g = ToByte(HueToChannel(low, high, hls.hue));
    b = ToByte(HueToChannel(low, high, hls.hue - kHlsMax / 3));
  }
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

uint32_t KvContrastAdjust(uint32_t rgb) {
  KvHls hls = KvRgbToHls(rgb);
  if (hls.saturation >= 20 || hls.lightness <= 90 || hls.lightness >= 150) return rgb & 0xFFFFFF;
  hls.lightness = hls.lightness > 120 ? 150 : 90;
  return KvHlsToRgb(hls);
}
