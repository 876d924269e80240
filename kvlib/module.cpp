#include "kvlib/module.h"

namespace {
HINSTANCE g_module;
}

void KvModule_Startup(HINSTANCE module) { g_module = module; }

void KvModule_Shutdown() { g_module = nullptr; }

HINSTANCE KvModule_Handle() { return g_module; }
