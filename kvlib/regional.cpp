#include "kvlib/regional.h"

#include <algorithm>

namespace {

KvRegionalValues g_regional = KvText_DefaultRegional();

bool SameText(const kvchar* a, const kvchar* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

template <size_t N>
void Assign(kvchar (&field)[N], const kvchar* text) {
  size_t i = 0;
  for (; text && text[i] && i + 1 < N; ++i) field[i] = text[i];
  field[i] = 0;
}

}  // namespace

KvRegionalValues KvText_DefaultRegional() {
  KvRegionalValues values{};
  Assign(values.negativeSign, KVTEXT("-"));
  Assign(values.thousands, KVTEXT(","));
  Assign(values.decimal, KVTEXT("."));
  Assign(values.list, KVTEXT(","));
  Assign(values.time, KVTEXT(":"));
  values.groups[0] = 3;
  values.groupCount = 1;
  values.repeatLastGroup = true;
  return values;
}

void KvText_SetRegional(const KvRegionalValues& values) {
  KvRegionalValues fixed = values;
  Assign(fixed.negativeSign, KVTEXT("-"));
  // A number would read ambiguously (or lose its point) otherwise.
  if (!fixed.decimal[0] || SameText(fixed.decimal, fixed.thousands))
    Assign(fixed.decimal, SameText(fixed.thousands, KVTEXT(".")) ? KVTEXT(",") : KVTEXT("."));
  fixed.groupCount = std::min<uint8_t>(fixed.groupCount, sizeof fixed.groups);
  g_regional = fixed;
}

const KvRegionalValues& KvText_Regional() { return g_regional; }

void KvText_CopySeparator(kvchar (&field)[8], const kvchar* text) { Assign(field, text); }

void KvText_ParseGrouping(const kvchar* text, KvRegionalValues& values) {
  values.groupCount = 0;
  values.repeatLastGroup = false;
  while (text && *text) {
    unsigned size = 0;
    bool digits = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
      size = std::min(size * 10 + (*text - '0'), 99u);
      digits = true;
    }
    if (digits && size == 0) {
      // A closing 0 repeats the group before it; a leading 0 means no grouping.
      values.repeatLastGroup = values.groupCount > 0;
      return;
    }
    if (digits && values.groupCount < sizeof values.groups) values.groups[values.groupCount++] = static_cast<uint8_t>(size);
    if (*text) ++text;  // the ';' between sizes
  }
}
