// One call from the plug-in into the host: logged when it starts (so nested
// calls made from inside a sink keep their order), checked against the fault
// plan, and given its result when it returns.
#pragma once

#include <optional>

#include "host/call_log.h"
#include "host/host_state.h"

namespace refhost {

class HostCall {
 public:
  // needsBracket: a HostMidiData call that belongs inside BeginEdit/EndEdit.
  HostCall(HostState& state, CallEntry entry, bool needsBracket = false);
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;

  // The fault plan chose this call's result: return Injected() without doing anything.
  bool Failed() const { return injected_.has_value(); }
  HRESULT Injected() const { return injected_.value_or(S_OK); }
  HRESULT Return(HRESULT hr);
  CallEntry& entry();

 private:
  HostState& state_;
  size_t index_ = 0;
  uint64_t generation_ = 0;
  std::optional<HRESULT> injected_;
  CallEntry scratch_;
};

}  // namespace refhost
