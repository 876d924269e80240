// KvPrintF's format parsing: any format against a fixed set of arguments of
// every kind, into buffers of any capacity; the text always ends inside the
// buffer.
#include <vector>

#include "kvlib/printf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t capacity = 1 + data[0] % 200;
  std::vector<kvchar> format;
  for (size_t i = 1; i + 1 < size; i += 2) format.push_back(static_cast<kvchar>(data[i] | (data[i + 1] << 8)));
  format.push_back(0);
  static const kvchar kText[] = {'a', 'b', 0};
  const KvPrintArg args[] = {KvPrintArg(int32_t{-7}), KvPrintArg(uint64_t{1234567890123ull}), KvPrintArg(3.75),
                             KvPrintArg(kText), KvPrintArg("narrow"), KvPrintArg(static_cast<const void*>(kText)),
                             KvPrintArg(int64_t{-1})};
  std::vector<kvchar> buffer(capacity + 8, 0x5A5A);
  const int n = KvVPrintF(buffer.data(), capacity, format.data(), args, sizeof args / sizeof args[0]);
  if (n < 0 || static_cast<size_t>(n) >= capacity) __builtin_trap();
  if (buffer[static_cast<size_t>(n)] != 0) __builtin_trap();
  for (size_t i = capacity; i < buffer.size(); ++i)
    if (buffer[i] != 0x5A5A) __builtin_trap();
  return 0;
}
