// The window classes the module registers while it is loaded: the logo strip
// and the track view.
#pragma once

#include <windows.h>

void RegisterWindowClasses(HINSTANCE module);
void UnregisterWindowClasses(HINSTANCE module);
