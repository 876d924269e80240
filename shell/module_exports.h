// Process attach and detach work of the module, called from DllMain.
#pragma once

#include <windows.h>

void ModuleAttach(HINSTANCE module);
void ModuleDetach();
