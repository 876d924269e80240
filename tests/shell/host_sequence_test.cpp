// One session of a host with the registered DLL, from registration to
// unregistration: create, connect, restore settings, show the editor, report
// changes, save, close, disconnect, release and unload.
#include <gtest/gtest.h>

#include "host/event_factory.h"
#include "shell/page/editor_messages.h"
#include "shell/plugin/editor_prefs.h"
#include "tests/shell/plugin_dll.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

HRESULT LoadedCanUnloadNow() {
  HMODULE module = GetModuleHandleW(L"pianoroll.dll");
  if (!module) return E_UNEXPECTED;
  auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return entry();
}

std::vector<uint8_t> SettingsBytes(const EditorPrefs& prefs) {
  uint8_t header[kSettingsHeaderSize];
  EncodeSettingsHeader({kPrefsVersion, 0, kPrefsBlockSize}, header);
  uint8_t block[kPrefsBlockSize];
  EncodeEditorPrefs(prefs, block);
  std::vector<uint8_t> bytes(header, header + sizeof header);
  bytes.insert(bytes.end(), block, block + sizeof block);
  return bytes;
}

TEST(HostSession, FromRegistrationToUnregistration) {
  { PluginDll cleanup; cleanup.Unregister(); }
  ASSERT_EQ(0u, RunRegsvr32(L"/s \"" + PluginDllPath() + L"\""));
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kPluginsKey) + L"\\" + Braced(CLSID_PianoRollPlugin)));

  refhost::RefHost host;
  const ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
  const ItemPath block = host.AddBlock(track, {.start = 0, .end = 3840});
  host.AddEvent(block, refhost::Note(0, 480, 60));
  HWND parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
  {
    ComPtr<PluginMain> plugin;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_PianoRollPlugin, nullptr, CLSCTX_INPROC_SERVER, IID_PluginMain,
                                     plugin.put_void()));
    DWORD capabilities = 0xFFFFFFFF;
    ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, &capabilities));
    EXPECT_EQ(0u, capabilities);
    ComPtr<PluginLanguage> language;
    ASSERT_EQ(S_OK, plugin->QueryInterface(IID_PluginLanguage, language.put_void()));
    EXPECT_EQ(S_OK, language->SetLanguage(0x0409));

    // Settings of an earlier session.
    EditorPrefs earlier = DefaultEditorPrefs();
    earlier.laneKind = 1129;
    earlier.keyRoot = 7;
    const std::vector<uint8_t> saved = SettingsBytes(earlier);
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, plugin->QueryInterface(IID_IPersistStream, persist.put_void()));
    ComPtr<IStream> in = StreamOf(saved);
    ASSERT_EQ(S_OK, persist->Load(in.get()));

    // The editor page, as the plug-in names it.
    ComPtr<ISpecifyPropertyPages> specify;
    ASSERT_EQ(S_OK, plugin->QueryInterface(IID_ISpecifyPropertyPages, specify.put_void()));
    CAUUID pages{};
    ASSERT_EQ(S_OK, specify->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    ComPtr<IPropertyPage> page;
    ASSERT_EQ(S_OK, CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                     page.put_void()));
    CoTaskMemFree(pages.pElems);
    IUnknown* objects[] = {plugin.get()};
    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
    PROPPAGEINFO info{};
    info.cb = sizeof info + 100;
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_EQ(sizeof info, info.cb);
    EXPECT_STREQ(L"Piano Roll Editor", info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    const RECT rect{0, 0, 600, 400};
    ASSERT_EQ(S_OK, page->Activate(parent, &rect, FALSE));
    ASSERT_EQ(S_OK, page->Show(SW_SHOW));
    HWND editor = GetWindow(parent, GW_CHILD);
    ASSERT_NE(nullptr, editor);
    MSG key{};
    key.hwnd = editor;
    key.message = WM_KEYDOWN;
    key.wParam = VK_LEFT;
    EXPECT_EQ(S_OK, page->TranslateAccelerator(&key));  // the track view's key

    // The host's user edits; the editor replays the report when it gets to it.
    host.InsertEvent(block, refhost::Note(960, 480, 64));
    EXPECT_EQ(S_OK, host.Deliveries().back().results.at(0));
    host.SetPosition(480);
    const std::vector<Received> posted = DeliverPosted(editor);
    ASSERT_EQ(2u, posted.size());
    EXPECT_EQ(WM_PLUGIN_REFRESH, posted[0].message);
    EXPECT_EQ(WM_PLUGIN_POSITION, posted[1].message);

    ComPtr<IStream> out = StreamOf({});
    ASSERT_EQ(S_OK, persist->Save(out.get(), TRUE));
    // The view state (first row, zoom, row height, tool: block offsets 256 to
    // 271) is the open editor's, and so is the keyboard width (176) that its
    // first view measured; everything else is as loaded.
    std::vector<uint8_t> resaved = StreamBytes(out.get());
    ASSERT_EQ(saved.size(), resaved.size());
    for (size_t i = 12 + 256; i < 12 + 272; ++i) resaved[i] = saved[i];
    for (size_t i = 12 + 176; i < 12 + 180; ++i) resaved[i] = saved[i];
    for (size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(saved[i], resaved[i]) << "offset " << i;

    EXPECT_EQ(S_FALSE, LoadedCanUnloadNow());
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    page.Reset();
    EXPECT_EQ(S_OK, plugin->Disconnect());
    persist.Reset();
    language.Reset();
    specify.Reset();
    EXPECT_EQ(S_FALSE, LoadedCanUnloadNow());
  }
  EXPECT_EQ(S_OK, LoadedCanUnloadNow());
  DestroyWindow(parent);
  const refhost::LeakReport leaks = host.Leaks();
  EXPECT_TRUE(leaks.Clean()) << leaks.Describe();

  ASSERT_EQ(0u, RunRegsvr32(L"/u /s \"" + PluginDllPath() + L"\""));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(CLSID_PianoRollPlugin)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(CLSID_EditorPage)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPluginsKey));
  CoFreeUnusedLibrariesEx(0, 0);
}

}  // namespace
}  // namespace shelltest
