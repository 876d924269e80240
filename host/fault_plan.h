// Fault injection: chosen host calls fail with a chosen code before they do
// anything, except that a failed EndEdit still closes its bracket without an
// undo step (its caller has no other way to close it). Rules count the calls
// they match from the moment they are added.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace refhost {

class FaultPlan {
 public:
  // The nth call into the host from now on (1-based), whatever its method.
  void FailNth(int nth, HRESULT hr);
  // Calls whose method name or compact text equals match ("InsertItem",
  // "QueryInterface(HostPortList)"): only the nth one (1-based), or every one for 0.
  void FailCall(std::string match, HRESULT hr, int nth = 0);
  void Clear() { rules_.clear(); }

  // Counts one call; the result to fail it with, if a rule says so.
  std::optional<HRESULT> Check(const std::string& method, const std::string& text);

 private:
  struct Rule {
    std::string match;  // empty: any call
    int nth;
    int seen;
    HRESULT hr;
  };
  std::vector<Rule> rules_;
};

}  // namespace refhost
