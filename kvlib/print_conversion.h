// The conversions of KvPrintF ("%d", "$.3f", "%.2z" ...): parsing a
// conversion and writing its argument. Internal to printf.cpp.
#pragma once

#include <cstddef>
#include <string_view>

#include "kvlib/printf.h"
#include "kvlib/text_sink.h"

struct PrintConversion {
  bool left = false, plus = false, space = false, zero = false, alt = false;
  bool grouped = false;
  bool widthFromArg = false, precisionFromArg = false;
  int width = 0;
  int precision = -1;
  int narrowBits = 0;  // 0: the argument's own width
  kvchar conversion = 0;
};

class PrintArguments {
 public:
  PrintArguments(const KvPrintArg* args, size_t count) : args_(args), count_(args ? count : 0) {}
  const KvPrintArg* Next() { return next_ < count_ ? &args_[next_++] : nullptr; }

 private:
  const KvPrintArg* args_;
  size_t count_;
  size_t next_ = 0;
};

// Reads flags, width, precision, size and conversion at p; p is left past the
// conversion when one is found.
bool ParseConversion(const kvchar*& p, PrintConversion& form);

// Writes the conversion of the next argument (after any '*' width and precision).
void PutPrintConversion(TextSink& out, PrintConversion form, PrintArguments& args);

// Decimal digits with the regional thousands separator at the regional group sizes.
void PutGroupedDigits(TextSink& out, std::basic_string_view<kvchar> digits);
