#include "host/host_types.h"

namespace refhost {

bool LeakReport::Clean() const {
  return accountingAvailable && blocks.empty() && siteReferences == 0 && outputReferences == 0 &&
         advisedSinks == 0 && openBrackets == 0;
}

std::string LeakReport::Describe() const {
  std::string out;
  if (!accountingAvailable) out += "block accounting unavailable: another allocator spy is registered\n";
  for (const std::string& b : blocks) out += "not freed: " + b + "\n";
  if (siteReferences) out += std::to_string(siteReferences) + " reference(s) still held on the site\n";
  if (outputReferences) out += std::to_string(outputReferences) + " reference(s) still held on the MIDI output\n";
  if (advisedSinks) out += std::to_string(advisedSinks) + " sink(s) still advised\n";
  if (openBrackets) out += std::to_string(openBrackets) + " edit bracket(s) still open\n";
  return out;
}

}  // namespace refhost
