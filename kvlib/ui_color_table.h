// The numbered UI colours: the default table and the encodings of its
// entries. Platform-free; the Windows side answers the numbers (ui_resources.h).
#pragma once

#include <cstdint>

inline constexpr int kUIColorFirst = 100;
inline constexpr int kUIColorCount = 62;  // entries 100 to 161

// The high byte of an entry says what it holds.
enum : uint32_t {
  kUIColorRgb = 0x00,          // an RGB value, red in the low byte
  kUIColorSystem = 0x04,       // a system colour index in the low 24 bits
  kUIColorSystemContrast = 0x05,  // the same, with the contrast adjustment on deep screens
};

inline constexpr uint32_t KvUIColorEncoding(uint32_t entry) { return entry >> 24; }

// The default value of entry number, which must lie in 100..161.
uint32_t KvUIColorDefault(int number);
