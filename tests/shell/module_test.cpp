// The module as a host loads it: class objects, the unload answer with live
// objects and locks, the factories' creation rules, the window classes it
// registers while loaded and what it clears at unload.
#include <gtest/gtest.h>

#include <fstream>

#include "kvlib/module.h"
#include "shell/module_exports.h"
#include "shell/page/editor_page.h"
#include "tests/shell/capturing_site.h"
#include "tests/shell/plugin_dll.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

template <class T> ComPtr<T> ClassObject(const PluginDll& dll, REFCLSID clsid) {
  ComPtr<T> factory;
  EXPECT_EQ(S_OK, dll.GetClassObject(clsid, IID_IClassFactory, factory.put_void()));
  return factory;
}

TEST(Module, ServesOneFactoryPerClassAndNothingElse) {
  PluginDll dll;
  ComPtr<IClassFactory> first = ClassObject<IClassFactory>(dll, CLSID_PianoRollPlugin);
  ComPtr<IUnknown> again;
  ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_PianoRollPlugin, IID_IUnknown, again.put_void()));
  EXPECT_EQ(static_cast<IUnknown*>(first.get()), again.get());
  ComPtr<IClassFactory> page = ClassObject<IClassFactory>(dll, CLSID_EditorPage);
  EXPECT_NE(first.get(), page.get());

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(IID_PluginMain, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(CLSID_EditorPage, IID_IDispatch, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, dll.GetClassObject(CLSID_EditorPage, IID_IClassFactory, nullptr));
  EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(Module, RefusesToUnloadWhileLockedOrWhileAnyObjectLives) {
  PluginDll dll;
  EXPECT_EQ(S_OK, dll.CanUnloadNow());
  ComPtr<IClassFactory> plugins = ClassObject<IClassFactory>(dll, CLSID_PianoRollPlugin);
  ComPtr<IClassFactory> pages = ClassObject<IClassFactory>(dll, CLSID_EditorPage);
  EXPECT_EQ(S_OK, dll.CanUnloadNow());

  EXPECT_EQ(S_OK, pages->LockServer(TRUE));
  EXPECT_EQ(S_OK, pages->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  EXPECT_EQ(S_OK, pages->LockServer(FALSE));
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  EXPECT_EQ(S_OK, pages->LockServer(FALSE));
  EXPECT_EQ(S_OK, dll.CanUnloadNow());
  // Unlocking below zero does not bank a credit against the next lock.
  EXPECT_EQ(S_OK, pages->LockServer(FALSE));
  EXPECT_EQ(S_OK, pages->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  EXPECT_EQ(S_OK, pages->LockServer(FALSE));

  ComPtr<PluginMain> plugin;
  ASSERT_EQ(S_OK, plugins->CreateInstance(nullptr, IID_PluginMain, plugin.put_void()));
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  ComPtr<IPropertyPage> page;
  ASSERT_EQ(S_OK, pages->CreateInstance(nullptr, IID_IPropertyPage, page.put_void()));
  plugin.Reset();
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  page.Reset();
  EXPECT_EQ(S_OK, dll.CanUnloadNow());

  // A host that keeps the plug-in's sinks keeps the module too.
  refhost::RefHost host;
  ComPtr<CapturingSite> site = CapturingSite::Create(host.site());
  site->keepSinks = true;
  ASSERT_EQ(S_OK, plugins->CreateInstance(nullptr, IID_PluginMain, plugin.put_void()));
  ASSERT_EQ(S_OK, plugin->Connect(site.get(), nullptr, 1, 0, nullptr));
  plugin.Reset();
  EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
  site.Reset();
  EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(Module, FactoriesCreateOnlyWhatTheyServe) {
  PluginDll dll;
  ComPtr<IClassFactory> plugins = ClassObject<IClassFactory>(dll, CLSID_PianoRollPlugin);
  ComPtr<IClassFactory> pages = ClassObject<IClassFactory>(dll, CLSID_EditorPage);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, plugins->CreateInstance(nullptr, IID_IDispatch, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, pages->CreateInstance(nullptr, IID_IPersistStream, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, dll.CanUnloadNow());

  for (const IID* iid : {&IID_IUnknown, &IID_PluginMain, &IID_PluginLanguage, &IID_IPersistStream,
                         &IID_ISpecifyPropertyPages}) {
    ComPtr<IUnknown> plugin;
    EXPECT_EQ(S_OK, plugins->CreateInstance(nullptr, *iid, plugin.put_void())) << Braced(*iid).c_str();
  }
  for (const IID* iid : {&IID_IUnknown, &IID_IPropertyPage}) {
    ComPtr<IUnknown> page;
    EXPECT_EQ(S_OK, pages->CreateInstance(nullptr, *iid, page.put_void())) << Braced(*iid).c_str();
  }
  // Neither class can be aggregated into an outer object.
  ComPtr<IUnknown> outer = ClassObject<IUnknown>(dll, CLSID_EditorPage);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, plugins->CreateInstance(outer.get(), IID_IUnknown, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, pages->CreateInstance(outer.get(), IID_IUnknown, &out));
  EXPECT_EQ(E_POINTER, pages->CreateInstance(nullptr, IID_IUnknown, nullptr));
  EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST(Module, RegistersItsWindowClassesWhileLoaded) {
  PluginDll dll;
  WNDCLASSEXW logo{};
  logo.cbSize = sizeof logo;
  ASSERT_TRUE(GetClassInfoExW(dll.module(), L"pianorollBld0LogoClass", &logo));
  EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS), logo.style);
  EXPECT_EQ(4, logo.cbWndExtra);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), logo.hbrBackground);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), logo.hCursor);
  WNDCLASSEXW trackview{};
  trackview.cbSize = sizeof trackview;
  ASSERT_TRUE(GetClassInfoExW(dll.module(), L"pianorollBld0TrackviewClass", &trackview));
  EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), trackview.style);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), trackview.hCursor);

  HMODULE module = dll.module();
  dll.Unload();
  ASSERT_EQ(nullptr, GetModuleHandleW(L"pianoroll.dll"));
  EXPECT_FALSE(GetClassInfoExW(module, L"pianorollBld0LogoClass", &logo));
  EXPECT_FALSE(GetClassInfoExW(module, L"pianorollBld0TrackviewClass", &trackview));
}

TEST(Module, UnloadRemovesTheHandleFontFileBesideIt) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"pianoroll_unload_test";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"\\pianoroll.dll";
  const std::wstring font = folder + L"\\kvhandle.fnt";
  ASSERT_TRUE(CopyFileW(PluginDllPath().c_str(), copy.c_str(), FALSE));
  HANDLE file = CreateFileW(font.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "font", 4, &written, nullptr);
  CloseHandle(file);
  {
    PluginDll dll(copy);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(font.c_str()));
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(font.c_str()));
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Module, ALockedFactorySurvivesUnloadAndAnUnlockedOneGoes) {
  // The classes built into this program stand for a module being unloaded.
  ComPtr<IClassFactory> locked;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_PianoRollPlugin, IID_IClassFactory, locked.put_void()));
  ComPtr<IClassFactory> unlocked;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_EditorPage, IID_IClassFactory, unlocked.put_void()));
  ASSERT_EQ(S_OK, locked->LockServer(TRUE));
  ModuleDetach();
  KvModule_Startup(GetModuleHandleW(nullptr));
  // The module's cached reference remains only on the locked one.
  EXPECT_EQ(0u, unlocked.Detach()->Release());
  EXPECT_EQ(S_OK, locked->LockServer(FALSE));
  EXPECT_EQ(1u, locked.Detach()->Release());
}

}  // namespace
}  // namespace shelltest
