// Colour numbers: system colours, the UI table with its defaults and
// encodings, and what KvSetUIColor may change.
#include <climits>

#include "kvlib/ui_resources.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

// Sets one system colour for a test and restores it afterwards.
class ScopedSysColor {
 public:
  ScopedSysColor(int index, COLORREF colour) : index_(index), saved_(GetSysColor(index)) { Set(colour); }
  ScopedSysColor(const ScopedSysColor&) = delete;
  ScopedSysColor& operator=(const ScopedSysColor&) = delete;
  ~ScopedSysColor() { Set(saved_); }
  void Set(COLORREF colour) const {
    const INT index = index_;
    SetSysColors(1, &index, &colour);
  }

 private:
  int index_;
  COLORREF saved_;
};

using UIColors = ModuleTest;

TEST_F(UIColors, NumbersAndDefaults) {
  EXPECT_EQ(KvGetUIColorAbsolute(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(KvGetUIColorAbsolute(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(KvGetUIColorAbsolute(100), RGB(0, 0, 100));
  EXPECT_EQ(KvGetUIColorAbsolute(130), RGB(219, 142, 87));
  EXPECT_EQ(KvGetUIColorAbsolute(151), RGB(0, 0, 128));
  EXPECT_EQ(KvGetUIColorAbsolute(161), RGB(230, 230, 230));
  EXPECT_EQ(KvGetUIColorAbsolute(-153), RGB(33, 97, 255));
  for (int number : {162, -162, -99, -1, 1000, INT_MIN, INT_MAX}) EXPECT_EQ(KvGetUIColorAbsolute(number), CLR_INVALID) << number;
  for (int number : {162, -1}) EXPECT_EQ(KvGetUIColor(number), CLR_INVALID) << number;
}

TEST_F(UIColors, SettingAnEntryLeavesItsDefault) {
  EXPECT_EQ(KvSetUIColor(151, RGB(200, 10, 20)), 1);
  EXPECT_EQ(KvGetUIColor(151), RGB(200, 10, 20));
  EXPECT_EQ(KvGetUIColor(-151), RGB(0, 0, 128));
  EXPECT_EQ(KvGetUIColorAbsolute(-151), RGB(0, 0, 128));
  EXPECT_EQ(KvSetUIColor(99, RGB(1, 2, 3)), 0);
  EXPECT_EQ(KvSetUIColor(162, RGB(1, 2, 3)), 0);
  EXPECT_EQ(KvSetUIColor(-151, RGB(1, 2, 3)), 0);
  EXPECT_EQ(KvGetUIColorAbsolute(99), GetSysColor(99));
  // A new start of the module fills the table from the defaults again.
  KvModule_Shutdown();
  KvModule_Startup(GetModuleHandleW(nullptr));
  EXPECT_EQ(KvGetUIColor(151), RGB(0, 0, 128));
}

TEST_F(UIColors, DeepScreenShowsEveryColour) {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  ASSERT_GT(depth, 8);
  for (int number = 100; number <= 161; ++number)
    EXPECT_EQ(KvGetUIColor(number), KvGetUIColorAbsolute(number)) << number;
}

// Entries that name a system colour follow it at each request.
TEST_F(UIColors, SystemColourEntries) {
  ScopedSysColor shadow(COLOR_BTNSHADOW, RGB(10, 200, 30));
  ASSERT_EQ(KvSetUIColor(130, 0x04000000 | COLOR_BTNSHADOW), 1);
  EXPECT_EQ(KvGetUIColorAbsolute(130), RGB(10, 200, 30));
  shadow.Set(RGB(110, 110, 110));
  EXPECT_EQ(KvGetUIColorAbsolute(130), RGB(110, 110, 110));
  EXPECT_EQ(KvGetUIColorAbsolute(-130), RGB(219, 142, 87));
}

// Near-grey system colours are pushed apart on deep screens.
TEST_F(UIColors, ContrastAdjustedEntries) {
  ScopedSysColor shadow(COLOR_BTNSHADOW, RGB(110, 110, 110));
  ASSERT_EQ(KvSetUIColor(131, 0x05000000 | COLOR_BTNSHADOW), 1);
  EXPECT_EQ(KvGetUIColorAbsolute(131), RGB(95, 95, 95));
  shadow.Set(RGB(140, 140, 140));
  EXPECT_EQ(KvGetUIColorAbsolute(131), RGB(159, 159, 159));
  shadow.Set(RGB(200, 40, 40));
  EXPECT_EQ(KvGetUIColorAbsolute(131), RGB(200, 40, 40));
  shadow.Set(RGB(60, 60, 60));
  EXPECT_EQ(KvGetUIColorAbsolute(131), RGB(60, 60, 60));
}

}  // namespace
