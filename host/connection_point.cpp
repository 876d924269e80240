#include "host/connection_point.h"

#include <olectl.h>

#include "host/host_call.h"
#include "host/host_text.h"

namespace refhost {
namespace {

CallEntry Entry(const char* method, const std::string& args) {
  CallEntry e;
  e.method = method;
  e.text = std::string(method) + "(" + args + ")";
  return e;
}

}  // namespace

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = sinkIid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("Advise", GuidName(sinkIid_)));
  if (call.Failed()) return call.Injected();
  if (!sink || !cookie) return call.Return(E_POINTER);
  *cookie = 0;
  if (IsEqualIID(sinkIid_, IID_HostNotifySink)) {
    ComRef<HostNotifySink> typed;
    if (FAILED(KvQuery(sink, typed.put()))) return call.Return(CONNECT_E_CANNOTCONNECT);
    *cookie = s->hub.AdviseNotify(std::move(typed));
  } else {
    ComRef<HostPositionSink> typed;
    if (FAILED(KvQuery(sink, typed.put()))) return call.Return(CONNECT_E_CANNOTCONNECT);
    *cookie = s->hub.AdvisePosition(std::move(typed));
  }
  call.entry().mask = *cookie;
  return call.Return(S_OK);
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("Unadvise", GuidName(sinkIid_) + "," + std::to_string(cookie)));
  if (call.Failed()) return call.Injected();
  call.entry().mask = cookie;
  const bool removed = IsEqualIID(sinkIid_, IID_HostNotifySink) ? s->hub.UnadviseNotify(cookie)
                                                                 : s->hub.UnadvisePosition(cookie);
  return call.Return(removed ? S_OK : CONNECT_E_NOCONNECTION);
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  HostState* s = link_->state;
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("EnumConnections", GuidName(sinkIid_)));
  if (call.Failed()) return call.Injected();
  return call.Return(E_NOTIMPL);
}

}  // namespace refhost
