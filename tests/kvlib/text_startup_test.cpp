// The text functions started from the user's locale and the module's strings.
#include <string>

#include "kvlib/printf.h"
#include "kvlib/text_startup.h"
#include "kvlib/time_text.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t text[32] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 32);
  return text;
}

// "3;2;0" in the notation of NUMBERFMT: 32.
UINT NumberFormatGrouping(const std::wstring& grouping) {
  UINT value = 0;
  for (wchar_t c : grouping)
    if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
  if (grouping.size() >= 2 && grouping.substr(grouping.size() - 2) == L";0") value /= 10;
  else value *= 10;
  return value;
}

using TextStartup = ModuleTest;

TEST_F(TextStartup, SeparatorsComeFromTheUserLocale) {
  const KvRegionalValues& r = KvText_Regional();
  EXPECT_EQ(std::wstring(r.thousands), LocaleText(LOCALE_STHOUSAND));
  EXPECT_EQ(std::wstring(r.list), LocaleText(LOCALE_SLIST));
  EXPECT_EQ(std::wstring(r.time), LocaleText(LOCALE_STIME));
  EXPECT_EQ(std::wstring(r.negativeSign), L"-");
  if (LocaleText(LOCALE_SDECIMAL) != LocaleText(LOCALE_STHOUSAND)) {
    EXPECT_EQ(std::wstring(r.decimal), LocaleText(LOCALE_SDECIMAL));
  }
}

// Grouped numbers read as the system itself formats them for the locale.
TEST_F(TextStartup, GroupedNumbersMatchTheSystemsFormatting) {
  const std::wstring decimal = KvText_Regional().decimal, thousands = KvText_Regional().thousands;
  NUMBERFMTW format{};
  format.NumDigits = 2;
  format.LeadingZero = 1;
  format.Grouping = NumberFormatGrouping(LocaleText(LOCALE_SGROUPING));
  format.lpDecimalSep = const_cast<wchar_t*>(decimal.c_str());
  format.lpThousandSep = const_cast<wchar_t*>(thousands.c_str());
  format.NegativeOrder = 1;
  for (const wchar_t* number : {L"1234567.50", L"-9876543210.25", L"12.00", L"0.75"}) {
    wchar_t system[64] = {};
    ASSERT_GT(GetNumberFormatW(LOCALE_USER_DEFAULT, 0, number, &format, system, 64), 0);
    wchar_t ours[64];
    KvPrintF(ours, L"$.2f", _wtof(number));
    EXPECT_EQ(std::wstring(ours), std::wstring(system));
  }
}

TEST_F(TextStartup, TimecodeLabelsComeFromTheModuleStrings) {
  wchar_t nonDrop[64] = {}, drop[64] = {};
  ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), 48304, nonDrop, 64), 0);
  ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), 48305, drop, 64), 0);
  wchar_t text[160];
  KvPrintF(text, L"$(SMPTE.Label.NonDrop)|$(SMPTE.Label.Drop)");
  EXPECT_EQ(std::wstring(text), std::wstring(nonDrop) + L"|" + drop);
  KvPrintF(text, L"$(SMPTE.Label.NonDrop.Full)|$(SMPTE.Label.Drop.Full)");
  EXPECT_EQ(std::wstring(text), std::wstring(nonDrop) + L" (hh:mm:ss.ff)|" + drop + L" (hh:mm:ss,ff)");
}

TEST_F(TextStartup, ClockTimeUsesTheLocaleSeparators) {
  KvTimeFormat format{};
  format.type = kNanoClock;
  wchar_t text[64];
  KvNanoTimeToText(text, format, -10'000'000, false);
  const std::wstring time = KvText_Regional().time, decimal = KvText_Regional().decimal;
  EXPECT_EQ(std::wstring(text), L"-00" + time + L"00" + time + L"01" + decimal + L"000");
}

}  // namespace
