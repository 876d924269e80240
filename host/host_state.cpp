#include "host/host_state.h"

#include <cstring>

#include "host/block_accounting.h"
#include "host/notices.h"
#include "mididata/host_interfaces.h"

namespace refhost {

bool HostState::EndBracket(bool commit) {
  const bool closed = history.End(commit);
  if (history.Depth() == 0) hub.Flush();
  return closed;
}

HRESULT HostState::Undo() {
  if (history.Depth() > 0) return E_UNEXPECTED;
  BeginBracket(false, nullptr);
  SongEditor editor = Editor();
  const HRESULT hr = history.Undo(editor);
  EndBracket(true);
  return hr;
}

HRESULT HostState::Redo() {
  if (history.Depth() > 0) return E_UNEXPECTED;
  BeginBracket(false, nullptr);
  SongEditor editor = Editor();
  const HRESULT hr = history.Redo(editor);
  EndBracket(true);
  return hr;
}

void HostState::SetTransportBits(uint32_t bits) {
  const bool loopToggled = ((bits ^ transportBits) & kTransportLoopOn) != 0;
  transportBits = bits;
  if (loopToggled) hub.Report(KindNotice(NOTIFY_LoopModeChanged), history.Depth() > 0);
}

void HostState::SetLoop(int64_t start, int64_t end) {
  if (start == loopStart && end == loopEnd) return;
  loopStart = start;
  loopEnd = end;
  hub.Report(KindNotice(NOTIFY_LoopChanged), history.Depth() > 0);
}

void HostState::SetPosition(int64_t ticks) {
  if (ticks == position) return;
  position = ticks;
  const uint64_t bits = static_cast<uint64_t>(ticks);
  hub.PositionChanged(static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32));
}

void HostState::SetPorts(bool output, std::vector<PortSpec> ports) {
  (output ? outputPorts : inputPorts) = std::move(ports);
  hub.Report(KindNotice(NOTIFY_PortsChanged), history.Depth() > 0);
}

void* HostState::HandOut(size_t bytes, std::string description) {
  return BlockAccounting::Instance().HandOut(bytes, this, std::move(description));
}

wchar_t* HostState::HandOutString(const std::wstring& text, std::string description) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* out = static_cast<wchar_t*>(HandOut(bytes, std::move(description)));
  if (out) std::memcpy(out, text.c_str(), bytes);
  return out;
}

}  // namespace refhost
