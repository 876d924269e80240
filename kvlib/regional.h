// The user's regional number and time settings as the text functions use them.
// Platform-free: the Windows start-up fills them from the user's locale, tests
// set them directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kvlib/kvchar.h"

struct KvRegionalValues {
  kvchar negativeSign[4];  // always "-"
  kvchar thousands[8];
  kvchar decimal[8];
  kvchar list[8];
  kvchar time[8];
  // Digit group sizes counted from the decimal point, e.g. {3} repeated for
  // 1,234,567 and {3, 2} repeated for 12,34,567. No groups: no separators.
  uint8_t groups[9];
  uint8_t groupCount;
  bool repeatLastGroup;
};

// Neutral values until the start-up reads the locale: "," "." "," ":" and
// groups of three.
KvRegionalValues KvText_DefaultRegional();

// Installs new values, with the fix-ups: the negative sign is "-", and a
// decimal separator that is empty or equal to the thousands separator becomes
// "," when the thousands separator is "." and "." otherwise.
void KvText_SetRegional(const KvRegionalValues& values);
const KvRegionalValues& KvText_Regional();

// Copies a separator, cut to what the field holds.
void KvText_CopySeparator(kvchar (&field)[8], const kvchar* text);

// Reads a grouping in the locale's notation ("3;0", "3;2;0", "3", "0").
void KvText_ParseGrouping(const kvchar* text, KvRegionalValues& values);
