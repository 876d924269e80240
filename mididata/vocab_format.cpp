// The vocabulary's small typed formatter.
#include "mididata/vocab_format.h"

#include <cmath>
#include <cstdio>

namespace {

class Writer {
 public:
  Writer(kvchar* buffer, int32_t capacity) : buffer_(buffer), capacity_(capacity) {}
  void Put(kvchar c) {
    if (at_ < capacity_ - 1) buffer_[at_++] = c;
  }
  void Put(const char* s) {
    for (; *s; ++s) Put(static_cast<kvchar>(*s));
  }
  void Put(const kvchar* s) {
    for (; s && *s; ++s) Put(*s);
  }
  void Finish() { buffer_[at_] = 0; }

 private:
  kvchar* buffer_;
  int32_t capacity_;
  int32_t at_ = 0;
};

}  // namespace

void VocabFormat(kvchar* buffer, int32_t capacity, const kvchar* format, std::initializer_list<VocabArg> args) {
  if (capacity <= 0) return;
  Writer out(buffer, capacity);
  const VocabArg* next = args.begin();
  for (const kvchar* f = format; f && *f; ++f) {
    if (*f != '%') {
      out.Put(*f);
      continue;
    }
    ++f;
    if (*f == '%') {
      out.Put(kvchar('%'));
      continue;
    }
    const bool zeroPad = *f == '0';
    int width = 0;
    while (*f >= '0' && *f <= '9') width = width * 10 + (*f++ - '0');
    int precision = -1;
    if (*f == '.') {
      precision = 0;
      for (++f; *f >= '0' && *f <= '9'; ++f) precision = precision * 10 + (*f - '0');
    }
    if (!*f) break;
    const VocabArg* arg = next != args.end() ? next++ : nullptr;
    char text[64] = "";
    width = width > 32 ? 32 : width;
    precision = precision > 9 ? 9 : precision;
    switch (*f) {
      case 'd':
        if (arg && arg->kind == VocabArg::Kind::Integer)
          std::snprintf(text, sizeof text, zeroPad ? "%0*d" : "%*d", width, static_cast<int>(arg->integer));
        break;
      case 'X':
        if (arg && arg->kind == VocabArg::Kind::Integer)
          std::snprintf(text, sizeof text, zeroPad ? "%0*X" : "%*X", width, static_cast<unsigned>(arg->integer));
        break;
      case 'f':
        if (arg && arg->kind == VocabArg::Kind::Real && std::isfinite(arg->real) && std::fabs(arg->real) < 1e15)
          std::snprintf(text, sizeof text, "%.*f", precision < 0 ? 6 : precision, arg->real);
        break;
      case 's':
        if (arg && arg->kind == VocabArg::Kind::Text) out.Put(arg->text);
        break;
      default:
        break;
    }
    out.Put(text);
  }
  out.Finish();
}
