#include "kvlib/number_text.h"

#include "kvlib/printf.h"
#include "kvlib/regional.h"

namespace {

bool IsWhite(kvchar c) { return c == ' ' || (c >= 9 && c <= 13) || c == 0xA0; }

bool IsDigit(kvchar c) { return c >= '0' && c <= '9'; }

// Skips separator at p when the text continues with it.
bool Skip(const kvchar*& p, const kvchar* separator) {
  if (!*separator) return false;
  size_t i = 0;
  for (; separator[i]; ++i)
    if (p[i] != separator[i]) return false;
  p += i;
  return true;
}

}  // namespace

int KvLongToText(int32_t value, kvchar* buffer, size_t capacity, bool grouped) {
  return KvPrintF(buffer, capacity, grouped ? KVTEXT("$d") : KVTEXT("%d"), value);
}

int KvDWordToText(uint32_t value, kvchar* buffer, size_t capacity, bool grouped) {
  return KvPrintF(buffer, capacity, grouped ? KVTEXT("$u") : KVTEXT("%u"), value);
}

uint32_t KvTextToDWordToken(const kvchar* text, const kvchar** end) {
  if (!text) {
    if (end) *end = text;
    return 0;
  }
  const KvRegionalValues& r = KvText_Regional();
  const kvchar* p = text;
  while (IsWhite(*p)) ++p;
  Skip(p, r.negativeSign);
  uint32_t value = 0;
  for (;;) {
    if (IsDigit(*p)) {
      uint32_t digit = *p++ - '0';
      // Too many digits read as the largest value, never as a wrapped small one.
      value = value > (0xFFFFFFFFu - digit) / 10 ? 0xFFFFFFFFu : value * 10 + digit;
    } else if (Skip(p, r.thousands)) {
      continue;
    } else if (Skip(p, r.decimal)) {
      while (IsDigit(*p)) ++p;
      break;
    } else {
      break;
    }
  }
  if (end) *end = p;
  return value;
}

uint32_t KvTextToDWordTokenEx(const kvchar* text, uint32_t defaultValue, uint32_t minimum, uint32_t maximum,
                              const kvchar** end) {
  const kvchar* stop = nullptr;
  uint32_t value = KvTextToDWordToken(text, &stop);
  if (value == 0 && stop && *stop && !IsWhite(*stop)) value = defaultValue;
  if (value < minimum) value = minimum;
  if (value > maximum) value = maximum;
  if (end) *end = stop;
  return value;
}
