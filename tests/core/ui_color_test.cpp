// The UI colour table's defaults and the contrast adjustment of near-grey
// system colours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "kvlib/color_hls.h"
#include "kvlib/ui_color_table.h"

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

TEST(UIColorTable, Defaults) {
  EXPECT_EQ(KvUIColorDefault(100), Rgb(0, 0, 100));
  EXPECT_EQ(KvUIColorDefault(119), Rgb(255, 0, 255));
  EXPECT_EQ(KvUIColorDefault(121), Rgb(0, 193, 0));
  EXPECT_EQ(KvUIColorDefault(130), Rgb(219, 142, 87));
  EXPECT_EQ(KvUIColorDefault(147), Rgb(56, 95, 125));
  EXPECT_EQ(KvUIColorDefault(151), Rgb(0, 0, 128));
  EXPECT_EQ(KvUIColorDefault(154), Rgb(253, 210, 181));
  EXPECT_EQ(KvUIColorDefault(161), Rgb(230, 230, 230));
  EXPECT_EQ(KvUIColorDefault(99), 0u);
  EXPECT_EQ(KvUIColorDefault(162), 0u);
  for (int n = 100; n <= 161; ++n) EXPECT_EQ(KvUIColorEncoding(KvUIColorDefault(n)), kUIColorRgb) << n;
}

TEST(ColorHls, PrimaryColours) {
  struct Case {
    uint32_t rgb;
    int hue, lightness, saturation;
  };
  const Case cases[] = {
      {Rgb(255, 0, 0), 0, 120, 240},   {Rgb(0, 255, 0), 80, 120, 240},  {Rgb(0, 0, 255), 160, 120, 240},
      {Rgb(255, 255, 0), 40, 120, 240}, {Rgb(255, 255, 255), 160, 240, 0}, {Rgb(0, 0, 0), 160, 0, 0},
      {Rgb(128, 128, 128), 160, 120, 0},
  };
  for (const Case& c : cases) {
    KvHls hls = KvRgbToHls(c.rgb);
    EXPECT_EQ(hls.hue, c.hue) << std::hex << c.rgb;
    EXPECT_EQ(hls.lightness, c.lightness) << std::hex << c.rgb;
    EXPECT_EQ(hls.saturation, c.saturation) << std::hex << c.rgb;
  }
}

TEST(ColorHls, RoundTripStaysWithinRounding) {
  for (uint32_t rgb : {Rgb(219, 142, 87), Rgb(84, 158, 101), Rgb(33, 97, 255), Rgb(146, 0, 114), Rgb(7, 200, 13),
                       Rgb(250, 250, 249), Rgb(1, 2, 3)}) {
    uint32_t back = KvHlsToRgb(KvRgbToHls(rgb));
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_LE(std::abs(static_cast<int>((back >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)), 3)
          << std::hex << rgb << " -> " << back;
  }
}

TEST(ColorHls, ContrastAdjustment) {
  EXPECT_EQ(KvContrastAdjust(Rgb(110, 110, 110)), Rgb(95, 95, 95));     // lightness 104: down to 90
  EXPECT_EQ(KvContrastAdjust(Rgb(128, 128, 128)), Rgb(95, 95, 95));     // 120: down
  EXPECT_EQ(KvContrastAdjust(Rgb(129, 129, 129)), Rgb(159, 159, 159));  // 121: up to 150
  EXPECT_EQ(KvContrastAdjust(Rgb(158, 158, 158)), Rgb(159, 159, 159));  // 149: up
  EXPECT_EQ(KvContrastAdjust(Rgb(96, 96, 96)), Rgb(96, 96, 96));        // 90: not inside the band
  EXPECT_EQ(KvContrastAdjust(Rgb(159, 159, 159)), Rgb(159, 159, 159));  // 150: not inside
  EXPECT_EQ(KvContrastAdjust(Rgb(200, 50, 50)), Rgb(200, 50, 50));      // saturated
  EXPECT_EQ(KvContrastAdjust(0x05000000 | Rgb(200, 50, 50)), Rgb(200, 50, 50));
  // Slightly tinted grey keeps its tint.
  uint32_t tinted = KvContrastAdjust(Rgb(120, 110, 110));
  KvHls hls = KvRgbToHls(tinted);
  EXPECT_NEAR(hls.lightness, 90, 1);
  EXPECT_GT(tinted & 0xFF, (tinted >> 8) & 0xFF);
}

}  // namespace
