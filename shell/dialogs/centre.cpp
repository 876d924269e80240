#include <algorithm>

#include "shell/dialogs/dialogs.h"

void CentreOnOwner(HWND dialog) {
  RECT box, around;
  GetWindowRect(dialog, &box);
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  const int w = box.right - box.left, h = box.bottom - box.top;
  int x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
  // Kept on the monitor of the owner.
  MONITORINFO monitor{sizeof monitor};
  if (GetMonitorInfoW(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor)) {
    x = std::clamp<int>(x, monitor.rcWork.left, std::max<int>(monitor.rcWork.left, monitor.rcWork.right - w));
    y = std::clamp<int>(y, monitor.rcWork.top, std::max<int>(monitor.rcWork.top, monitor.rcWork.bottom - h));
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
