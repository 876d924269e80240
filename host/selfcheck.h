// The reference host's self-check: a small song driven through every service
// of the host the way a plug-in drives it, with one printed line per check.
#pragma once

#include <string>

#include "host/com_ref.h"
#include "host/ref_host.h"
#include "host/sink_probe.h"

namespace refhost {

class Checklist {
 public:
  void Section(const char* title);
  bool Check(bool ok, const std::string& what);
  int Failures() const { return failures_; }
  int Total() const { return total_; }

 private:
  int failures_ = 0;
  int total_ = 0;
};

// What a connected plug-in holds.
struct SelfCheckSession {
  RefHost host;
  ComRef<SinkProbe> probe = SinkProbe::Create();
  ComRef<HostMidiData> data;
  ComRef<HostPropertySet> properties;
  ComRef<HostTimeConverter> time;
  ComRef<HostPortList> ports;
  ItemPath piano{}, bass{}, pianoBlock{}, bassBlock{};
};

void BuildSong(SelfCheckSession& s);
void CheckConnect(SelfCheckSession& s, Checklist& list);
void CheckEnumeration(SelfCheckSession& s, Checklist& list);
void CheckEditUndoRedo(SelfCheckSession& s, Checklist& list);
void CheckProperties(SelfCheckSession& s, Checklist& list);
void CheckTimeConversion(SelfCheckSession& s, Checklist& list);
void CheckPorts(SelfCheckSession& s, Checklist& list);
void CheckDisconnect(SelfCheckSession& s, Checklist& list);

}  // namespace refhost
