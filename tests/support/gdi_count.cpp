#include "tests/support/gdi_count.h"

#include <windows.h>

size_t LiveGdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
  size_t n = 0;
  for (ULONG_PTR h = 1; h < 0x10000; ++h)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(h))) ++n;
  return n;
}
