// Shared pieces of the shell tests: the built DLL, registry probes, settings
// streams, a message recorder for the editor window, and a plug-in connected to
// the reference host with its editor page open.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <string>
#include <vector>

#include "host/ref_host.h"
#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"
#include "shell/plugin/midi_plugin_base.h"
#include "shell/plugin/pianoroll_plugin.h"

namespace shelltest {

// The DLL of this build as Windows sees it (Z:\...).
std::wstring PluginDllPath();

std::wstring Braced(REFGUID guid);
bool KeyExists(HKEY root, const std::wstring& path);
std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name);  // "<missing>" when absent
DWORD ReadDword(HKEY root, const std::wstring& path, const wchar_t* name);         // 0xFFFFFFFF when absent
// Deletes a key with its subkeys, when present.
void DeleteTree(HKEY root, const std::wstring& path);
inline const wchar_t kPluginsKey[] = L"Software\\MIDI Plugins";

// A new plug-in object made by this module's class factory, in process.
ComPtr<PluginMain> CreatePlugin();
ComPtr<IPropertyPage> CreatePage();
// The object behind a PluginMain of this module.
PianoRollPlugin& Impl(PluginMain* plugin);

// A stream on global memory holding bytes; position at the start.
ComPtr<IStream> StreamOf(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> StreamBytes(IStream* stream);
uint64_t StreamPosition(IStream* stream);

// The messages a window received, recorded by subclassing it.
struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
class MessageRecorder {
 public:
  MessageRecorder(HWND window, std::vector<UINT> messages);
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  const std::vector<Received>& received() const { return received_; }
  void Clear() { received_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
  WNDPROC previous_;
  std::vector<UINT> messages_;
  std::vector<Received> received_;
};

// Removes the plug-in's posted messages from the thread's queue, undelivered.
std::vector<Received> TakePosted(HWND window);
// Removes the plug-in's posted messages and hands each to the window, as the
// thread's message loop would.
std::vector<Received> DeliverPosted(HWND window);
// Delivers every message waiting for this thread.
void PumpMessages();

// A host with one track and one block, a connected plug-in, and its editor page
// set up and activated the way the host does it.
class HostedPlugin {
 public:
  HostedPlugin();
  ~HostedPlugin();
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  refhost::RefHost host;
  ItemPath track{};
  ItemPath block{};
  ComPtr<PluginMain> plugin;
  ComPtr<IPropertyPage> page;
  HWND parent = nullptr;
  HWND editor = nullptr;  // the page's window

  PianoRollPlugin& impl() { return Impl(plugin.get()); }
  HRESULT Notify(const HostNotification& record);  // as the host's sink call
  void ClosePage();

 private:
  bool closed_ = false;
};

HostNotification Record(const GUID& kind, uint32_t flags = 0, int32_t level = 0, ItemPath oldPath = {},
                        ItemPath newPath = {});

}  // namespace shelltest
