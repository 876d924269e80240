// Start-up and release of the UI catalogue's parts, one file each; called by
// KvUIResources_Startup and KvUIResources_Shutdown only.
#pragma once

#include <windows.h>

void KvUIColors_Reset();
void KvUIBrushes_Release();
void KvUIFonts_Release();
void KvUICursors_Reset(HINSTANCE module);
