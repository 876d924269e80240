// The built DLL loaded into the test process as a host loads it, with its
// entry points.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace shelltest {

class PluginDll {
 public:
  explicit PluginDll(const std::wstring& path);
  PluginDll();  // this build's DLL
  ~PluginDll() { Unload(); }
  PluginDll(const PluginDll&) = delete;
  PluginDll& operator=(const PluginDll&) = delete;

  HMODULE module() const { return module_; }
  void Unload();

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  HRESULT CanUnloadNow() const;
  HRESULT Register() const;
  HRESULT Unregister() const;

 private:
  template <class F> F Entry(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_ = nullptr;
};

// Runs regsvr32 in this Wine prefix with arguments; its exit code.
DWORD RunRegsvr32(const std::wstring& arguments);

}  // namespace shelltest
