// The application's side of a plug-in: finding the registered plug-ins,
// creating one through COM, connecting it to a document's host, restoring
// and saving its settings, and showing its property page in a window through
// the application's own page site.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "host/com_ref.h"
#include "host/ref_host.h"
#include "mididata/host_interfaces.h"

struct PluginEntry {
  CLSID clsid;
  std::wstring name;
};

// The plug-ins under "Software\MIDI Plugins\", in the registry's order.
std::vector<PluginEntry> FindPlugins();

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost() { Close(); }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Creates and connects the plug-in, loads settings (when there are any)
  // and shows its first property page inside parent at rect. On failure
  // everything made is undone and *error says what failed.
  bool Open(const CLSID& clsid, refhost::RefHost& host, const std::vector<uint8_t>& settings, HWND parent,
            const RECT& rect, std::wstring* error);
  // Deactivates the page, disconnects and releases the plug-in.
  void Close();

  bool IsOpen() const { return page_.get() != nullptr; }
  void Move(const RECT& rect);
  // A key of the application's loop for the page: true when it took it.
  bool TranslateAccelerator(MSG* message);
  // The plug-in's settings stream; false when it cannot be saved.
  bool SaveSettings(std::vector<uint8_t>* out);
  // The page's window (the editor frame), found among parent's children.
  HWND PageWindow() const { return pageWindow_; }
  SIZE PageSize() const { return pageSize_; }

 private:
  refhost::ComRef<PluginMain> plugin_;
  refhost::ComRef<IPropertyPage> page_;
  refhost::ComRef<IPropertyPageSite> site_;
  HWND pageWindow_ = nullptr;
  SIZE pageSize_{};
};
