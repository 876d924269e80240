#include "host/fault_plan.h"

namespace refhost {

void FaultPlan::FailNth(int nth, HRESULT hr) { rules_.push_back({std::string(), nth, 0, hr}); }

void FaultPlan::FailCall(std::string match, HRESULT hr, int nth) { rules_.push_back({std::move(match), nth, 0, hr}); }

std::optional<HRESULT> FaultPlan::Check(const std::string& method, const std::string& text) {
  std::optional<HRESULT> result;
  for (Rule& r : rules_) {
    if (!r.match.empty() && r.match != method && r.match != text) continue;
    ++r.seen;
    if (!result && (r.nth == 0 || r.seen == r.nth)) result = r.hr;
  }
  return result;
}

}  // namespace refhost
