// Wheel messages go to the focus window; a wheel turned over another window
// that wants it is handed to that window instead.
#pragma once

#include <windows.h>

// Sent to the window under the pointer: non-zero when it takes wheel messages.
UINT KvWheel_QueryMessage();
// Delivers a WM_MOUSEWHEEL or WM_MOUSEHWHEEL received by self to the window
// under the pointer when that window wants it; true when delivered there.
bool KvWheel_RouteToHover(HWND self, UINT msg, WPARAM wParam, LPARAM lParam);
