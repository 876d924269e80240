#include "host/host_call.h"

namespace refhost {

HostCall::HostCall(HostState& state, CallEntry entry, bool needsBracket) : state_(state) {
  // Rules match the plain text, whatever the bracket state.
  if (const auto hr = state.faults.Check(entry.method, entry.text)) {
    injected_ = *hr;
    entry.injected = true;
    entry.result = *hr;
  }
  if (needsBracket && state.history.Depth() == 0) {
    entry.unbracketed = true;
    entry.text += " [unbracketed]";
  }
  generation_ = state.log.Generation();
  index_ = state.log.Append(std::move(entry));
}

CallEntry& HostCall::entry() {
  // A test may clear the log while the call runs (from inside a sink).
  if (state_.log.Generation() != generation_) return scratch_;
  return state_.log.At(index_);
}

HRESULT HostCall::Return(HRESULT hr) {
  entry().result = hr;
  return hr;
}

}  // namespace refhost
