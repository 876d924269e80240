// The module's entry points: attach and detach, the class table behind
// DllGetClassObject, DllCanUnloadNow and self-registration.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "kvlib/module.h"
#include "mididata/host_interfaces.h"
#include "shell/class_factory.h"
#include "shell/module_exports.h"
#include "shell/module_objects.h"
#include "shell/page/editor_page.h"
#include "shell/plugin/pianoroll_plugin.h"
#include "shell/registration.h"
#include "shell/window_classes.h"

namespace {

ServedClass g_classes[] = {
    {CLSID_PianoRollPlugin, PianoRollPlugin::Create},
    {CLSID_EditorPage, EditorPage::Create},
};

// A font file the shared library may have left in the module's folder.
void RemoveHandleFont(HINSTANCE module) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
  const size_t folderEnd = path.find_last_of(L"\\/", n);
  if (n == 0 || n >= path.size() || folderEnd == std::wstring::npos) return;
  path.resize(folderEnd + 1);
  path += L"kvhandle.fnt";
  RemoveFontResourceW(path.c_str());
  DeleteFileW(path.c_str());
}

}  // namespace

void ModuleAttach(HINSTANCE module) {
  KvModule_Startup(module);
  RegisterWindowClasses(module);
}

void ModuleDetach() {
  HINSTANCE module = KvModule_Handle();
  UnregisterWindowClasses(module);
  RemoveHandleFont(module);
  // A locked factory is still promised to someone.
  for (ServedClass& served : g_classes) {
    if (served.factory && served.locks == 0) {
      served.factory->Release();
      served.factory = nullptr;
    }
  }
  KvModule_Shutdown();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ChooseLogoBitmaps();
  for (ServedClass& served : g_classes) {
    if (!IsEqualCLSID(clsid, served.clsid)) continue;
    if (!served.factory) {
      served.factory = ClassFactory::Create(served);
      if (!served.factory) return E_OUTOFMEMORY;
    }
    return SUCCEEDED(served.factory->QueryInterface(iid, out)) ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
  if (LiveModuleObjects() > 0) return S_FALSE;
  for (const ServedClass& served : g_classes)
    if (served.factory && served.locks > 0) return S_FALSE;
  return S_OK;
}

STDAPI DllRegisterServer() { return RegisterServer(KvModule_Handle()); }

STDAPI DllUnregisterServer() { return UnregisterServer(); }
