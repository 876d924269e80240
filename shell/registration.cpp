#include "shell/registration.h"

#include <objbase.h>

#include <string>

#include "mididata/host_interfaces.h"
#include "resources/resource_ids.h"
#include "shell/module_strings.h"
#include "shell/reg_key.h"

namespace {

constexpr wchar_t kPluginsKey[] = L"Software\\MIDI Plugins";
constexpr DWORD kPluginType = 82;

std::wstring Braced(REFCLSID clsid) {
  wchar_t text[40];
  return StringFromGUID2(clsid, text, 40) ? std::wstring(text) : std::wstring();
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

HRESULT RegisterComClass(REFCLSID clsid, const std::wstring& name, const std::wstring& path) {
  const std::wstring braced = Braced(clsid);
  RegKey classes, key, server;
  if (braced.empty() || classes.Open(HKEY_CLASSES_ROOT, L"CLSID", KEY_CREATE_SUB_KEY) != ERROR_SUCCESS ||
      key.Create(classes.get(), braced.c_str(), KEY_WRITE) != ERROR_SUCCESS)
    return E_FAIL;
  // An entry with a value missing would send the host to no module or to the wrong apartment.
  const bool written = SetString(key.get(), nullptr, name) &&
                       server.Create(key.get(), L"InProcServer32", KEY_WRITE) == ERROR_SUCCESS &&
                       SetString(server.get(), nullptr, path) && SetString(server.get(), L"ThreadingModel", L"Both");
  return written ? S_OK : E_FAIL;
}

void UnregisterComClass(REFCLSID clsid) {
  const std::wstring braced = Braced(clsid);
  RegKey classes;
  if (!braced.empty() && classes.Open(HKEY_CLASSES_ROOT, L"CLSID", KEY_ALL_ACCESS) == ERROR_SUCCESS)
    RegDeleteTreeW(classes.get(), braced.c_str());
}

// The hosts' common parent goes when the last plug-in has left it.
void RemovePluginsKeyIfEmpty() {
  RegKey plugins;
  if (plugins.Open(HKEY_LOCAL_MACHINE, kPluginsKey, KEY_READ) != ERROR_SUCCESS) return;
  DWORD subkeys = 0;
  const LSTATUS status =
      RegQueryInfoKeyW(plugins.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
  plugins.Close();
  if (status == ERROR_SUCCESS && subkeys == 0) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPluginsKey);
}

HRESULT RegisterPluginEntry(REFCLSID clsid, const std::wstring& name) {
  const std::wstring braced = Braced(clsid);
  RegKey plugins, key;
  bool written = !braced.empty() && plugins.Create(HKEY_LOCAL_MACHINE, kPluginsKey, KEY_ALL_ACCESS) == ERROR_SUCCESS &&
                 key.Create(plugins.get(), braced.c_str(), KEY_WRITE) == ERROR_SUCCESS;
  written = written && SetString(key.get(), nullptr, name) && SetDword(key.get(), L"Type", kPluginType);
  key.Close();
  plugins.Close();
  RemovePluginsKeyIfEmpty();
  return written ? S_OK : E_FAIL;
}

void UnregisterPluginEntry(REFCLSID clsid) {
  const std::wstring braced = Braced(clsid);
  RegKey plugins;
  if (!braced.empty() && plugins.Open(HKEY_LOCAL_MACHINE, kPluginsKey, KEY_ALL_ACCESS) == ERROR_SUCCESS)
    RegDeleteTreeW(plugins.get(), braced.c_str());
  plugins.Close();
  RemovePluginsKeyIfEmpty();
}

}  // namespace

HRESULT RegisterServer(HMODULE module) {
  const std::wstring name = LoadModuleString(IDS_PRODUCT_NAME);
  const std::wstring path = ModulePath(module);
  HRESULT hr = path.empty() ? E_FAIL : RegisterComClass(CLSID_PianoRollPlugin, name, path);
  if (SUCCEEDED(hr)) hr = RegisterPluginEntry(CLSID_PianoRollPlugin, name);
  if (SUCCEEDED(hr)) hr = RegisterComClass(CLSID_EditorPage, name, path);
  if (FAILED(hr)) UnregisterServer();
  return hr;
}

HRESULT UnregisterServer() {
  UnregisterPluginEntry(CLSID_PianoRollPlugin);
  UnregisterComClass(CLSID_PianoRollPlugin);
  UnregisterComClass(CLSID_EditorPage);
  return S_OK;
}
