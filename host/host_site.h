// The site object handed to the plug-in's Connect: one COM identity serving
// HostMidiData, HostPropertySet, HostTimeConverter, HostPortList and
// IConnectionPointContainer (connection points for HostNotifySink and
// HostPositionSink). Every QueryInterface is logged and can be failed.
#pragma once

#include <ocidl.h>

#include "host/host_state.h"

namespace refhost {

HRESULT CreateHostSite(const HostLinkRef& link, REFIID iid, void** out);

}  // namespace refhost
