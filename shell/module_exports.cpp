// The COM entry points of the module. Class factories and registration are
// not served yet: every class is answered as unavailable.
#include <windows.h>
#include <objbase.h>

#include "kvlib/module.h"
#include "mididata/host_interfaces.h"
#include "shell/module_exports.h"

void ModuleAttach(HINSTANCE module) { KvModule_Startup(module); }

void ModuleDetach() { KvModule_Shutdown(); }

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* out) {
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return S_OK; }

STDAPI DllRegisterServer() { return E_NOTIMPL; }

STDAPI DllUnregisterServer() { return E_NOTIMPL; }
