#include "kvlib/print_conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>

#include "kvlib/regional.h"

namespace {

using View = std::basic_string_view<kvchar>;

// Keeps every conversion within the local buffers below.
constexpr int kMaxPrecision = 400;
constexpr int kMaxWidth = 100000;

// A conversion's text before padding: sign or radix prefix, then the body.
// It grows as needed; only running out of memory cuts it short.
class Piece {
 public:
  void Put(kvchar c) {
    if (full_) return;
    try {
      text_.push_back(c);
    } catch (const std::bad_alloc&) {
      full_ = true;
    }
  }
  void Put(View text) {
    for (kvchar c : text) Put(c);
  }
  void PutAscii(const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(static_cast<kvchar>(text[i]));
  }
  View Text() const { return View(text_); }

 private:
  std::basic_string<kvchar> text_;
  bool full_ = false;
};

bool IsDigit(kvchar c) { return c >= '0' && c <= '9'; }

uint64_t Mask(int bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// The argument as raw bits of the given width; false when it is no number.
bool IntegerBits(const KvPrintArg* arg, int narrowBits, uint64_t& raw, int& bits) {
  if (!arg) return false;
  switch (arg->kind) {
    case KvPrintArg::Kind::Signed:
    case KvPrintArg::Kind::Unsigned:
      raw = arg->u;
      bits = arg->bytes * 8;
      break;
    case KvPrintArg::Kind::Pointer:
      raw = reinterpret_cast<uintptr_t>(arg->pointer);
      bits = sizeof(void*) * 8;
      break;
    case KvPrintArg::Kind::Float: {
      double f = std::trunc(arg->f);
      int64_t v = 0;
      if (f >= 9223372036854775807.0) v = std::numeric_limits<int64_t>::max();
      else if (f <= -9223372036854775808.0) v = std::numeric_limits<int64_t>::min();
      else if (f == f) v = static_cast<int64_t>(f);
      raw = static_cast<uint64_t>(v);
      bits = 64;
      break;
    }
    default:
      return false;
  }
  if (narrowBits && narrowBits < bits) bits = narrowBits;
  raw &= Mask(bits);
  return true;
}

bool FloatValue(const KvPrintArg* arg, double& value) {
  if (!arg) return false;
  switch (arg->kind) {
    case KvPrintArg::Kind::Float: value = arg->f; return true;
    case KvPrintArg::Kind::Signed: value = static_cast<double>(arg->i); return true;
    case KvPrintArg::Kind::Unsigned: value = static_cast<double>(arg->u); return true;
    default: return false;
  }
}

void PutPadded(TextSink& out, const PrintConversion& form, View prefix, View body, bool zeroPadAllowed) {
  size_t length = prefix.size() + body.size();
  size_t pad = static_cast<size_t>(form.width) > length ? form.width - length : 0;
  if (form.left) {
    out.Put(prefix.data(), prefix.size());
    out.Put(body.data(), body.size());
    out.Repeat(' ', pad);
  } else if (form.zero && zeroPadAllowed) {
    out.Put(prefix.data(), prefix.size());
    out.Repeat('0', pad);
    out.Put(body.data(), body.size());
  } else {
    out.Repeat(' ', pad);
    out.Put(prefix.data(), prefix.size());
    out.Put(body.data(), body.size());
  }
}

// Digits with the regional thousands separator at the regional group sizes.
void PutGrouped(Piece& piece, View digits) {
  const KvRegionalValues& r = KvText_Regional();
  // Whether a separator goes before the digit that has k digits right of it
  // (k > 0): walk the groups from the right until they pass k.
  auto separatorAt = [&](size_t k) {
    size_t at = 0;
    for (size_t g = 0;; ++g) {
      size_t size = g < r.groupCount ? r.groups[g] : (r.repeatLastGroup && r.groupCount ? r.groups[r.groupCount - 1] : 0);
      if (!size) return false;
      at += size;
      if (at >= k) return at == k;
    }
  };
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && separatorAt(digits.size() - i)) piece.Put(View(r.thousands));
    piece.Put(digits[i]);
  }
}

void AsciiToText(const char* ascii, size_t n, kvchar* text) {
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<kvchar>(ascii[i]);
}

// Decimal, hex or octal digits of v, at least minDigits of them.
size_t IntegerDigits(uint64_t v, unsigned base, bool upper, int minDigits, kvchar* text) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char reversed[kMaxPrecision + 64];
  size_t n = 0;
  for (; v; v /= base) reversed[n++] = set[v % base];
  while (n < static_cast<size_t>(minDigits)) reversed[n++] = '0';
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<kvchar>(reversed[n - 1 - i]);
  return n;
}

