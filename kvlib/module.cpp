#include "kvlib/module.h"

#include "kvlib/text_startup.h"
#include "kvlib/ui_resources.h"

namespace {
HINSTANCE g_module;
}

void KvModule_Startup(HINSTANCE module) {
  g_module = module;
  KvText_Startup(module);
  KvUIResources_Startup(module);
}

void KvModule_Shutdown() {
  KvUIResources_Shutdown();
  g_module = nullptr;
}

HINSTANCE KvModule_Handle() { return g_module; }
