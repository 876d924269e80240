// KvPrintF: printf-style formatting of UTF-16 text with the regional settings
// and the "$" extensions. Arguments are carried with their types, so a format
// can never read past them or misread their size:
// - an integer conversion reads an integer argument at the argument's own width
//   (h, hh and I32 narrow it; l, ll and I64 are accepted); d and i read it as
//   signed, u, x, X and o as unsigned;
// - floating conversions take any number; integer conversions take a floating
//   argument truncated;
// - %s takes kvchar text (pointer, string, string view) or char text, which is
//   widened byte by byte;
// - a missing or unsuitable argument prints nothing for its conversion.
// "$" extensions:
//   $$            "$"
//   $(1234.5)     the number regrouped: "-" sign, ',' ignored, '.' the point
//   $(name)       the token's text (print_tokens.h); unknown: copied unchanged
//   $!: $!. $!,   the "SMPTE.Whole", "SMPTE.NonDrop", "SMPTE.Drop" separators
//   $&: $&.       the "m.b" and "b.t" separators
//                 (an empty separator token prints the character that follows)
//   $*  $,  $:    the regional decimal, list and time separators
//   $ before a conversion ("$d", "$I64d", "$.3f"): digits grouped by thousands
// "%.Nz" prints an integer argument divided by 10^N with N decimals.
// Floating and z conversions always use the regional decimal separator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "kvlib/kvchar.h"

struct KvPrintArg {
  enum class Kind : uint8_t { None, Signed, Unsigned, Float, Text, NarrowText, Pointer };

  KvPrintArg() : i(0) {}
  template <class T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>)
  KvPrintArg(T value) {
    if constexpr (std::is_enum_v<T>) {
      *this = KvPrintArg(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_signed_v<T>) {
      kind = Kind::Signed, bytes = sizeof(T), i = value;
    } else {
      kind = Kind::Unsigned, bytes = sizeof(T), u = value;
    }
  }
  KvPrintArg(double value) : kind(Kind::Float), f(value) {}
  KvPrintArg(float value) : kind(Kind::Float), f(value) {}
  KvPrintArg(long double value) : kind(Kind::Float), f(static_cast<double>(value)) {}
  KvPrintArg(const kvchar* value) : kind(Kind::Text), text(value) {}
  KvPrintArg(std::basic_string_view<kvchar> value) : kind(Kind::Text), length(value.size()), text(value.data()) {}
  KvPrintArg(const std::basic_string<kvchar>& value) : KvPrintArg(std::basic_string_view<kvchar>(value)) {}
  KvPrintArg(const char* value) : kind(Kind::NarrowText), narrow(value) {}
  KvPrintArg(const void* value) : kind(Kind::Pointer), bytes(sizeof(void*)), pointer(value) {}
  KvPrintArg(std::nullptr_t) : kind(Kind::Pointer), bytes(sizeof(void*)), pointer(nullptr) {}

  Kind kind = Kind::None;
  uint8_t bytes = 0;                // width of an integer argument
  size_t length = SIZE_MAX;         // text: SIZE_MAX while terminated by 0
  union {
    int64_t i;
    uint64_t u;
    double f;
    const kvchar* text;
    const char* narrow;
    const void* pointer;
  };
};

// Formats into buffer (capacity in code units, terminator included; the text is
// cut to fit and always terminated). Returns the number of code units written.
int KvVPrintF(kvchar* buffer, size_t capacity, const kvchar* format, const KvPrintArg* args, size_t count);

template <class... Args>
int KvPrintF(kvchar* buffer, size_t capacity, const kvchar* format, const Args&... args) {
  const std::array<KvPrintArg, sizeof...(Args)> list{KvPrintArg(args)...};
  return KvVPrintF(buffer, capacity, format, list.data(), list.size());
}

template <size_t N, class... Args>
int KvPrintF(kvchar (&buffer)[N], const kvchar* format, const Args&... args) {
  return KvPrintF(buffer, N, format, args...);
}
