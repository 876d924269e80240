#include "host/sink_probe.h"

#include <new>

namespace refhost {
namespace {

HRESULT FindPoint(IUnknown* site, REFIID iid, IConnectionPoint** point) {
  ComRef<IConnectionPointContainer> container;
  HRESULT hr = site->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
  if (FAILED(hr)) return hr;
  return container->FindConnectionPoint(iid, point);
}

}  // namespace

ComRef<SinkProbe> SinkProbe::Create() { return ComRef<SinkProbe>(new SinkProbe()); }

HRESULT SinkProbe::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_HostNotifySink))
    *out = static_cast<HostNotifySink*>(this);
  else if (IsEqualIID(iid, IID_HostPositionSink))
    *out = static_cast<HostPositionSink*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG SinkProbe::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT SinkProbe::OnNotify(const HostNotification* record) {
  records.push_back(*record);
  return onNotify ? onNotify(*record) : answer;
}

HRESULT SinkProbe::OnPositionChanged(DWORD a, DWORD b) {
  positions.emplace_back(a, b);
  return S_OK;
}

HRESULT SinkProbe::AdviseOn(IUnknown* site) {
  ComRef<IConnectionPoint> point;
  HRESULT hr = FindPoint(site, IID_HostNotifySink, point.put());
  if (SUCCEEDED(hr)) hr = point->Advise(static_cast<HostNotifySink*>(this), &notifyCookie);
  if (FAILED(hr)) return hr;
  hr = FindPoint(site, IID_HostPositionSink, point.put());
  if (SUCCEEDED(hr)) hr = point->Advise(static_cast<HostPositionSink*>(this), &positionCookie);
  return hr;
}

HRESULT SinkProbe::UnadviseFrom(IUnknown* site) {
  HRESULT result = S_OK;
  const auto drop = [&](REFIID iid, DWORD& cookie) {
    if (!cookie) return;
    ComRef<IConnectionPoint> point;
    HRESULT hr = FindPoint(site, iid, point.put());
    if (SUCCEEDED(hr)) hr = point->Unadvise(cookie);
    cookie = 0;
    if (SUCCEEDED(result)) result = hr;
  };
  drop(IID_HostNotifySink, notifyCookie);
  drop(IID_HostPositionSink, positionCookie);
  return result;
}

}  // namespace refhost
