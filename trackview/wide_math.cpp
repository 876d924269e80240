// 64 x 64 -> 128-bit products and their division, on 32-bit halves.
#include "trackview/wide_math.h"

namespace {

struct U128 {
  uint64_t high, low;
};

uint64_t Magnitude(int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }

U128 Multiply(uint64_t a, uint64_t b) {
  uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
  uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
  uint64_t ll = aLow * bLow, lh = aLow * bHigh, hl = aHigh * bLow, hh = aHigh * bHigh;
  uint64_t middle = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
  return {hh + (lh >> 32) + (hl >> 32) + (middle >> 32), (middle << 32) | (ll & 0xFFFFFFFFu)};
}

U128 Add(U128 v, uint64_t addend) {
  uint64_t low = v.low + addend;
  return {v.high + (low < v.low ? 1 : 0), low};
}

// Quotient of v / d, saturated at UINT64_MAX when it does not fit.
uint64_t Divide(U128 v, uint64_t d) {
  if (v.high >= d) return UINT64_MAX;
  uint64_t remainder = v.high, quotient = 0;
  for (int bit = 63; bit >= 0; --bit) {
    bool carry = remainder >> 63;
    remainder = (remainder << 1) | ((v.low >> bit) & 1);
    if (carry || remainder >= d) {
      remainder -= d;
      quotient |= uint64_t{1} << bit;
    }
  }
  return quotient;
}

int64_t Signed(uint64_t magnitude, bool negative) {
  if (negative) return magnitude > uint64_t{1} << 63 ? INT64_MIN : static_cast<int64_t>(0 - magnitude);
  return magnitude > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(magnitude);
}

int64_t MulDiv(int64_t a, int64_t b, int64_t c, bool round) {
  if (c == 0) return 0;
  bool negative = ((a < 0) != (b < 0)) != (c < 0);
  uint64_t divisor = Magnitude(c);
  U128 product = Multiply(Magnitude(a), Magnitude(b));
  if (round) product = Add(product, divisor / 2);
  if (product.high == 0 && product.low == 0) return 0;
  return Signed(Divide(product, divisor), negative);
}

}  // namespace

int64_t MulDivRound(int64_t a, int64_t b, int64_t c) { return MulDiv(a, b, c, true); }

int64_t MulDivTrunc(int64_t a, int64_t b, int64_t c) { return MulDiv(a, b, c, false); }
