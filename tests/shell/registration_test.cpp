// Self-registration into this Wine prefix's registry, through regsvr32 and
// through the entry points of the loaded DLL, and creation of both classes by
// COM from the registry as a host does it.
#include <gtest/gtest.h>

#include "shell/com_ptr.h"
#include "tests/shell/plugin_dll.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

const wchar_t kName[] = L"Velora Tarn 5.0 MIDI Piano Roll Editor";

std::wstring ClassKey(REFCLSID clsid) { return L"CLSID\\" + Braced(clsid); }
std::wstring PluginKey() { return std::wstring(kPluginsKey) + L"\\" + Braced(CLSID_PianoRollPlugin); }

void ExpectRegistered() {
  for (const CLSID* clsid : {&CLSID_PianoRollPlugin, &CLSID_EditorPage}) {
    const std::wstring key = ClassKey(*clsid);
    EXPECT_EQ(kName, ReadString(HKEY_CLASSES_ROOT, key, nullptr));
    EXPECT_EQ(0, _wcsicmp(PluginDllPath().c_str(), ReadString(HKEY_CLASSES_ROOT, key + L"\\InProcServer32", nullptr).c_str()));
    EXPECT_EQ(L"Both", ReadString(HKEY_CLASSES_ROOT, key + L"\\InProcServer32", L"ThreadingModel"));
  }
  EXPECT_EQ(kName, ReadString(HKEY_LOCAL_MACHINE, PluginKey(), nullptr));
  EXPECT_EQ(82u, ReadDword(HKEY_LOCAL_MACHINE, PluginKey(), L"Type"));
}

void ExpectNoTrace() {
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(CLSID_PianoRollPlugin)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(CLSID_EditorPage)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPluginsKey));
}

// Every case starts from a prefix without the plug-in or any other in the shared key.
class Registration : public testing::Test {
 protected:
  void SetUp() override {
    PluginDll dll;
    dll.Unregister();
    DeleteTree(HKEY_LOCAL_MACHINE, kPluginsKey);
  }
  void TearDown() override { SetUp(); }
};

TEST_F(Registration, Regsvr32RegistersEveryEntryAndUnregistersWithoutTrace) {
  ASSERT_EQ(0u, RunRegsvr32(L"/s \"" + PluginDllPath() + L"\""));
  ExpectRegistered();
  ASSERT_EQ(0u, RunRegsvr32(L"/u /s \"" + PluginDllPath() + L"\""));
  ExpectNoTrace();
}

TEST_F(Registration, EntryPointsOfTheLoadedDllRegisterAndUnregister) {
  PluginDll dll;
  ASSERT_EQ(S_OK, dll.Register());
  ExpectRegistered();
  // Registering again over existing entries is fine.
  ASSERT_EQ(S_OK, dll.Register());
  ExpectRegistered();
  EXPECT_EQ(S_OK, dll.Unregister());
  ExpectNoTrace();
  EXPECT_EQ(S_OK, dll.Unregister());
}

TEST_F(Registration, TheSharedParentStaysWhileAnotherPluginUsesIt) {
  const std::wstring other = std::wstring(kPluginsKey) + L"\\{00000000-1111-2222-3333-444444444444}";
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                           nullptr));
  RegCloseKey(key);
  PluginDll dll;
  ASSERT_EQ(S_OK, dll.Register());
  EXPECT_EQ(S_OK, dll.Unregister());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey()));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, other));
}

TEST_F(Registration, AFailingPluginEntryRollsBackTheClassEntries) {
  // Under a volatile parent no lasting subkey can be created.
  HKEY parent;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPluginsKey, 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_WRITE, nullptr, &parent, nullptr));
  RegCloseKey(parent);
  PluginDll dll;
  EXPECT_EQ(E_FAIL, dll.Register());
  ExpectNoTrace();
}

TEST_F(Registration, ComCreatesBothClassesFromTheRegisteredModule) {
  ASSERT_EQ(0u, RunRegsvr32(L"/s \"" + PluginDllPath() + L"\""));
  {
    ComPtr<PluginMain> plugin;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_PianoRollPlugin, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                     plugin.put_void()));
    ComPtr<IPropertyPage> page;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_EditorPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.put_void()));
    // Both come from the registered DLL, not from the classes built into this program.
    HMODULE loaded = GetModuleHandleW(L"pianoroll.dll");
    ASSERT_NE(nullptr, loaded);
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       *reinterpret_cast<LPCWSTR*>(plugin.get()), &owner);
    EXPECT_EQ(loaded, owner);
    ComPtr<IPersistStream> persist;
    EXPECT_EQ(S_OK, plugin->QueryInterface(IID_IPersistStream, persist.put_void()));
    ComPtr<IUnknown> pageAsPlugin;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_EditorPage, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                              pageAsPlugin.put_void()));
  }
  CoFreeUnusedLibrariesEx(0, 0);
}

}  // namespace
}  // namespace shelltest
