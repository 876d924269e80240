#include "kvlib/printf.h"

#include <iterator>
#include <string>

#include "kvlib/print_conversion.h"
#include "kvlib/print_tokens.h"
#include "kvlib/regional.h"
#include "kvlib/text_sink.h"

namespace {

using View = std::basic_string_view<kvchar>;

bool IsDigit(kvchar c) { return c >= '0' && c <= '9'; }

// "$(...)" holding only digits, '-' first, ',' before at most one '.'.
bool IsNumberLiteral(View text) {
  bool digit = false, point = false;
  for (size_t i = 0; i < text.size(); ++i) {
    kvchar c = text[i];
    if (IsDigit(c)) digit = true;
    else if (c == '-' && i == 0) continue;
    else if (c == '.' && !point) point = true;
    else if (c == ',' && !point) continue;
    else return false;
  }
  return digit;
}

void PutRegroupedNumber(TextSink& out, View text) {
  if (!text.empty() && text[0] == '-') {
    out.Put(KvText_Regional().negativeSign);
    text.remove_prefix(1);
  }
  const size_t point = text.find('.');
  // The digits of the whole part, however many.
  std::basic_string<kvchar> digits;
  for (kvchar c : text.substr(0, point))
    if (IsDigit(c)) digits.push_back(c);
  if (digits.empty()) digits.push_back('0');
  PutGroupedDigits(out, View(digits));
  if (point != View::npos) {
    out.Put(KvText_Regional().decimal);
    const View fraction = text.substr(point + 1);
    out.Put(fraction.data(), fraction.size());
  }
}

// A separator token; when it is empty (or missing) the format's own character.
void PutSeparatorToken(TextSink& out, const kvchar* name, kvchar fallback) {
  size_t before = out.Length();
  if (!KvPrintF_PutToken(View(name), out) || out.Length() == before) out.Put(fallback);
}

// Handles the "$" extension at p (p[0] == '$'); returns the position after it.
const kvchar* PutDollar(TextSink& out, const kvchar* p, PrintArguments& args) {
  const KvRegionalValues& r = KvText_Regional();
  const kvchar next = p[1];
  switch (next) {
    case '$':
      out.Put('$');
      return p + 2;
    case '*':
      out.Put(r.decimal);
      return p + 2;
    case ',':
      out.Put(r.list);
      return p + 2;
    case ':':
      out.Put(r.time);
      return p + 2;
    case '(': {
      const kvchar* close = p + 2;
      while (*close && *close != ')') ++close;
      if (!*close) break;
      View inner(p + 2, close - (p + 2));
      if (IsNumberLiteral(inner)) PutRegroupedNumber(out, inner);
      else if (!KvPrintF_PutToken(inner, out)) out.Put(p, close + 1 - p);
      return close + 1;
    }
    case '!':
      if (p[2] == ':') return PutSeparatorToken(out, KVTEXT("SMPTE.Whole"), ':'), p + 3;
      if (p[2] == '.') return PutSeparatorToken(out, KVTEXT("SMPTE.NonDrop"), '.'), p + 3;
      if (p[2] == ',') return PutSeparatorToken(out, KVTEXT("SMPTE.Drop"), ','), p + 3;
      break;
    case '&':
      if (p[2] == ':') return PutSeparatorToken(out, KVTEXT("m.b"), ':'), p + 3;
      if (p[2] == '.') return PutSeparatorToken(out, KVTEXT("b.t"), '.'), p + 3;
      break;
    default: {
      const kvchar* s = p + 1;
      PrintConversion form;
      if (ParseConversion(s, form)) {
        form.grouped = true;
        PutPrintConversion(out, form, args);
        return s;
      }
      break;
    }
  }
  out.Put('$');
  return p + 1;
}

}  // namespace

int KvVPrintF(kvchar* buffer, size_t capacity, const kvchar* format, const KvPrintArg* args, size_t count) {
  if (!buffer || !capacity) return 0;
  TextSink out(buffer, capacity);
  PrintArguments arguments(args, count);
  const kvchar* p = format ? format : KVTEXT("");
  while (*p) {
    if (*p == '$') {
      p = PutDollar(out, p, arguments);
    } else if (*p == '%') {
      if (p[1] == '%') {
        out.Put('%');
        p += 2;
        continue;
      }
      const kvchar* s = p + 1;
      PrintConversion form;
      if (ParseConversion(s, form)) {
        PutPrintConversion(out, form, arguments);
        p = s;
      } else {
        out.Put(*p++);
      }
    } else {
      out.Put(*p++);
    }
  }
  return static_cast<int>(out.Length());
}
