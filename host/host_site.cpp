#include "host/host_site.h"

#include <olectl.h>

#include <new>

#include "host/connection_point.h"
#include "host/host_call.h"
#include "host/host_text.h"
#include "host/site_midi_data.h"
#include "host/site_ports.h"
#include "host/site_properties.h"
#include "host/site_time.h"

namespace refhost {
namespace {

class HostSite final : public IConnectionPointContainer {
 public:
  explicit HostSite(const HostLinkRef& link)
      : link_(link),
        midiData_(*this, link_),
        properties_(*this, link_),
        time_(*this, link_),
        ports_(*this, link_),
        notifyPoint_(*this, link_, IID_HostNotifySink),
        positionPoint_(*this, link_, IID_HostPositionSink) {}
  HostSite(const HostSite&) = delete;
  HostSite& operator=(const HostSite&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

 private:
  ~HostSite() = default;
  void* Find(REFIID iid);

  ULONG refs_ = 1;
  HostLinkRef link_;
  SiteMidiData midiData_;
  SiteProperties properties_;
  SiteTime time_;
  SitePorts ports_;
  ConnectionPoint notifyPoint_;
  ConnectionPoint positionPoint_;
};

void* HostSite::Find(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPointContainer))
    return static_cast<IConnectionPointContainer*>(this);
  if (IsEqualIID(iid, IID_HostMidiData)) return static_cast<HostMidiData*>(&midiData_);
  if (IsEqualIID(iid, IID_HostPropertySet)) return static_cast<HostPropertySet*>(&properties_);
  if (IsEqualIID(iid, IID_HostTimeConverter)) return static_cast<HostTimeConverter*>(&time_);
  if (IsEqualIID(iid, IID_HostPortList)) return static_cast<HostPortList*>(&ports_);
  return nullptr;
}

HRESULT HostSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  HostState* s = link_->state;
  if (!s) {
    // The host is gone: the interfaces still exist but every call fails.
    if (void* p = Find(iid)) {
      *out = p;
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  HostCall call(*s, MakeCall("QueryInterface", "QueryInterface(" + GuidName(iid) + ")"));
  if (call.Failed()) return call.Injected();
  void* p = Find(iid);
  if (!p) return call.Return(E_NOINTERFACE);
  *out = p;
  AddRef();
  return call.Return(S_OK);
}

HRESULT HostSite::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("EnumConnectionPoints", "EnumConnectionPoints()"));
  return call.Failed() ? call.Injected() : call.Return(E_NOTIMPL);
}

HRESULT HostSite::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("FindConnectionPoint", "FindConnectionPoint(" + GuidName(iid) + ")"));
  if (call.Failed()) return call.Injected();
  if (!out) return call.Return(E_POINTER);
  *out = nullptr;
  ConnectionPoint* point = IsEqualIID(iid, IID_HostNotifySink)     ? &notifyPoint_
                           : IsEqualIID(iid, IID_HostPositionSink) ? &positionPoint_
                                                                   : nullptr;
  if (!point) return call.Return(CONNECT_E_NOCONNECTION);
  point->AddRef();
  *out = point;
  return call.Return(S_OK);
}

}  // namespace

HRESULT CreateHostSite(const HostLinkRef& link, REFIID iid, void** out) {
  auto* site = new (std::nothrow) HostSite(link);
  if (!site) return E_OUTOFMEMORY;
  const HRESULT hr = site->QueryInterface(iid, out);
  site->Release();
  return hr;
}

}  // namespace refhost
