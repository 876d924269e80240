// HostPortList of the site: a task-allocated table of port records with
// task-allocated names (null for unnamed ports).
#pragma once

#include "host/site_part.h"
#include "mididata/host_interfaces.h"

namespace refhost {

class SitePorts final : public SitePart<HostPortList> {
 public:
  using SitePart::SitePart;

  // An empty list answers S_FALSE with count 0 and a null table.
  HRESULT STDMETHODCALLTYPE GetPorts(LONG output, DWORD* count, HostPortRecord** table) override;
};

}  // namespace refhost
