#include "host/site_ports.h"

#include "host/host_call.h"

namespace refhost {

HRESULT SitePorts::GetPorts(LONG output, DWORD* count, HostPortRecord** table) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("GetPorts", "GetPorts(" + std::to_string(output) + ")"));
  if (call.Failed()) return call.Injected();
  if (!count || !table) return call.Return(E_POINTER);
  *count = 0;
  *table = nullptr;
  const std::vector<PortSpec>& ports = output ? s->outputPorts : s->inputPorts;
  if (ports.empty()) return call.Return(S_FALSE);
  const char* side = output ? "output" : "input";
  auto* records = static_cast<HostPortRecord*>(
      s->HandOut(ports.size() * sizeof(HostPortRecord), std::string(side) + " port table (GetPorts)"));
  if (!records) return call.Return(E_OUTOFMEMORY);
  for (size_t i = 0; i < ports.size(); ++i) {
    records[i] = HostPortRecord{ports[i].id, ports[i].guid, nullptr};
    if (!ports[i].name) continue;
    records[i].name = s->HandOutString(*ports[i].name, std::string("name of ") + side + " port " +
                                                           std::to_string(ports[i].id) + " (GetPorts)");
    if (!records[i].name) {
      for (size_t j = 0; j < i; ++j) CoTaskMemFree(records[j].name);
      CoTaskMemFree(records);
      return call.Return(E_OUTOFMEMORY);
    }
  }
  *count = static_cast<DWORD>(ports.size());
  *table = records;
  return call.Return(S_OK);
}

}  // namespace refhost
