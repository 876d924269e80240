#include "kvlib/ui_color_table.h"

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// Three blocks of the same ten roles in blue, red and green, then the editor's
// own colours; 151 is the active loop region.
constexpr uint32_t kDefaults[kUIColorCount] = {
    Rgb(0, 0, 100),     Rgb(0, 0, 200),     Rgb(0, 0, 100),     Rgb(0, 0, 200),    Rgb(255, 255, 255),
    Rgb(0, 0, 0),       Rgb(0, 0, 240),     Rgb(192, 192, 192), Rgb(128, 128, 0),  Rgb(255, 0, 255),
    Rgb(100, 0, 0),     Rgb(200, 0, 0),     Rgb(100, 0, 0),     Rgb(200, 0, 0),    Rgb(255, 255, 255),
    Rgb(0, 0, 0),       Rgb(0, 0, 240),     Rgb(192, 192, 192), Rgb(128, 128, 0),  Rgb(255, 0, 255),
    Rgb(0, 72, 0),      Rgb(0, 193, 0),     Rgb(0, 72, 0),      Rgb(0, 193, 0),    Rgb(255, 255, 255),
    Rgb(0, 0, 0),       Rgb(0, 0, 240),     Rgb(192, 192, 192), Rgb(128, 128, 0),  Rgb(255, 0, 255),
    Rgb(219, 142, 87),  Rgb(84, 158, 101),  Rgb(0, 128, 128),   Rgb(0, 128, 0),    Rgb(0, 128, 0),
    Rgb(0, 128, 128),   Rgb(255, 0, 0),     Rgb(0, 0, 255),     Rgb(0, 128, 128),  Rgb(0, 255, 255),
    Rgb(92, 92, 92),    Rgb(255, 0, 0),     Rgb(0, 0, 255),     Rgb(0, 128, 255),  Rgb(255, 255, 255),
    Rgb(192, 192, 192), Rgb(255, 0, 0),     Rgb(56, 95, 125),   Rgb(56, 95, 125),  Rgb(189, 87, 219),
    Rgb(219, 87, 87),   Rgb(0, 0, 128),     Rgb(249, 244, 0),   Rgb(33, 97, 255),  Rgb(253, 210, 181),
    Rgb(146, 0, 114),   Rgb(255, 255, 255), Rgb(230, 230, 230), Rgb(33, 97, 255),  Rgb(255, 0, 0),
    Rgb(0, 0, 192),     Rgb(230, 230, 230),
};

}  // namespace

uint32_t KvUIColorDefault(int number) {
  const int index = number - kUIColorFirst;
  return index >= 0 && index < kUIColorCount ? kDefaults[index] : 0;
}
