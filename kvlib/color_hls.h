// Hue, lightness and saturation on the 0-240 scale of the system's colour
// dialog, for the contrast adjustment of UI colours. Platform-free; colours
// are 0x00BBGGRR values.
#pragma once

#include <cstdint>

struct KvHls {
  int hue;         // 0-239
  int lightness;   // 0-240
  int saturation;  // 0-240
};

KvHls KvRgbToHls(uint32_t rgb);
uint32_t KvHlsToRgb(const KvHls& hls);

// A near-grey colour (saturation below 20, lightness strictly between 90 and
// 150) moved away from the middle: to lightness 150 when it is above 120, else
// to 90, keeping hue and saturation. Other colours are returned unchanged.
uint32_t KvContrastAdjust(uint32_t rgb);
