// The host interfaces the event store works through. The plug-in object owns
// the references (taken at Connect); the store only borrows them.
#pragma once

#include "mididata/host_interfaces.h"

struct HostLinks {
  HostMidiData* data = nullptr;
  HostPropertySet* properties = nullptr;
  HostTimeConverter* time = nullptr;
  HostPortList* ports = nullptr;
  HostMidiOutput* output = nullptr;  // may be null: no monitoring, no preview
};
