// The plug-in's HostPositionSink. Like the notification sink it is held by the
// host, is orphaned when the plug-in goes, and then ignores the host's calls.
#pragma once

#include <atomic>

#include "mididata/host_interfaces.h"
#include "shell/com_ptr.h"
#include "shell/module_objects.h"

class MidiPluginBase;

class PositionSink final : public HostPositionSink {
 public:
  static ComPtr<PositionSink> Create(MidiPluginBase* owner);
  PositionSink(const PositionSink&) = delete;
  PositionSink& operator=(const PositionSink&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // The arguments carry nothing the plug-in reads: the page reads the position property.
  HRESULT STDMETHODCALLTYPE OnPositionChanged(DWORD a, DWORD b) override;

  void Orphan() { owner_ = nullptr; }

 private:
  explicit PositionSink(MidiPluginBase* owner) : owner_(owner) {}
  ~PositionSink() = default;

  ModuleObject moduleObject_;
  std::atomic<ULONG> refs_{1};
  std::atomic<MidiPluginBase*> owner_;
};
