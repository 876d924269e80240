// Start-up and unload of the UI catalogue.
#include "kvlib/ui_parts.h"
#include "kvlib/ui_resources.h"

void KvUIResources_Startup(HINSTANCE module) {
  KvUIColors_Reset();
  KvUICursors_Reset(module);
}

void KvUIResources_Shutdown() {
  KvUIBrushes_Release();
  KvUIFonts_Release();
  KvUICursors_Reset(nullptr);
}
