// The plug-in object as the host sees it before connecting: its interfaces and
// their identity, reference counts, the page it names, its language switch,
// and what creation does when memory runs out.
#include <gtest/gtest.h>

#include <objbase.h>

#include "shell/module_objects.h"
#include "tests/shell/alloc_faults.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

template <class T = IUnknown> ComPtr<T> Query(IUnknown* from, REFIID iid, HRESULT expected = S_OK) {
  ComPtr<T> out;
  EXPECT_EQ(expected, from->QueryInterface(iid, out.put_void()));
  return out;
}

TEST(PluginObject, AnswersItsInterfacesUnderOneIdentity) {
  ComPtr<PluginMain> plugin = CreatePlugin();
  ComPtr<IUnknown> identity = Query(plugin.get(), IID_IUnknown);
  EXPECT_EQ(static_cast<IUnknown*>(plugin.get()), identity.get());

  const IID answered[] = {IID_PluginMain, IID_PluginLanguage, IID_IPersistStream, IID_IPersist,
                          IID_ISpecifyPropertyPages};
  for (const IID& iid : answered) {
    ComPtr<IUnknown> part = Query(plugin.get(), iid);
    ASSERT_TRUE(part) << Braced(iid).c_str();
    // Every interface leads back to the same object and to all the others.
    EXPECT_EQ(identity.get(), Query(part.get(), IID_IUnknown).get()) << Braced(iid).c_str();
    for (const IID& other : answered) EXPECT_TRUE(Query(part.get(), other)) << Braced(other).c_str();
  }
  EXPECT_NE(static_cast<void*>(Query(plugin.get(), IID_PluginLanguage).get()),
            static_cast<void*>(plugin.get()));
  EXPECT_EQ(Query(plugin.get(), IID_IPersist).get(), Query(plugin.get(), IID_IPersistStream).get());

  const IID refused[] = {IID_PluginOptional, IID_IDispatch, IID_IClassFactory, IID_IPropertyPage,
                         IID_HostNotifySink, IID_IPersistStreamInit};
  for (const IID& iid : refused) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, plugin->QueryInterface(iid, &out)) << Braced(iid).c_str();
    EXPECT_EQ(nullptr, out);
    ComPtr<IUnknown> persist = Query(plugin.get(), IID_IPersistStream);
    EXPECT_EQ(E_NOINTERFACE, persist->QueryInterface(iid, &out));
  }
  EXPECT_EQ(E_POINTER, plugin->QueryInterface(IID_IUnknown, nullptr));
}

TEST(PluginObject, CountsReferencesAndLivesWhileAnyInterfaceIsHeld) {
  const long before = LiveModuleObjects();
  ComPtr<PluginMain> plugin = CreatePlugin();
  EXPECT_EQ(2u, plugin->AddRef());
  EXPECT_EQ(1u, plugin->Release());
  EXPECT_GT(LiveModuleObjects(), before);

  // A host that keeps only the persistence interface keeps a working object.
  ComPtr<IPersistStream> persist = Query<IPersistStream>(plugin.get(), IID_IPersistStream);
  ComPtr<ISpecifyPropertyPages> pages = Query<ISpecifyPropertyPages>(plugin.get(), IID_ISpecifyPropertyPages);
  plugin.Reset();
  ULARGE_INTEGER size{};
  EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
  EXPECT_EQ(336u, size.QuadPart);
  pages.Reset();
  EXPECT_GT(LiveModuleObjects(), before);
  persist.Reset();
  EXPECT_EQ(before, LiveModuleObjects());
}

TEST(PluginObject, NamesTheEditorPageInTaskMemory) {
  ComPtr<PluginMain> plugin = CreatePlugin();
  ComPtr<ISpecifyPropertyPages> pages = Query<ISpecifyPropertyPages>(plugin.get(), IID_ISpecifyPropertyPages);
  CAUUID ids{};
  ASSERT_EQ(S_OK, pages->GetPages(&ids));
  ASSERT_EQ(1u, ids.cElems);
  EXPECT_TRUE(IsEqualGUID(CLSID_EditorPage, ids.pElems[0]));
  CoTaskMemFree(ids.pElems);
  EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
}

