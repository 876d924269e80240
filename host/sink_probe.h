// A stand-in for the plug-in's two sinks: records every notification and
// position change it receives and answers what the test chooses. Used by the
// host's own tests and the self-check; plug-in tests use the real sinks.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "host/com_ref.h"
#include "mididata/host_interfaces.h"

namespace refhost {

class SinkProbe final : public HostNotifySink, public HostPositionSink {
 public:
  static ComRef<SinkProbe> Create();
  SinkProbe(const SinkProbe&) = delete;
  SinkProbe& operator=(const SinkProbe&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE OnNotify(const HostNotification* record) override;
  HRESULT STDMETHODCALLTYPE OnPositionChanged(DWORD a, DWORD b) override;

  // Advises both sinks on a site's connection points, as a plug-in's Connect
  // does, and takes them back.
  HRESULT AdviseOn(IUnknown* site);
  HRESULT UnadviseFrom(IUnknown* site);

  // What OnNotify answers; onNotify, when set, runs first and its result is answered instead.
  HRESULT answer = S_OK;
  std::function<HRESULT(const HostNotification&)> onNotify;
  std::vector<HostNotification> records;
  std::vector<std::pair<DWORD, DWORD>> positions;
  DWORD notifyCookie = 0, positionCookie = 0;

 private:
  SinkProbe() = default;
  ~SinkProbe() = default;
  ULONG refs_ = 1;
};

}  // namespace refhost
