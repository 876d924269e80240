// The host's MIDI output service: records every event it is sent. Handed to the
// plug-in as IUnknown; the plug-in calls it through HostMidiOutput.
#pragma once

#include "host/host_state.h"

namespace refhost {

HRESULT CreateMidiOutput(const HostLinkRef& link, REFIID iid, void** out);

}  // namespace refhost
