#include "tests/shell/plugin_dll.h"

#include <gtest/gtest.h>

#include "tests/shell/shell_test_support.h"

namespace shelltest {

PluginDll::PluginDll(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
  EXPECT_NE(nullptr, module_) << GetLastError();
}

PluginDll::PluginDll() : PluginDll(PluginDllPath()) {}

void PluginDll::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

HRESULT PluginDll::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
  return Entry<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
}

HRESULT PluginDll::CanUnloadNow() const { return Entry<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }

HRESULT PluginDll::Register() const { return Entry<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")(); }

HRESULT PluginDll::Unregister() const { return Entry<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")(); }

DWORD RunRegsvr32(const std::wstring& arguments) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "regsvr32 did not start: " << GetLastError();
    return ~0u;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

}  // namespace shelltest
