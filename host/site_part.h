// Base of the interfaces the site object serves: each is implemented by its own
// class, but identity and lifetime are the site's, so QueryInterface, AddRef
// and Release go to the site.
#pragma once

#include <unknwn.h>

#include "host/host_state.h"

namespace refhost {

template <class Interface> class SitePart : public Interface {
 public:
  SitePart(IUnknown& site, const HostLinkRef& link) : site_(site), link_(link) {}
  SitePart(const SitePart&) = delete;
  SitePart& operator=(const SitePart&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return site_.QueryInterface(iid, out); }
  ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }

 protected:
  // Null once the host has gone away.
  HostState* State() const { return link_->state; }

  IUnknown& site_;
  const HostLinkRef& link_;
};

}  // namespace refhost
