// HostPropertySet of the site: transport bits, loop region, position, time
// signature and project pitch offset. Sizes must match exactly; an unknown
// property set answers E_FAIL.
#pragma once

#include "host/site_part.h"
#include "mididata/host_interfaces.h"

namespace refhost {

class SiteProperties final : public SitePart<HostPropertySet> {
 public:
  using SitePart::SitePart;

  HRESULT STDMETHODCALLTYPE Reserved3() override;
  HRESULT STDMETHODCALLTYPE Reserved4() override;
  HRESULT STDMETHODCALLTYPE GetProperty(REFGUID set, DWORD a, DWORD b, DWORD c, DWORD size, void* out) override;
  HRESULT STDMETHODCALLTYPE SetProperty(REFGUID set, DWORD a, DWORD b, DWORD size, const void* in) override;

 private:
  HRESULT Unimplemented(const char* method);
};

}  // namespace refhost