TEST(PluginObject, ReportsItsClassCleanStateAndSettingsSize) {
  ComPtr<PluginMain> plugin = CreatePlugin();
  ComPtr<IPersistStream> persist = Query<IPersistStream>(plugin.get(), IID_IPersistStream);
  CLSID clsid{};
  EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
  EXPECT_TRUE(IsEqualCLSID(CLSID_PianoRollPlugin, clsid));
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  ULARGE_INTEGER size;
  size.QuadPart = ~0ull;
  EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
  EXPECT_EQ(336u, size.LowPart);
  EXPECT_EQ(0u, size.HighPart);
  EXPECT_EQ(E_POINTER, persist->GetSizeMax(nullptr));
  EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
}

TEST(PluginObject, SwitchesOnlyToLanguagesItCarries) {
  ComPtr<PluginMain> plugin = CreatePlugin();
  ComPtr<PluginLanguage> language = Query<PluginLanguage>(plugin.get(), IID_PluginLanguage);
  EXPECT_EQ(S_OK, language->SetLanguage(MAKELCID(0x0409, SORT_DEFAULT)));
  EXPECT_EQ(S_OK, language->SetLanguage(MAKELCID(0x0809, SORT_DEFAULT)));
  EXPECT_EQ(E_FAIL, language->SetLanguage(MAKELCID(0x0407, SORT_DEFAULT)));
  EXPECT_EQ(E_FAIL, language->SetLanguage(MAKELCID(0x0411, SORT_DEFAULT)));
  // A refused language leaves the texts in the language chosen before.
  ComPtr<IPropertyPage> page = CreatePage();
  PROPPAGEINFO info{};
  info.cb = sizeof info;
  ASSERT_EQ(S_OK, page->GetPageInfo(&info));
  EXPECT_STREQ(L"Piano Roll Editor", info.pszTitle);
  CoTaskMemFree(info.pszTitle);
}

TEST(PluginObject, CreationUnderMemoryShortageFailsCleanlyOrGoesOnWithoutPages) {
  const long before = LiveModuleObjects();
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_PianoRollPlugin, IID_IClassFactory, factory.put_void()));
  FailNthAllocation(0);
  ComPtr<PluginMain> whole;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PluginMain, whole.put_void()));
  // The object, its two sinks, the page answerer and the persistence answerer.
  ASSERT_EQ(5, AllocationsSinceArmed());
  EXPECT_EQ(RegisterClipboardFormatW(L"Velora Zebu 1.0"), Impl(whole.get()).clipboardFormat());
  whole.Reset();

  const HRESULT expected[] = {E_OUTOFMEMORY, E_OUTOFMEMORY, E_OUTOFMEMORY, S_OK, E_OUTOFMEMORY};
  for (int nth = 1; nth <= 5; ++nth) {
    SCOPED_TRACE(nth);
    ComPtr<PluginMain> plugin;
    FailNthAllocation(nth);
    const HRESULT hr = factory->CreateInstance(nullptr, IID_PluginMain, plugin.put_void());
    FailNthAllocation(0);
    EXPECT_EQ(expected[nth - 1], hr);
    EXPECT_EQ(SUCCEEDED(hr), static_cast<bool>(plugin));
    if (plugin) {
      // Without the page answerer: no property pages and no clipboard format.
      void* out = nullptr;
      EXPECT_EQ(E_NOINTERFACE, plugin->QueryInterface(IID_ISpecifyPropertyPages, &out));
      EXPECT_EQ(0u, Impl(plugin.get()).clipboardFormat());
      EXPECT_TRUE(Query(plugin.get(), IID_IPersistStream));
    }
    plugin.Reset();
    EXPECT_EQ(before, LiveModuleObjects());
  }
}

}  // namespace
}  // namespace shelltest
