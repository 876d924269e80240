// Integers as text and back, with the regional separators.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kvlib/kvchar.h"

// Decimal text of value ("0" for zero), grouped by the regional thousands
// separator when asked. Returns the length written (the text is cut to fit).
int KvLongToText(int32_t value, kvchar* buffer, size_t capacity, bool grouped);
int KvDWordToText(uint32_t value, kvchar* buffer, size_t capacity, bool grouped);

template <size_t N>
int KvLongToText(int32_t value, kvchar (&buffer)[N], bool grouped) {
  return KvLongToText(value, buffer, N, grouped);
}
template <size_t N>
int KvDWordToText(uint32_t value, kvchar (&buffer)[N], bool grouped) {
  return KvDWordToText(value, buffer, N, grouped);
}

// Reads the leading integer of text: white space is skipped, the regional
// negative sign is accepted before the digits, thousands separators between
// them are skipped, and a decimal separator ends the integer part (its
// fraction digits are passed over). Returns the digits' value, 0 when there
// are none, 0xFFFFFFFF when they exceed 32 bits; *end (when given) receives
// the position where reading stopped.
uint32_t KvTextToDWordToken(const kvchar* text, const kvchar** end);

// As above, but a reading that found no number before some other character
// gives defaultValue, and the result is then limited to minimum..maximum.
uint32_t KvTextToDWordTokenEx(const kvchar* text, uint32_t defaultValue, uint32_t minimum, uint32_t maximum,
                              const kvchar** end);
