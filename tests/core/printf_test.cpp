// KvPrintF: the standard conversions with typed arguments, the "$"
// extensions, the regional separators, named tokens and bounded output.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "tests/core/text_test_support.h"

namespace {

class PrintF : public testing::Test {
 protected:
  ScopedRegional regional_{",", "."};
};

TEST_F(PrintF, StandardConversions) {
  EXPECT_EQ(Print("%5d|%-5d|%05d|%+d|% d", 42, 42, 42, 5, 5), "   42|42   |00042|+5| 5");
  EXPECT_EQ(Print("%x %X %#x %o %#o %#x", 255, 255, 255, 255, 255, 0), "ff FF 0xff 377 0377 0");
  EXPECT_EQ(Print("%.3d|%.0d|%3.2d", 7, 0, -4), "007||-04");
  EXPECT_EQ(Print("%c%c%C", 'O', static_cast<kvchar>('k'), 0x1F600), "Ok\\uD83D\\uDE00");
  EXPECT_EQ(Print("[%s] [%6s] [%-4s] [%.2s]", Wide("wide").c_str(), "nar", "ab", "abc"), "[wide] [   nar] [ab  ] [ab]");
  EXPECT_EQ(Print("%*d|%-*d|%.*f", 5, 42, 4, 7, 2, 3.14159), "   42|7   |3.14");
  EXPECT_EQ(Print("%f %.1f %e %g %g %G", 2.5, -0.05, 12345.678, 0.0001, 1e20, 1e-10),
            "2.500000 -0.1 1.234568e+04 0.0001 1e+20 1E-10");
  EXPECT_EQ(Print("%#.0f %.0f %08.2f", 3.0, 2.5, -1.5), "3. 2 -0001.50");
  EXPECT_EQ(Print("%f %F %5.1f", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                  std::nan("")),
            "inf -INF   nan");
  EXPECT_EQ(Print("100%% %I64d %lld %ld", int64_t{1} << 40, -(int64_t{1} << 40), 12L),
            "100% 1099511627776 -1099511627776 12");
  EXPECT_EQ(Print("%p", reinterpret_cast<const void*>(0xABC)),
            sizeof(void*) == 8 ? "0000000000000ABC" : "00000ABC");
}

// Each argument is read at its own width and type, never past the list.
TEST_F(PrintF, ArgumentsAreReadByTheirTypes) {
  EXPECT_EQ(Print("%d %u %u %x", 0xFFFFFFFFu, -1, int64_t{-1}, int16_t{-1}), "-1 4294967295 18446744073709551615 ffff");
  EXPECT_EQ(Print("%d %u", int64_t{5'000'000'000}, uint64_t{1} << 63), "5000000000 9223372036854775808");
  EXPECT_EQ(Print("%I64d %I64u", -7, 7u), "-7 7");
  EXPECT_EQ(Print("%hd %hhu %I32d", 70000, 300, int64_t{0x100000005}), "4464 44 5");
  EXPECT_EQ(Print("%d %d %f %.1f", 3.9, -3.9, 2, uint8_t{200}), "3 -3 2.000000 200.0");
  EXPECT_EQ(Print("%d %d", 1e300, std::nan("")), "9223372036854775807 0");
  EXPECT_EQ(Print("<%d|%s|%f>"), "<||>");
  EXPECT_EQ(Print("<%s|%d>", 5, "x"), "<|>");
  EXPECT_EQ(Print("<%s>", static_cast<const kvchar*>(nullptr)), "<(null)>");
  KvText owned = Wide("string");
  EXPECT_EQ(Print("%s %s", owned, std::basic_string_view<kvchar>(owned).substr(0, 3)), "string str");
  enum Colour : uint8_t { Red = 2 };
  EXPECT_EQ(Print("%d %d", Red, true), "2 1");
}

TEST_F(PrintF, MalformedFormatsPrintLiterally) {
  EXPECT_EQ(Print("%y %", 1), "%y %");
  EXPECT_EQ(Print("cost: $", 1), "cost: $");
  EXPECT_EQ(Print("$5 $q $!x $&x $(open"), "$5 $q $!x $&x $(open");
  kvchar buffer[8] = {'x'};
  EXPECT_EQ(KvPrintF(buffer, static_cast<const kvchar*>(nullptr)), 0);
  EXPECT_EQ(buffer[0], 0);
}

TEST_F(PrintF, OutputIsCutToTheBufferAndTerminated) {
  kvchar small[8];
  EXPECT_EQ(KvPrintF(small, KVTEXT("%s-%d"), KVTEXT("abcdef"), 12345), 7);
  EXPECT_EQ(Narrow(small), "abcdef-");
  kvchar untouched[4] = {'a', 'b', 'c', 0};
  const size_t none = 0;
  EXPECT_EQ(KvPrintF(untouched, none, KVTEXT("%d"), 1), 0);
  EXPECT_EQ(Narrow(untouched), "abc");
  EXPECT_EQ(KvPrintF(nullptr, 10, KVTEXT("x")), 0);
  kvchar one[1];
  EXPECT_EQ(KvPrintF(one, KVTEXT("%20d"), 1), 0);
  EXPECT_EQ(one[0], 0);
  kvchar wide[600];
  EXPECT_EQ(KvPrintF(wide, KVTEXT("%.1000d|%999999999d"), 1, 2), 599);
}

// Below the caller's buffer size nothing is cut: long strings, wide padding
// and long numbers in "$(...)" come out whole.
TEST_F(PrintF, NothingIsCutBelowTheBufferSize) {
  const std::basic_string<kvchar> text(5000, 'q');
  std::vector<kvchar> out(20000);
  EXPECT_EQ(KvPrintF(out.data(), out.size(), KVTEXT("%s|%-3000s|"), text.c_str(), KVTEXT("ab")), 5000 + 1 + 3000 + 1);
  EXPECT_EQ(out[5000 + 1 + 3000 - 1], ' ');
  const std::string narrow(4000, 'n');
  EXPECT_EQ(KvPrintF(out.data(), out.size(), KVTEXT("%5000hs"), narrow.c_str()), 5000);
  // 120 digits: 40 groups of three, 39 separators.
  std::basic_string<kvchar> format = KVTEXT("$(");
  format.append(120, '7');
  format += KVTEXT(")");
  EXPECT_EQ(KvPrintF(out.data(), out.size(), format.c_str()), 120 + 39);
  EXPECT_EQ(out[3], ',');
  EXPECT_EQ(out[120 + 39 - 4], ',');
}

TEST_F(PrintF, DollarSeparators) {
  EXPECT_EQ(Print("$$5"), "$5");
  EXPECT_EQ(Print("$(1234567)"), "1,234,567");
  EXPECT_EQ(Print("$(-1234567.25) $(1,000) $(12) $(.5)"), "-1,234,567.25 1,000 12 0.5");
  EXPECT_EQ(Print("a$*b$,c$:d"), "a.b,c:d");
  EXPECT_EQ(Print("$!:$!.$!,|$&:$&."), ":.,|..");
  EXPECT_EQ(Print("$(no.such.token) $(1-2)"), "$(no.such.token) $(1-2)");
  ScopedRegional german(".", ",", ";", "/");
  EXPECT_EQ(Print("$(-1234567.25) a$*b$,c$:d"), "-1.234.567,25 a,b;c/d");
}

TEST_F(PrintF, GroupedConversions) {
  EXPECT_EQ(Print("$d|$d|$u|$d", 1234567, -1234567, 4294967295u, 999), "1,234,567|-1,234,567|4,294,967,295|999");
  EXPECT_EQ(Print("$I64d", std::numeric_limits<int64_t>::min()), "-9,223,372,036,854,775,808");
  EXPECT_EQ(Print("$12d|$-12d|", 1234567, 1234567), "   1,234,567|1,234,567   |");
  EXPECT_EQ(Print("$x", 0x123456), "123456");
  EXPECT_EQ(Print("$.3f|$.0f|%.3f", 1234567.25, 999999.9, 1234567.25), "1,234,567.250|1,000,000|1234567.250");
  ScopedRegional german(".", ",");
  EXPECT_EQ(Print("$.2f|%.2f|%e", 1234.5, 3.14159, 1.5), "1.234,50|3,14|1,500000e+00");
}

TEST_F(PrintF, RegionalDigitGrouping) {
  {
    ScopedRegional indian(",", ".", ",", ":", "3;2;0");
    EXPECT_EQ(Print("$d|$d", 123456789, 1234), "12,34,56,789|1,234");
  }
  {
    ScopedRegional once(",", ".", ",", ":", "3");
    EXPECT_EQ(Print("$d", 123456789), "123456,789");
  }
  {
    ScopedRegional none(",", ".", ",", ":", "0");
    EXPECT_EQ(Print("$d", 123456789), "123456789");
  }
  ScopedRegional swiss("'", ".", ";", ":", "3;0");
  EXPECT_EQ(Print("$u", 1000000u), "1'000'000");
}

TEST_F(PrintF, FixedPointConversion) {
  EXPECT_EQ(Print("%.2z|%.3z|%.0z|%z|%.1z", 12345, -5, 42, 7, 0), "123.45|-0.005|42|7|0.0");
  EXPECT_EQ(Print("$.2z|%8.1z|%-8.1z|", 123456789, 15, -15), "1,234,567.89|     1.5|-1.5    |");
  ScopedRegional german(".", ",");
  EXPECT_EQ(Print("%.1z|$.3z", 15, int64_t{-1234567890}), "1,5|-1.234.567,890");
}

TEST_F(PrintF, RegionalFixups) {
  {
    ScopedRegional same(".", ".");
    EXPECT_EQ(Narrow(KvText_Regional().decimal), ",");
    EXPECT_EQ(Print("%.1f", 1.5), "1,5");
  }
  {
    ScopedRegional same(",", ",");
    EXPECT_EQ(Narrow(KvText_Regional().decimal), ".");
  }
  {
    ScopedRegional empty(" ", "");
    EXPECT_EQ(Narrow(KvText_Regional().decimal), ".");
  }
  KvRegionalValues values = KvText_DefaultRegional();
  values.negativeSign[0] = '~';
  KvText_CopySeparator(values.thousands, KVTEXT("0123456789"));
  const KvRegionalValues saved = KvText_Regional();
  KvText_SetRegional(values);
  EXPECT_EQ(Narrow(KvText_Regional().negativeSign), "-");
  EXPECT_EQ(Narrow(KvText_Regional().thousands), "0123456");
  KvText_SetRegional(saved);
}

TEST_F(PrintF, NamedTokens) {
  EXPECT_EQ(KvPrintF_AddToken(KVTEXT("Product"), KVTEXT("Piano Roll")), 1);
  EXPECT_EQ(Print("[$(Product)]"), "[Piano Roll]");
  EXPECT_EQ(KvPrintF_AddToken(KVTEXT("Product"), KVTEXT("Editor")), 1);
  EXPECT_EQ(Print("[$(Product)]"), "[Editor]");
  EXPECT_EQ(KvPrintF_AddToken(KVTEXT("Product"), nullptr), 1);
  EXPECT_EQ(Print("[$(Product)]"), "[]");
  EXPECT_EQ(KvPrintF_AddToken(nullptr, KVTEXT("x")), 0);
  EXPECT_EQ(KvPrintF_AddToken(KVTEXT(""), KVTEXT("x")), 0);
  EXPECT_EQ(KvPrintF_AddToken(KVTEXT("a)b"), KVTEXT("x")), 0);
  {
    ScopedToken whole("SMPTE.Whole", "h", ":");
    ScopedToken drop("SMPTE.Drop", "", ",");
    EXPECT_EQ(Print("1$!:2$!,3$!.4"), "1h2,3.4");
  }
  EXPECT_EQ(Print("$!:"), ":");
}

TEST_F(PrintF, TimecodeLabelsUseTheCurrentSeparators) {
  ScopedToken whole("SMPTE.Whole", "'", ":");
  KvText_RegisterTimecodeLabels(KVTEXT("Non-Drop"), KVTEXT("Drop"));
  EXPECT_EQ(Print("$(SMPTE.Label.NonDrop)|$(SMPTE.Label.Drop)"), "Non-Drop|Drop");
  EXPECT_EQ(Print("$(SMPTE.Label.NonDrop.Full)|$(SMPTE.Label.Drop.Full)"),
            "Non-Drop (hh'mm'ss.ff)|Drop (hh'mm'ss,ff)");
  KvText_RegisterTimecodeLabels(nullptr, nullptr);
  EXPECT_EQ(Print("$(SMPTE.Label.Drop.Full)"), " (hh'mm'ss,ff)");
}

// Tokens are read and replaced from several threads; every read sees one
// whole value.
TEST_F(PrintF, TokensAreSharedBetweenThreads) {
  std::vector<std::thread> threads;
  std::atomic<int> torn{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &torn] {
      const kvchar* values[] = {KVTEXT("alpha-alpha-alpha"), KVTEXT("beta-beta-beta-beta-beta")};
      for (int i = 0; i < 2000; ++i) {
        if (t % 2) {
          KvPrintF_AddToken(KVTEXT("Shared.Token"), values[i % 2]);
          KvText name = Wide("Token.") + static_cast<kvchar>('A' + i % 26);
          KvPrintF_AddToken(name.c_str(), values[0]);
        } else {
          kvchar out[64];
          KvPrintF(out, KVTEXT("$(Shared.Token)"));
          std::string s = Narrow(out);
          if (s != "$(Shared.Token)" && s != "alpha-alpha-alpha" && s != "beta-beta-beta-beta-beta") ++torn;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
