// A window wants the wheel when it has a scroll bar or answers the query
// message; only windows of this thread are considered, so that a wheel is
// never handed to another program.
#include "kvlib/wheel_routing.h"

#include <windowsx.h>

UINT KvWheel_QueryMessage() {
  static const UINT message = RegisterWindowMessageW(L"KvWheelWanted");
  return message;
}

namespace {

bool WantsWheel(HWND window) {
  LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  if (style & (WS_VSCROLL | WS_HSCROLL)) return true;
  return SendMessageW(window, KvWheel_QueryMessage(), 0, 0) != 0;
}

}  // namespace

bool KvWheel_RouteToHover(HWND self, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  HWND under = WindowFromPoint(screen);
  if (!under || under == self || !IsWindowEnabled(under)) return false;
  if (GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return false;
  // A child of the window that asked passes its wheel back up: never bounce.
  if (IsChild(self, under)) return false;
  for (HWND candidate = under; candidate && candidate != self; candidate = GetParent(candidate)) {
    if (WantsWheel(candidate)) {
      SendMessageW(candidate, msg, wParam, lParam);
      return true;
    }
    if (!(GetWindowLongPtrW(candidate, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}
