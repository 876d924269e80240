// The library's interaction services on real windows: wheel routing to the
// window under the pointer, the middle-button origin mark and pop-up help.
#include <windows.h>

#include <commctrl.h>

#include "kvlib/auto_scroll.h"
#include "kvlib/context_help.h"
#include "kvlib/wheel_routing.h"
#include "resources/resource_ids.h"
#include "tests/kvlib/ui_test_support.h"

namespace {

// Child windows of one visible parent for the whole run (top-level windows
// take seconds to go away without a window manager), each remembering the
// wheel it got.
struct Windows {
  Windows() {
    static HWND shared = [this] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"KvInteractionTest";
      RegisterClassExW(&wc);
      return Make(nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
    }();
    parent = shared;
  }
  ~Windows() {
    while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
  }
  HWND Make(HWND owner, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExW(0, L"KvInteractionTest", nullptr, style, x, y, w, h, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSEWHEEL) SetPropW(window, L"wheel", reinterpret_cast<HANDLE>(wParam));
    if (msg == KvWheel_QueryMessage()) return reinterpret_cast<LRESULT>(GetPropW(window, L"wants"));
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  HWND parent;
};

LPARAM ScreenPoint(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return MAKELPARAM(p.x, p.y);
}

TEST(KvWheel, AWheelOverAWindowThatWantsItGoesThere) {
  Windows w;
  HWND self = w.Make(w.parent, WS_CHILD | WS_VISIBLE, 0, 0, 200, 300);
  HWND scrolled = w.Make(w.parent, WS_CHILD | WS_VISIBLE | WS_VSCROLL, 200, 0, 100, 300);
  HWND asking = w.Make(w.parent, WS_CHILD | WS_VISIBLE, 300, 0, 50, 300);
  HWND plain = w.Make(w.parent, WS_CHILD | WS_VISIBLE, 350, 0, 50, 300);
  SetPropW(asking, L"wants", reinterpret_cast<HANDLE>(1));
  const WPARAM wheel = MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA);
  EXPECT_TRUE(KvWheel_RouteToHover(self, WM_MOUSEWHEEL, wheel, ScreenPoint(scrolled, 10, 10)));
  EXPECT_EQ(GetPropW(scrolled, L"wheel"), reinterpret_cast<HANDLE>(wheel));
  EXPECT_TRUE(KvWheel_RouteToHover(self, WM_MOUSEWHEEL, wheel, ScreenPoint(asking, 10, 10)));
  EXPECT_EQ(GetPropW(asking, L"wheel"), reinterpret_cast<HANDLE>(wheel));
  EXPECT_FALSE(KvWheel_RouteToHover(self, WM_MOUSEWHEEL, wheel, ScreenPoint(plain, 10, 10)));
  EXPECT_EQ(GetPropW(plain, L"wheel"), nullptr);
  EXPECT_FALSE(KvWheel_RouteToHover(self, WM_MOUSEWHEEL, wheel, ScreenPoint(self, 10, 10)));
  for (HWND window : {scrolled, asking, plain}) RemovePropW(window, L"wheel");
  RemovePropW(asking, L"wants");
}

using KvAutoScrollMark = ModuleTest;

TEST_F(KvAutoScrollMark, TheMarkSitsOnThePressPointUntilTheEnd) {
  Windows w;
  KvAutoScroll scroll{};
  POINT press{150, 120};
  ASSERT_TRUE(KvAutoScroll_Begin(&scroll, w.parent, press, kKvMarkOrigin, kKvScrollAcross | kKvScrollDown));
  HWND mark = scroll.mark;
  ASSERT_TRUE(IsWindowVisible(mark));
  RECT onScreen;
  GetWindowRect(mark, &onScreen);
  POINT centre = press;
  ClientToScreen(w.parent, &centre);
  EXPECT_EQ((onScreen.left + onScreen.right) / 2, centre.x);
  EXPECT_EQ((onScreen.top + onScreen.bottom) / 2, centre.y);
  EXPECT_TRUE(KvAutoScroll_OnMark(&scroll, press));
  EXPECT_FALSE(KvAutoScroll_OnMark(&scroll, {press.x + 40, press.y}));
  KvAutoScroll_SetCursor(&scroll, {press.x + 60, press.y + 2});
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
  KvAutoScroll_SetCursor(&scroll, {press.x + 1, press.y - 60});
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
  KvAutoScroll_End(&scroll);
  EXPECT_FALSE(IsWindow(mark));
  EXPECT_EQ(scroll.mark, nullptr);
}

using KvHelp = ModuleTest;

TEST_F(KvHelp, PopUpHelpShowsTheTopicTextOnce) {
  Windows w;
  EXPECT_FALSE(KvContextHelp_Show(w.parent, 31999, {100, 100}));  // no such text
  EXPECT_EQ(KvContextHelp_Window(), nullptr);
  ASSERT_TRUE(KvContextHelp_Show(w.parent, IDS_PAGE_TITLE, {100, 100}));
  HWND first = KvContextHelp_Window();
  ASSERT_TRUE(IsWindow(first));
  wchar_t text[64] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = w.parent;
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(first, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Piano Roll Editor");
  ASSERT_TRUE(KvContextHelp_Show(w.parent, IDS_PRODUCT_NAME, {120, 100}));  // replaces the first
  EXPECT_FALSE(IsWindow(first));
  HWND second = KvContextHelp_Window();
  KvContextHelp_Hide();
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(KvContextHelp_Window(), nullptr);
}

}  // namespace