void PutSign(Piece& prefix, const PrintConversion& form, bool negative) {
  if (negative) prefix.Put(View(KvText_Regional().negativeSign));
  else if (form.plus) prefix.Put('+');
  else if (form.space) prefix.Put(' ');
}

void PutInteger(TextSink& out, const PrintConversion& form, const KvPrintArg* arg) {
  uint64_t raw;
  int bits;
  if (!IntegerBits(arg, form.narrowBits, raw, bits)) return;
  const kvchar c = form.conversion;
  const bool isSigned = c == 'd' || c == 'i' || c == 'z';
  bool negative = false;
  uint64_t magnitude = raw;
  if (isSigned && bits && ((raw >> (bits - 1)) & 1)) {
    negative = true;
    magnitude = (~raw + 1) & Mask(bits);
  }
  Piece prefix, body;
  kvchar digits[kMaxPrecision + 64];
  if (c == 'z') {
    // Fixed point: at least one digit before the point.
    int decimals = std::max(form.precision, 0);
    size_t n = IntegerDigits(magnitude, 10, false, decimals + 1, digits);
    View whole(digits, n - decimals);
    if (form.grouped) PutGrouped(body, whole);
    else body.Put(whole);
    if (decimals) {
      body.Put(View(KvText_Regional().decimal));
      body.Put(View(digits + n - decimals, decimals));
    }
    PutSign(prefix, form, negative);
    PutPadded(out, form, prefix.Text(), body.Text(), true);
    return;
  }
  const unsigned base = (c == 'x' || c == 'X' || c == 'p') ? 16 : c == 'o' ? 8 : 10;
  int minDigits = form.precision < 0 ? 1 : form.precision;
  if (c == 'p') minDigits = sizeof(void*) * 2;
  size_t n = IntegerDigits(magnitude, base, c != 'x', minDigits, digits);
  if (c == 'o' && form.alt && (n == 0 || digits[0] != '0')) body.Put('0');
  if (isSigned) PutSign(prefix, form, negative);
  if ((c == 'x' || c == 'X') && form.alt && magnitude) prefix.Put(View(c == 'x' ? KVTEXT("0x") : KVTEXT("0X")));
  if (form.grouped && base == 10) PutGrouped(body, View(digits, n));
  else body.Put(View(digits, n));
  PutPadded(out, form, prefix.Text(), body.Text(), form.precision < 0);
}

void PutCharacter(TextSink& out, const PrintConversion& form, const KvPrintArg* arg) {
  uint64_t raw;
  int bits;
  if (!IntegerBits(arg, form.narrowBits, raw, bits)) return;
  Piece body;
  if (raw >= 0x10000 && raw <= 0x10FFFF) {
    body.Put(static_cast<kvchar>(0xD800 + ((raw - 0x10000) >> 10)));
    body.Put(static_cast<kvchar>(0xDC00 + ((raw - 0x10000) & 0x3FF)));
  } else {
    body.Put(static_cast<kvchar>(raw));
  }
  PutPadded(out, form, View(), body.Text(), false);
}

// Strings go straight to the output, which alone bounds them.
void PutString(TextSink& out, const PrintConversion& form, const KvPrintArg* arg) {
  if (!arg || (arg->kind != KvPrintArg::Kind::Text && arg->kind != KvPrintArg::Kind::NarrowText)) return;
  const size_t limit = form.precision < 0 ? SIZE_MAX : static_cast<size_t>(form.precision);
  const bool wide = arg->kind == KvPrintArg::Kind::Text;
  const kvchar* text = wide && arg->text ? arg->text : KVTEXT("(null)");
  const size_t given = wide && arg->text ? arg->length : SIZE_MAX;
  const char* narrow = !wide && arg->narrow ? arg->narrow : "(null)";
  auto at = [&](size_t i) -> kvchar {
    return wide ? text[i] : static_cast<kvchar>(static_cast<unsigned char>(narrow[i]));
  };
  size_t n = 0;
  while (n < limit && (wide && given != SIZE_MAX ? n < given : at(n) != 0)) ++n;
  const size_t pad = static_cast<size_t>(form.width) > n ? form.width - n : 0;
  if (!form.left) out.Repeat(' ', pad);
  for (size_t i = 0; i < n; ++i) out.Put(at(i));
  if (form.left) out.Repeat(' ', pad);
}

