// Exact 64-bit arithmetic for positions near the ends of the time line:
// saturating sums and a multiply-divide with a 128-bit intermediate that
// works the same in 32-bit builds, which have no native 128-bit type.
// Platform-free.
#pragma once

#include <cstdint>

inline int64_t SatAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

inline int64_t SatSub(int64_t a, int64_t b) {
  int64_t difference;
  if (__builtin_sub_overflow(a, b, &difference)) return b < 0 ? INT64_MAX : INT64_MIN;
  return difference;
}

inline int64_t SatMul(int64_t a, int64_t b) {
  int64_t product;
  if (__builtin_mul_overflow(a, b, &product)) return (a < 0) != (b < 0) ? INT64_MIN : INT64_MAX;
  return product;
}

// a * b / c rounded to nearest (halves away from zero), saturated to the
// int64 range; 0 when c is 0.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c);
// The same, truncated toward zero.
int64_t MulDivTrunc(int64_t a, int64_t b, int64_t c);
