#include "tests/shell/capturing_site.h"

#include <olectl.h>

namespace shelltest {

namespace {
constexpr DWORD kNotifyCookie = 11;
constexpr DWORD kPositionCookie = 12;
}  // namespace

ComPtr<CapturingSite> CapturingSite::Create(IUnknown* realSite) {
  return ComPtr<CapturingSite>::Adopt(new CapturingSite(realSite));
}

HRESULT CapturingSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *out = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
  }
  return real_->QueryInterface(iid, out);
}

ULONG CapturingSite::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT CapturingSite::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CapturingSite::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = IsEqualIID(iid, IID_HostNotifySink)     ? &notifyPoint_
         : IsEqualIID(iid, IID_HostPositionSink) ? &positionPoint_
                                                 : nullptr;
  if (!*out) return CONNECT_E_NOCONNECTION;
  AddRef();
  return S_OK;
}

HRESULT CapturingSite::Point::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
  *out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT CapturingSite::Point::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT CapturingSite::Point::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = &site_;
  site_.AddRef();
  return S_OK;
}

HRESULT CapturingSite::Point::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  HRESULT hr;
  if (IsEqualIID(iid_, IID_HostNotifySink)) {
    hr = KvQuery(sink, site_.notifySink.put());
    *cookie = kNotifyCookie;
  } else {
    hr = KvQuery(sink, site_.positionSink.put());
    *cookie = kPositionCookie;
  }
  if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
  ++site_.advised;
  return S_OK;
}

HRESULT CapturingSite::Point::Unadvise(DWORD cookie) {
  const bool notify = IsEqualIID(iid_, IID_HostNotifySink);
  if (cookie != (notify ? kNotifyCookie : kPositionCookie)) return CONNECT_E_NOCONNECTION;
  --site_.advised;
  if (!site_.keepSinks) {
    if (notify)
      site_.notifySink.Reset();
    else
      site_.positionSink.Reset();
  }
  return S_OK;
}

HRESULT CapturingSite::Point::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

}  // namespace shelltest
