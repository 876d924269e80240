// The numbered cursors: the module's own, a registered resource module's, and
// the system's. Cursors are shared objects: cached, never destroyed.
#include "kvlib/module.h"
#include "kvlib/ui_parts.h"
#include "kvlib/ui_resources.h"

namespace {

constexpr int kLastOwnCursor = 56;
constexpr int kWindowSize = 50;
constexpr int kFirstSystemCursor = 0x7F00;
constexpr int kDefaultWindowStart = 100;

HCURSOR g_own[kLastOwnCursor + 1];
HCURSOR g_window[kWindowSize];
HINSTANCE g_windowModule;
int g_windowStart;

HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }

HCURSOR Cached(HCURSOR& slot, HINSTANCE module, int id) {
  if (!slot && module) slot = LoadCursorW(module, MAKEINTRESOURCEW(id));
  return slot ? slot : Arrow();
}

bool IsOfferedSystemCursor(int id) {
  static constexpr int kOffered[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                     32644, 32645, 32646, 32648, 32649, 32650};
  for (int offered : kOffered)
    if (id == offered) return true;
  return false;
}

}  // namespace

HCURSOR KvGetUICursor(int number) {
  if (number >= 1 && number <= kLastOwnCursor) return Cached(g_own[number], KvModule_Handle(), number);
  if (number > kLastOwnCursor && number < kFirstSystemCursor) {
    const int index = number - g_windowStart;
    if (!g_windowModule || index < 0 || index >= kWindowSize) return Arrow();
    return Cached(g_window[index], g_windowModule, number);
  }
  if (IsOfferedSystemCursor(number)) {
    HCURSOR cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(number));
    return cursor ? cursor : Arrow();
  }
  return Arrow();
}

void KvSetUICursorModule(HINSTANCE module, int firstId) {
  g_windowModule = module;
  g_windowStart = firstId;
  for (HCURSOR& slot : g_window) slot = nullptr;
}

void KvUICursors_Reset(HINSTANCE module) {
  for (HCURSOR& slot : g_own) slot = nullptr;
  KvSetUICursorModule(module, module ? kDefaultWindowStart : 0);
}
