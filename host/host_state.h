// Everything the reference host knows, shared by its COM objects and by the
// RefHost front end: the project, the transport, the ports, the edit history,
// the sinks and the test instruments.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/call_log.h"
#include "host/edit_history.h"
#include "host/fault_plan.h"
#include "host/host_types.h"
#include "host/notification_hub.h"
#include "host/song.h"
#include "host/song_editor.h"
#include "host/time_map.h"

namespace refhost {

struct HostState final : ChangeListener {
  Song song;
  TimeMap time;
  IdCounters ids;
  std::optional<uint32_t> reportedTicksPerQuarter;  // GetTimeBase's answer; none: the project's own
  int32_t pitchOffset = 0;
  uint32_t transportBits = 0;
  int64_t loopStart = 0, loopEnd = 0;
  int64_t position = 0;
  std::vector<PortSpec> outputPorts, inputPorts;
  EditHistory history;
  NotificationHub hub;
  CallLog log;
  FaultPlan faults;
  std::vector<SentEvent> sent;
  // Also told of every event the output service is sent (an application
  // plays them); it keeps only the last few when this is set.
  std::function<void(const SentEvent&)> outputListener;

  SongEditor Editor() { return SongEditor(song, time, ids, *this); }
  void BeginBracket(bool undoable, const wchar_t* label) { history.Begin(undoable, label); }
  // Closes the innermost bracket; at the outermost, waiting notifications go out.
  bool EndBracket(bool commit);
  HRESULT Undo();
  HRESULT Redo();

  // Host-side changes of the transport, reported as the host reports them.
  void SetTransportBits(uint32_t bits);  // a change of loop on/off: LoopModeChanged
  void SetLoop(int64_t start, int64_t end);  // LoopChanged
  void SetPosition(int64_t ticks);           // the position sinks
  void SetPorts(bool output, std::vector<PortSpec> ports);  // PortsChanged

  // Task-allocated blocks for the receiver to free, accounted to this host.
  void* HandOut(size_t bytes, std::string description);
  wchar_t* HandOutString(const std::wstring& text, std::string description);

  void OnApplied(const EditOp& op) override { history.Record(op); }
  void OnReport(const HostNotification& record) override { hub.Report(record, history.Depth() > 0); }
};

// The COM objects reach the state through this link; the front end clears it
// when it goes away so that late calls fail cleanly instead of touching freed memory.
struct HostLink {
  HostState* state = nullptr;
};
using HostLinkRef = std::shared_ptr<HostLink>;

}  // namespace refhost
