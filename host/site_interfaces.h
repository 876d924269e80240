// The four data interfaces of the reference host's site, taken as the
// plug-in takes them at Connect, for programs that drive an event store
// directly (benchmarks, screenshots).
#pragma once

#include "host/com_ref.h"
#include "host/ref_host.h"
#include "mididata/host_links.h"

namespace refhost {

struct SiteInterfaces {
  ComRef<HostMidiData> data;
  ComRef<HostPropertySet> properties;
  ComRef<HostTimeConverter> time;
  ComRef<HostPortList> ports;

  // Links for an event store; output may be null (no preview).
  HostLinks Links(IUnknown* output = nullptr) const {
    return HostLinks{data.get(), properties.get(), time.get(), ports.get(), static_cast<HostMidiOutput*>(output)};
  }
};

inline SiteInterfaces QuerySiteInterfaces(const RefHost& host) {
  SiteInterfaces s;
  KvQuery(host.site(), s.data.put());
  KvQuery(host.site(), s.properties.put());
  KvQuery(host.site(), s.time.put());
  KvQuery(host.site(), s.ports.put());
  return s;
}

}  // namespace refhost
