// The window classes the module registers while it is loaded: the logo strip
// and the track view.
#pragma once

#include <windows.h>

void RegisterWindowClasses(HINSTANCE module);
void UnregisterWindowClasses(HINSTANCE module);
// Picks the logo strip's bitmaps for the installation locale. It reads the
// registry, so it runs on the first request for a class object rather than
// under the loader lock of the module's attach; later calls do nothing.
void ChooseLogoBitmaps();
