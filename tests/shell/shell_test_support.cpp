#include "tests/shell/shell_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "kvlib/module.h"
#include "shell/window_classes.h"

namespace shelltest {

namespace {

// The in-process copies of the classes serve this program's own module.
class ModuleEnvironment : public testing::Environment {
 public:
  void SetUp() override { KvModule_Startup(GetModuleHandleW(nullptr)); }
  void TearDown() override { KvModule_Shutdown(); }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::map<HWND, MessageRecorder*>& Recorders() {
  static std::map<HWND, MessageRecorder*> recorders;
  return recorders;
}

}  // namespace

std::wstring PluginDllPath() {
  const std::string unix = KV_PLUGIN_DLL;
  std::wstring path = L"Z:";
  for (char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

std::wstring Braced(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t text[1024];
  DWORD bytes = sizeof text;
  DWORD type = 0;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_ANY, &type, text, &bytes) != ERROR_SUCCESS || type != REG_SZ)
    return L"<missing>";
  return text;
}

DWORD ReadDword(HKEY root, const std::wstring& path, const wchar_t* name) {
  DWORD value = 0;
  DWORD bytes = sizeof value;
  DWORD type = 0;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_ANY, &type, &value, &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0xFFFFFFFF;
  return value;
}

void DeleteTree(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
}

ComPtr<PluginMain> CreatePlugin() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(S_OK, DllGetClassObject(CLSID_PianoRollPlugin, IID_IClassFactory, factory.put_void()));
  ComPtr<PluginMain> plugin;
  if (factory) {
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PluginMain, plugin.put_void()));
  }
  return plugin;
}

ComPtr<IPropertyPage> CreatePage() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(S_OK, DllGetClassObject(CLSID_EditorPage, IID_IClassFactory, factory.put_void()));
  ComPtr<IPropertyPage> page;
  if (factory) {
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage, page.put_void()));
  }
  return page;
}

PianoRollPlugin& Impl(PluginMain* plugin) {
  PluginMain* self = nullptr;
  EXPECT_EQ(S_OK, plugin->QueryInterface(IID_MidiPluginBase, reinterpret_cast<void**>(&self)));
  self->Release();  // the caller's reference keeps it alive
  return *static_cast<PianoRollPlugin*>(static_cast<MidiPluginBase*>(self));
}

ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
  ComPtr<IStream> stream;
  EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  ULONG written = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::vector<uint8_t> StreamBytes(IStream* stream) {
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  HGLOBAL memory = nullptr;
  GetHGlobalFromStream(stream, &memory);
  if (const void* p = GlobalLock(memory)) {
    std::copy_n(static_cast<const uint8_t*>(p), bytes.size(), bytes.begin());
    GlobalUnlock(memory);
  }
  return bytes;
}

uint64_t StreamPosition(IStream* stream) {
  ULARGE_INTEGER position{};
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_CUR, &position);
  return position.QuadPart;
}

MessageRecorder::MessageRecorder(HWND window, std::vector<UINT> messages)
    : window_(window), messages_(std::move(messages)) {
  Recorders()[window] = this;
  previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

MessageRecorder::~MessageRecorder() {
  if (IsWindow(window_)) SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  Recorders().erase(window_);
}

LRESULT CALLBACK MessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageRecorder* self = Recorders().at(window);
  if (std::find(self->messages_.begin(), self->messages_.end(), message) != self->messages_.end())
    self->received_.push_back({message, wParam, lParam});
  return CallWindowProcW(self->previous_, window, message, wParam, lParam);
}

std::vector<Received> TakePosted(HWND window) {
  std::vector<Received> posted;
  MSG msg;
  while (PeekMessageW(&msg, window, 0x8001, 0x8002, PM_REMOVE)) posted.push_back({msg.message, msg.wParam, msg.lParam});
  return posted;
}

std::vector<Received> DeliverPosted(HWND window) {
  std::vector<Received> posted;
  MSG msg;
  while (PeekMessageW(&msg, window, 0x8001, 0x8002, PM_REMOVE)) {
    posted.push_back({msg.message, msg.wParam, msg.lParam});
    DispatchMessageW(&msg);
  }
  return posted;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HostedPlugin::HostedPlugin() {
  // The in-process classes run in this program, which registers the editor's
  // window classes as the module does when it is loaded.
  static const bool registered = (RegisterWindowClasses(GetModuleHandleW(nullptr)), true);
  (void)registered;
  // Track 0 is the project's own, which the editor never lists.
  host.AddTrack({.name = L"Conductor", .channel = 0});
  track = host.AddTrack({.name = L"Piano", .channel = 0});
  block = host.AddBlock(track, {.start = 0, .end = 3840});
  plugin = CreatePlugin();
  DWORD capabilities = 0xFFFFFFFF;
  EXPECT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, &capabilities));
  page = CreatePage();
  parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                           nullptr);
  IUnknown* objects[] = {plugin.get()};
  EXPECT_EQ(S_OK, page->SetObjects(1, objects));
  const RECT rect{0, 0, 600, 400};
  EXPECT_EQ(S_OK, page->Activate(parent, &rect, FALSE));
  editor = GetWindow(parent, GW_CHILD);
  EXPECT_NE(nullptr, editor);
}

void HostedPlugin::ClosePage() {
  if (closed_) return;
  closed_ = true;
  EXPECT_EQ(S_OK, page->Deactivate());
  EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
  EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
}

HostedPlugin::~HostedPlugin() {
  ClosePage();
  TakePosted(nullptr);
  page.Reset();
  plugin->Disconnect();
  plugin.Reset();
  DestroyWindow(parent);
  const refhost::LeakReport leaks = host.Leaks();
  EXPECT_TRUE(leaks.Clean()) << leaks.Describe();
}

HRESULT HostedPlugin::Notify(const HostNotification& record) {
  const std::vector<HRESULT> answers = host.SendNotification(record);
  EXPECT_EQ(1u, answers.size());
  return answers.empty() ? E_UNEXPECTED : answers[0];
}

HostNotification Record(const GUID& kind, uint32_t flags, int32_t level, ItemPath oldPath, ItemPath newPath) {
  HostNotification r{};
  r.kind = kind;
  r.flags = flags;
  r.level = level;
  r.oldPath = oldPath;
  r.newPath = newPath;
  return r;
}

}  // namespace shelltest
