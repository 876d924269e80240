// Module entry: kept trivial because it runs under the loader lock.
#include <windows.h>

#include "shell/module_exports.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(module);
      ModuleAttach(module);
      break;
    case DLL_PROCESS_DETACH:
      ModuleDetach();
      break;
  }
  return TRUE;
}
