// EditorPage: the property page through which the host shows the editor. It
// holds the plug-in object the host hands it, owns the editor frame, and is
// the channel through which the plug-in object reaches that window. The
// plug-in object keeps no reference to its page: a host that releases the
// page without clearing its objects frees both.
#pragma once

#include <ocidl.h>

#include <atomic>

#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"
#include "shell/module_objects.h"

class MidiPluginBase;

class EditorPage final : public IPropertyPage {
 public:
  // Creation helper of the class factory.
  static HRESULT Create(REFIID iid, void** out);
  EditorPage(const EditorPage&) = delete;
  EditorPage& operator=(const EditorPage&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Show(UINT command) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override;
  HRESULT STDMETHODCALLTYPE Apply() override;
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDir) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

  // Called by the plug-in object, possibly from the host's reporting thread;
  // the pending flags are the plug-in's. Posts WM_PLUGIN_REFRESH unless one is
  // still pending; 0.
  HRESULT PostRefresh(MidiPluginBase& plugin, const HostNotification& record);
  // Posts WM_PLUGIN_POSITION unless one is still pending; 0.
  HRESULT PostPosition(MidiPluginBase& plugin);
  // Sends a message to the editor window: 0 when it answered 0, E_FAIL otherwise.
  HRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);

  // The plug-in object the editor works on; null while none is set.
  MidiPluginBase* plugin() const { return framePlugin_.get(); }

  // A reference for the plug-in's reporting thread, unless the page is
  // already on its way out (its count reached 0); false then.
  bool TryAddRef();

  // The piano roll's data-source queries about the track chosen in the
  // frame's selector (track 1 without a frame): 1 when there is nothing to
  // answer with.
  HRESULT SelectedTrackInfo(TrackInfo* out);
  HRESULT FirstBlockPath(ItemPath* out);
  HRESULT FirstBlockLength(int64_t* out);

 private:
  EditorPage() = default;
  ~EditorPage();
  void ClearObjects();
  int32_t ChosenTrack() const;

  ModuleObject moduleObject_;
  std::atomic<ULONG> refs_{1};
  ComPtr<PluginMain> pluginMain_;
  ComPtr<IPropertyPageSite> site_;
  std::atomic<HWND> window_{nullptr};
  SIZE size_{};  // the frame's outer size, measured once
  // The same object as pluginMain_, reached through the module's own identifier.
  ComPtr<MidiPluginBase> framePlugin_;
};
