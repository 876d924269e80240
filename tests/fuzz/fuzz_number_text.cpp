// Reading numbers typed by the user: any text, any range; the result stays
// in the range and the end lies inside the text.
#include <vector>

#include "kvlib/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const uint32_t minimum = data[0] | (data[1] << 8), maximum = minimum + (data[2] | (data[3] << 8));
  std::vector<kvchar> text;
  for (size_t i = 8; i + 1 < size; i += 2) text.push_back(static_cast<kvchar>(data[i] | (data[i + 1] << 8)));
  text.push_back(0);
  const kvchar* end = nullptr;
  KvTextToDWordToken(text.data(), &end);
  if (end < text.data() || end >= text.data() + text.size()) __builtin_trap();
  const uint32_t value = KvTextToDWordTokenEx(text.data(), data[4], minimum, maximum, &end);
  if (value < minimum || value > maximum) __builtin_trap();
  return 0;
}
