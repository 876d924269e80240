// The plug-in's HostNotifySink, advised on the host's connection point. The host
// holds it for as long as it likes, so it does not keep the plug-in alive: the
// plug-in orphans it when it goes, and later reports are refused.
#pragma once

#include <atomic>

#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"
#include "shell/module_objects.h"

class MidiPluginBase;

class NotifySink final : public HostNotifySink {
 public:
  // A new sink with one reference for the caller; null when out of memory.
  static ComPtr<NotifySink> Create(MidiPluginBase* owner);
  NotifySink(const NotifySink&) = delete;
  NotifySink& operator=(const NotifySink&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE OnNotify(const HostNotification* record) override;

  void Orphan() { owner_ = nullptr; }

 private:
  explicit NotifySink(MidiPluginBase* owner) : owner_(owner) {}
  ~NotifySink() = default;

  ModuleObject moduleObject_;
  std::atomic<ULONG> refs_{1};
  std::atomic<MidiPluginBase*> owner_;
};
