// Connect and Disconnect: the host's site, its four data interfaces, the two
// sinks advised on its connection points, and its MIDI output service.
#include <olectl.h>

#include <utility>

#include "shell/plugin/midi_plugin_base.h"
#include "shell/plugin/notify_sink.h"
#include "shell/plugin/position_sink.h"

namespace {

// Nothing of the host's capability word is taken up.
constexpr DWORD kCapabilityMask = 0;
constexpr DWORD kConnectFlag = 0x1;

// A query that claims success without a pointer counts as a refusal.
template <class T> HRESULT QueryHost(IUnknown* from, T** out) {
  const HRESULT hr = KvQuery(from, out);
  return SUCCEEDED(hr) && !*out ? E_NOINTERFACE : hr;
}

HRESULT FindPoint(IUnknown* site, REFIID sinkIid, ComPtr<IConnectionPoint>* point) {
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = site->QueryInterface(IID_IConnectionPointContainer, container.put_void());
  if (SUCCEEDED(hr) && !container) hr = E_NOINTERFACE;
  if (FAILED(hr)) return hr;
  hr = container->FindConnectionPoint(sinkIid, point->put());
  return SUCCEEDED(hr) && !*point ? CONNECT_E_NOCONNECTION : hr;
}

HRESULT Advise(IUnknown* site, REFIID sinkIid, IUnknown* sink, DWORD* cookie) {
  ComPtr<IConnectionPoint> point;
  HRESULT hr = FindPoint(site, sinkIid, &point);
  if (SUCCEEDED(hr)) hr = point->Advise(sink, cookie);
  if (FAILED(hr)) *cookie = 0;
  return hr;
}

void Unadvise(IUnknown* site, REFIID sinkIid, DWORD* cookie) {
  const DWORD c = std::exchange(*cookie, 0);
  if (!c || !site) return;
  ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(FindPoint(site, sinkIid, &point))) point->Unadvise(c);
}

}  // namespace

HRESULT MidiPluginBase::Connect(IUnknown* site, IUnknown* output, DWORD flags, DWORD, DWORD* capabilities) {
  // A second Connect replaces the first connection instead of leaking it.
  Disconnect();
  if (!(flags & kConnectFlag)) return E_FAIL;
  if (!site) return E_POINTER;
  if (capabilities) *capabilities &= kCapabilityMask;
  site_ = ComPtr<IUnknown>::Retain(site);
  // The host hands its output service over as the HostMidiOutput pointer itself.
  output_ = ComPtr<HostMidiOutput>::Retain(static_cast<HostMidiOutput*>(output));
  HRESULT hr = QueryDataInterfaces();
  if (SUCCEEDED(hr)) hr = AdviseSinks();
  if (FAILED(hr)) {
    Disconnect();
    return hr;
  }
  store_.Connect(HostLinks{data_.get(), properties_.get(), time_.get(), ports_.get(), output_.get()});
  if (FAILED(time_->GetTimeBase(kTimeTicks, &timeBase_))) timeBase_ = HostTimeBase{};
  // No output ports only means no monitoring and no note preview.
  store_.RefreshPorts(true);
  return S_OK;
}

HRESULT MidiPluginBase::QueryDataInterfaces() {
  HRESULT hr = QueryHost(site_.get(), data_.put());
  if (SUCCEEDED(hr)) hr = QueryHost(site_.get(), properties_.put());
  if (SUCCEEDED(hr)) hr = QueryHost(site_.get(), time_.put());
  if (SUCCEEDED(hr)) hr = QueryHost(site_.get(), ports_.put());
  return hr;
}

HRESULT MidiPluginBase::AdviseSinks() {
  HRESULT hr = Advise(site_.get(), IID_HostNotifySink, notifySink_.get(), &notifyCookie_);
  if (SUCCEEDED(hr)) hr = Advise(site_.get(), IID_HostPositionSink, positionSink_.get(), &positionCookie_);
  return hr;
}

HRESULT MidiPluginBase::Disconnect() {
  store_.Disconnect();
  data_.Reset();
  properties_.Reset();
  ports_.Reset();
  time_.Reset();
  Unadvise(site_.get(), IID_HostNotifySink, &notifyCookie_);
  Unadvise(site_.get(), IID_HostPositionSink, &positionCookie_);
  output_.Reset();
  site_.Reset();
  return S_OK;
}
