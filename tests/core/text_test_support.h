// Helpers of the text tests: ASCII in and out of kvchar text, and scoped
// regional settings and tokens that the tests change.
#pragma once

#include <string>
#include <vector>

#include "kvlib/kvchar.h"
#include "kvlib/print_tokens.h"
#include "kvlib/printf.h"
#include "kvlib/regional.h"

using KvText = std::basic_string<kvchar>;

inline KvText Wide(const char* ascii) {
  KvText text;
  for (; *ascii; ++ascii) text.push_back(static_cast<kvchar>(static_cast<unsigned char>(*ascii)));
  return text;
}

// Code units above 0x7F show as \uXXXX so that failures print readably.
inline std::string Narrow(const kvchar* text) {
  std::string ascii;
  for (; *text; ++text) {
    if (*text < 0x80) {
      ascii.push_back(static_cast<char>(*text));
    } else {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(*text));
      ascii += escape;
    }
  }
  return ascii;
}
inline std::string Narrow(const KvText& text) { return Narrow(text.c_str()); }

template <class... Args>
std::string Print(const char* format, const Args&... args) {
  kvchar buffer[512];
  KvPrintF(buffer, Wide(format).c_str(), args...);
  return Narrow(buffer);
}

// Regional values for one test; the previous ones come back afterwards.
class ScopedRegional {
 public:
  ScopedRegional(const char* thousands, const char* decimal, const char* list = ",", const char* time = ":",
                 const char* grouping = "3;0")
      : saved_(KvText_Regional()) {
    KvRegionalValues values = KvText_DefaultRegional();
    KvText_CopySeparator(values.thousands, Wide(thousands).c_str());
    KvText_CopySeparator(values.decimal, Wide(decimal).c_str());
    KvText_CopySeparator(values.list, Wide(list).c_str());
    KvText_CopySeparator(values.time, Wide(time).c_str());
    KvText_ParseGrouping(Wide(grouping).c_str(), values);
    KvText_SetRegional(values);
  }
  ScopedRegional(const ScopedRegional&) = delete;
  ScopedRegional& operator=(const ScopedRegional&) = delete;
  ~ScopedRegional() { KvText_SetRegional(saved_); }

 private:
  KvRegionalValues saved_;
};

// Sets a token for one test and puts the given text back afterwards.
class ScopedToken {
 public:
  ScopedToken(const char* name, const char* text, const char* restore) : name_(Wide(name)), restore_(Wide(restore)) {
    KvPrintF_AddToken(name_.c_str(), Wide(text).c_str());
  }
  ScopedToken(const ScopedToken&) = delete;
  ScopedToken& operator=(const ScopedToken&) = delete;
  ~ScopedToken() { KvPrintF_AddToken(name_.c_str(), restore_.c_str()); }

 private:
  KvText name_, restore_;
};