void PutFloat(TextSink& out, const PrintConversion& form, const KvPrintArg* arg) {
  double value;
  if (!FloatValue(arg, value)) return;
  const kvchar c = form.conversion;
  const bool upper = c == 'F' || c == 'E' || c == 'G';
  Piece prefix, body;
  PutSign(prefix, form, std::signbit(value));
  if (!std::isfinite(value)) {
    const char* word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    body.PutAscii(word, 3);
    PutPadded(out, form, prefix.Text(), body.Text(), false);
    return;
  }
  const int precision = form.precision < 0 ? 6 : form.precision;
  const std::chars_format format = (c == 'f' || c == 'F') ? std::chars_format::fixed
                                   : (c == 'e' || c == 'E') ? std::chars_format::scientific
                                                            : std::chars_format::general;
  char ascii[1024];
  auto [end, error] = std::to_chars(ascii, ascii + sizeof ascii, std::fabs(value), format, precision);
  if (error != std::errc()) return;
  const size_t n = end - ascii;
  kvchar text[sizeof ascii];
  AsciiToText(ascii, n, text);
  if (upper)
    for (size_t i = 0; i < n; ++i)
      if (text[i] == 'e') text[i] = 'E';
  View all(text, n);
  size_t point = all.find('.');
  size_t wholeEnd = std::min({point, all.find_first_not_of(KVTEXT("0123456789")), all.size()});
  View whole = all.substr(0, wholeEnd);
  if (form.grouped && format == std::chars_format::fixed) PutGrouped(body, whole);
  else body.Put(whole);
  if (point != View::npos) {
    body.Put(View(KvText_Regional().decimal));
    body.Put(all.substr(point + 1));
  } else {
    if (form.alt && format == std::chars_format::fixed) body.Put(View(KvText_Regional().decimal));
    body.Put(all.substr(wholeEnd));
  }
  PutPadded(out, form, prefix.Text(), body.Text(), true);
}

}  // namespace

bool ParseConversion(const kvchar*& p, PrintConversion& form) {
  const kvchar* s = p;
  for (;; ++s) {
    if (*s == '-') form.left = true;
    else if (*s == '+') form.plus = true;
    else if (*s == ' ') form.space = true;
    else if (*s == '0') form.zero = true;
    else if (*s == '#') form.alt = true;
    else break;
  }
  if (*s == '*') {
    form.widthFromArg = true;
    ++s;
  } else {
    for (; IsDigit(*s); ++s) form.width = std::min(form.width * 10 + (*s - '0'), kMaxWidth);
  }
  if (*s == '.') {
    ++s;
    form.precision = 0;
    if (*s == '*') {
      form.precisionFromArg = true;
      ++s;
    } else {
      for (; IsDigit(*s); ++s) form.precision = std::min(form.precision * 10 + (*s - '0'), kMaxPrecision);
    }
  }
  if (s[0] == 'h' && s[1] == 'h') form.narrowBits = 8, s += 2;
  else if (s[0] == 'h') form.narrowBits = 16, ++s;
  else if (s[0] == 'I' && s[1] == '6' && s[2] == '4') s += 3;
  else if (s[0] == 'I' && s[1] == '3' && s[2] == '2') form.narrowBits = 32, s += 3;
  else if (s[0] == 'l' && s[1] == 'l') s += 2;
  else if (s[0] == 'l' || s[0] == 'L' || s[0] == 'I' || s[0] == 'j' || s[0] == 't' || s[0] == 'w') ++s;
  static constexpr View kConversions = KVTEXT("diuxXocCsSfFeEgGpz");
  if (!*s || kConversions.find(*s) == View::npos) return false;
  form.conversion = *s;
  p = s + 1;
  return true;
}

void PutPrintConversion(TextSink& out, PrintConversion form, PrintArguments& args) {
  if (form.widthFromArg) {
    uint64_t raw;
    int bits;
    if (IntegerBits(args.Next(), 32, raw, bits)) {
      int32_t w = static_cast<int32_t>(static_cast<uint32_t>(raw));
      if (w < 0) form.left = true;
      form.width = static_cast<int>(std::min<int64_t>(w < 0 ? -int64_t{w} : w, kMaxWidth));
    }
  }
  if (form.precisionFromArg) {
    uint64_t raw;
    int bits;
    form.precision = -1;
    if (IntegerBits(args.Next(), 32, raw, bits)) {
      int32_t p = static_cast<int32_t>(static_cast<uint32_t>(raw));
      if (p >= 0) form.precision = std::min(p, kMaxPrecision);
    }
  }
  const KvPrintArg* arg = args.Next();
  switch (form.conversion) {
    case 'c':
    case 'C':
      PutCharacter(out, form, arg);
      break;
    case 's':
    case 'S':
      PutString(out, form, arg);
      break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
      PutFloat(out, form, arg);
      break;
    default:
      PutInteger(out, form, arg);
      break;
  }
}

void PutGroupedDigits(TextSink& out, View digits) {
  Piece piece;
  PutGrouped(piece, digits);
  out.Put(piece.Text().data(), piece.Text().size());
}
