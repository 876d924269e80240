// Cursor numbers: the module's own artwork, the registered resource window
// and the system cursors.
#include <set>
#include <vector>

#include "kvlib/ui_resources.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

using UICursors = ModuleTest;

const int kCarried[] = {2, 3, 4, 9, 10, 11, 12, 13, 14, 17, 18, 39, 40, 41, 42, 43,
                        44, 45, 46, 47, 48, 49, 50, 51, 52, 100, 101, 104, 110, 129, 130};

HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }

HCURSOR Own(int id) { return LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)); }

// The hot spot and the mask and colour bits of a cursor.
struct CursorImage {
  POINT hotSpot{};
  std::vector<BYTE> bits;
};

CursorImage ImageOf(HCURSOR cursor) {
  CursorImage image;
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return image;
  image.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
  for (HBITMAP bitmap : {info.hbmMask, info.hbmColor}) {
    if (!bitmap) continue;
    BITMAP header{};
    GetObjectW(bitmap, sizeof header, &header);
    std::vector<BYTE> bits(header.bmWidthBytes * header.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    image.bits.insert(image.bits.end(), bits.begin(), bits.end());
    DeleteObject(bitmap);
  }
  return image;
}

TEST_F(UICursors, OwnCursorsComeFromTheModule) {
  std::set<std::vector<BYTE>> images;
  for (int id : kCarried) {
    const HCURSOR cursor = KvGetUICursor(id);
    ASSERT_NE(Own(id), nullptr) << id;
    EXPECT_EQ(cursor, Own(id)) << id;
    EXPECT_NE(cursor, Arrow()) << id;
    EXPECT_EQ(KvGetUICursor(id), cursor) << id;
    images.insert(ImageOf(cursor).bits);
  }
  EXPECT_EQ(images.size(), std::size(kCarried)) << "every cursor has its own picture";
}

// Hot spots sit where the pictures act: the pencil's point, the brush's tip,
// the centre of a resize arrow.
TEST_F(UICursors, HotSpots) {
  struct Expected {
    int id;
    LONG x, y;
  };
  for (const Expected& e : {Expected{3, 1, 30}, Expected{13, 16, 16}, Expected{2, 12, 12}, Expected{129, 2, 29},
                            Expected{104, 1, 1}}) {
    const CursorImage image = ImageOf(KvGetUICursor(e.id));
    EXPECT_EQ(image.hotSpot.x, e.x) << e.id;
    EXPECT_EQ(image.hotSpot.y, e.y) << e.id;
  }
}

TEST_F(UICursors, MissingNumbersGiveTheArrow) {
  for (int id : {0, -1, 1, 5, 15, 38, 53, 56, 57, 99, 150, 0x7EFF}) EXPECT_EQ(KvGetUICursor(id), Arrow()) << id;
}

TEST_F(UICursors, SystemCursors) {
  for (LPCWSTR id : {IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS,
                     IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_APPSTARTING}) {
    const int number = static_cast<int>(reinterpret_cast<uintptr_t>(id));
    EXPECT_EQ(KvGetUICursor(number), LoadCursorW(nullptr, id)) << number;
    EXPECT_NE(KvGetUICursor(number), Arrow()) << number;
  }
  EXPECT_EQ(KvGetUICursor(0x7F00), Arrow());
  EXPECT_EQ(KvGetUICursor(0x7F00 + 99), Arrow());
  EXPECT_EQ(KvGetUICursor(0x7F00 + 5), Arrow());
  EXPECT_EQ(KvGetUICursor(0x7FFFFFFF), Arrow());
}

// Numbers from 57 come from the registered module's window of 50 ids.
TEST_F(UICursors, RegisteredResourceWindow) {
  EXPECT_EQ(KvGetUICursor(110), Own(110));
  KvSetUICursorModule(GetModuleHandleW(nullptr), 120);
  EXPECT_EQ(KvGetUICursor(129), Own(129));
  EXPECT_EQ(KvGetUICursor(130), Own(130));
  EXPECT_EQ(KvGetUICursor(110), Arrow());
  EXPECT_EQ(KvGetUICursor(170), Arrow());
  KvSetUICursorModule(nullptr, 100);
  EXPECT_EQ(KvGetUICursor(104), Arrow());
  EXPECT_EQ(KvGetUICursor(3), Own(3));
  KvModule_Shutdown();
  EXPECT_EQ(KvGetUICursor(3), Arrow()) << "no module after unload";
  KvModule_Startup(GetModuleHandleW(nullptr));
  EXPECT_EQ(KvGetUICursor(104), Own(104));
}

}  // namespace
