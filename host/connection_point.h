// A connection point of the site for one sink interface (HostNotifySink or
// HostPositionSink). Its lifetime is the site's, as with ATL's connection points:
// a plug-in that keeps a connection point keeps the site alive.
#pragma once

#include <ocidl.h>

#include "host/host_state.h"

namespace refhost {

class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(IConnectionPointContainer& container, const HostLinkRef& link, const IID& sinkIid)
      : container_(container), link_(link), sinkIid_(sinkIid) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

 private:
  IConnectionPointContainer& container_;
  const HostLinkRef& link_;
  const IID sinkIid_;
};

}  // namespace refhost
