// Integer text and the number readers behind typed entries such as velocity.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kvlib/number_text.h"
#include "tests/core/text_test_support.h"

namespace {

class NumberText : public testing::Test {
 protected:
  ScopedRegional regional_{",", "."};
};

TEST_F(NumberText, IntegersAsText) {
  kvchar text[32];
  EXPECT_EQ(KvLongToText(0, text, true), 1);
  EXPECT_EQ(Narrow(text), "0");
  EXPECT_EQ(KvLongToText(std::numeric_limits<int32_t>::min(), text, true), 14);
  EXPECT_EQ(Narrow(text), "-2,147,483,648");
  KvLongToText(std::numeric_limits<int32_t>::min(), text, false);
  EXPECT_EQ(Narrow(text), "-2147483648");
  KvDWordToText(1234567, text, true);
  EXPECT_EQ(Narrow(text), "1,234,567");
  KvDWordToText(0xFFFFFFFFu, text, true);
  EXPECT_EQ(Narrow(text), "4,294,967,295");
  KvDWordToText(0xFFFFFFFFu, text, false);
  EXPECT_EQ(Narrow(text), "4294967295");
  KvDWordToText(0, text, false);
  EXPECT_EQ(Narrow(text), "0");
  {
    ScopedRegional german(".", ",");
    KvLongToText(-1234567, text, true);
    EXPECT_EQ(Narrow(text), "-1.234.567");
  }
  kvchar small[5];
  EXPECT_EQ(KvDWordToText(1234567, small, true), 4);
  EXPECT_EQ(Narrow(small), "1,23");
}

struct Reading {
  const char* text;
  uint32_t value;
  size_t stop;  // code units read
};

TEST_F(NumberText, ReadingDigits) {
  const Reading readings[] = {
      {"  42", 42, 4},
      {"\t-5 apples", 5, 3},
      {"1,234,567", 1234567, 9},
      {"12.75x", 12, 5},
      {"7 8", 7, 1},
      {"abc", 0, 0},
      {"", 0, 0},
      {"4294967295", 0xFFFFFFFFu, 10},
      {"4294967296", 0xFFFFFFFFu, 10},
      {"4294967297", 0xFFFFFFFFu, 10},
      {"000000000000000000042", 42, 21},
      {"99999999999999999999999", 0xFFFFFFFFu, 23},
  };
  for (const Reading& r : readings) {
    KvText text = Wide(r.text);
    const kvchar* end = nullptr;
    EXPECT_EQ(KvTextToDWordToken(text.c_str(), &end), r.value) << r.text;
    EXPECT_EQ(static_cast<size_t>(end - text.c_str()), r.stop) << r.text;
  }
  EXPECT_EQ(KvTextToDWordToken(KVTEXT("15"), nullptr), 15u);
  const kvchar* end = KVTEXT("x");
  EXPECT_EQ(KvTextToDWordToken(nullptr, &end), 0u);
  EXPECT_EQ(end, nullptr);
}

TEST_F(NumberText, ReadingWithOtherSeparators) {
  ScopedRegional german(".", ",");
  const kvchar* end = nullptr;
  KvText text = Wide("1.234,5;");
  EXPECT_EQ(KvTextToDWordToken(text.c_str(), &end), 1234u);
  EXPECT_EQ(*end, ';');
  ScopedRegional spaced(" ", ",");
  EXPECT_EQ(KvTextToDWordToken(KVTEXT("12 345 678"), nullptr), 12345678u);
}

// The velocity entry reads with default 64 and range 1-127.
TEST_F(NumberText, ReadingWithDefaultAndRange) {
  auto velocity = [](const char* text) {
    return KvTextToDWordTokenEx(Wide(text).c_str(), 64, 1, 127, nullptr);
  };
  EXPECT_EQ(velocity("abc"), 64u);
  EXPECT_EQ(velocity("0abc"), 64u);
  EXPECT_EQ(velocity("200"), 127u);
  EXPECT_EQ(velocity("100"), 100u);
  EXPECT_EQ(velocity(""), 1u);
  EXPECT_EQ(velocity("   "), 1u);
  EXPECT_EQ(velocity("0"), 1u);
  EXPECT_EQ(velocity("0 x"), 1u);
  EXPECT_EQ(velocity("12abc"), 12u);
  EXPECT_EQ(velocity("4294967297"), 127u);
  EXPECT_EQ(velocity("4294967296"), 127u);
  EXPECT_EQ(KvTextToDWordTokenEx(KVTEXT("x"), 500, 1, 127, nullptr), 127u);
  EXPECT_EQ(KvTextToDWordTokenEx(KVTEXT(""), 64, 0, 127, nullptr), 0u);
  const kvchar* text = KVTEXT(" 33;");
  const kvchar* end = nullptr;
  EXPECT_EQ(KvTextToDWordTokenEx(text, 64, 1, 127, &end), 33u);
  EXPECT_EQ(end, text + 3);
}

}  // namespace
