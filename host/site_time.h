// HostTimeConverter of the site: ticks and 100 ns units at the project tempo,
// measure/beat/tick, and the time base the host reports.
#pragma once

#include "host/site_part.h"
#include "mididata/host_interfaces.h"

namespace refhost {

class SiteTime final : public SitePart<HostTimeConverter> {
 public:
  using SitePart::SitePart;

  HRESULT STDMETHODCALLTYPE Convert(DWORD timeLow, LONG timeHigh, DWORD fromFormat, DWORD reserved, LONGLONG* result,
                                    DWORD toFormat, DWORD reserved2) override;
  HRESULT STDMETHODCALLTYPE ToMeasureBeatTick(DWORD timeLow, LONG timeHigh, DWORD format, DWORD reserved,
                                              LONG* measure, LONG* beat, LONG* tick) override;
  HRESULT STDMETHODCALLTYPE Reserved5() override;
  HRESULT STDMETHODCALLTYPE GetTimeBase(DWORD format, HostTimeBase* out) override;
};

}  // namespace refhost
