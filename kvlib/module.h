// The shared library's per-module state: the module whose resources, window
// classes and caches the library serves.
#pragma once

#include <windows.h>

void KvModule_Startup(HINSTANCE module);
void KvModule_Shutdown();
HINSTANCE KvModule_Handle();
