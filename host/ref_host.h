// The reference host: an in-process host music application for the plug-in.
// It owns a project of tracks, blocks and events, serves the site object and
// the MIDI output service that the plug-in's Connect receives, keeps an undo
// history, notifies advised sinks, and records every call the plug-in makes.
//
//   refhost::RefHost host;
//   ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
//   ItemPath block = host.AddBlock(track, {.start = 0, .end = 3840});
//   ItemPath note = host.AddEvent(block, refhost::Note(0, 480, 60));
//   plugin->Connect(host.site(), host.output(), 1, 0, &caps);
//   ... drive the plug-in ...
//   EXPECT_EQ(host.Log().Texts(refhost::CallFilter::Edits), expected);
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/call_log.h"
#include "host/com_ref.h"
#include "host/event_factory.h"
#include "host/fault_plan.h"
#include "host/host_types.h"
#include "host/notification_hub.h"
#include "host/song.h"
#include "host/time_map.h"

namespace refhost {

struct HostState;
struct HostLink;

class RefHost {
 public:
  RefHost();
  ~RefHost();
  RefHost(const RefHost&) = delete;
  RefHost& operator=(const RefHost&) = delete;

  // What the plug-in's Connect receives; the host keeps both alive. The output
  // object is a HostMidiOutput.
  IUnknown* site() const { return site_.get(); }
  IUnknown* output() const { return output_.get(); }

  // --- Building the project. Silent: nothing is reported and the undo history
  // is forgotten. Return the new item's path (ids 0 when refused).
  ItemPath AddTrack(const TrackSpec& setup = {});
  ItemPath AddBlock(const ItemPath& track, const BlockSpec& setup);
  // A zero block id files the event as InsertItem does. Long events take their
  // length from the payload.
  ItemPath AddEvent(const ItemPath& block, const MidiEvent& record, std::vector<uint8_t> payload = {});
  void SetTempo(uint32_t microsecondsPerQuarter);  // 1 to kMaxMicrosecondsPerQuarter
  void SetTicksPerQuarter(uint32_t ticks);         // the project's resolution, non-zero
  // What GetTimeBase reports for format 2; 0 simulates a host that has not
  // given it, none reports the project's resolution (the default).
  void SetReportedTicksPerQuarter(std::optional<uint32_t> ticks);
  void SetMeter(uint32_t beatsPerMeasure, uint32_t beatUnitCode);
  void SetPitchOffset(int32_t semitones);

  // --- Reading the project.
  const Song& song() const;
  // Every event of a track over all its blocks, in time order.
  std::vector<EventView> Events(uint32_t trackId) const;
  std::optional<EventView> Event(const ItemPath& path) const;
  const SongTrack* Track(uint32_t trackId) const;
  const SongBlock* Block(const ItemPath& path) const;
  const TimeMap& Time() const;
  int32_t PitchOffset() const;

  // --- The host's own user editing elsewhere: reported to the sinks like the
  // plug-in's edits and undoable. Each call is one step unless made between
  // BeginUserEdit and EndUserEdit, which make one step under their label.
  void BeginUserEdit(const std::wstring& label);
  HRESULT EndUserEdit(bool commit = true);
  ItemPath InsertEvent(const ItemPath& block, const MidiEvent& record, std::vector<uint8_t> payload = {});
  HRESULT ChangeEvent(const ItemPath& path, const MidiEvent& record, std::vector<uint8_t> payload = {});
  // Moves an event to another block, of the same or another track.
  ItemPath MoveEvent(const ItemPath& path, const ItemPath& toBlock);
  HRESULT DeleteEvent(const ItemPath& path);
  ItemPath InsertTrack(const TrackSpec& setup);
  HRESULT ChangeTrack(const ItemPath& track, const TrackSpec& setup);
  HRESULT DeleteTrack(const ItemPath& track);
  ItemPath InsertBlock(const ItemPath& track, const BlockSpec& setup);
  HRESULT DeleteBlock(const ItemPath& block);
  // Reports that everything at a level changed, e.g. after rebuilding with Add*.
  void ReportReset(int32_t level = kLevelTrack);

  // The Edit menu's Undo and Redo: S_FALSE when there is nothing to do,
  // E_UNEXPECTED while a bracket is open. Changes are reported like any other.
  HRESULT Undo();
  HRESULT Redo();
  std::vector<std::wstring> UndoLabels() const;  // oldest first
  std::vector<std::wstring> RedoLabels() const;  // next to redo last

  // --- Transport, loop, position and ports, changed by the host's user.
  // A loop change reports NOTIFY_LoopChanged, a loop on/off change
  // NOTIFY_LoopModeChanged, a port change NOTIFY_PortsChanged; a position
  // change calls OnPositionChanged with the low and high words of the new tick.
  // The plug-in's SetProperty has the same effects.
  void SetPlaying(bool playing);
  void SetLoopOn(bool on);
  void SetLoop(int64_t start, int64_t end);
  void SetPosition(int64_t ticks);
  uint32_t TransportBits() const;
  HostLoopProperty Loop() const;
  int64_t Position() const;
  void SetOutputPorts(std::vector<PortSpec> ports);
  void SetInputPorts(std::vector<PortSpec> ports);

  // --- Notifications.
  void SetDelivery(Delivery mode);
  // Sends any record to every notification sink now; their answers.
  std::vector<HRESULT> SendNotification(const HostNotification& record);
  // Everything delivered to the sinks (and reported while none was advised).
  const std::vector<SinkCall>& Deliveries() const;
  std::vector<std::string> DeliveryTexts() const;
  void ClearDeliveries();
  size_t PendingNotifications() const;
  size_t AdvisedSinks() const;
  // The plug-in's advised sinks, for a test that reports from another thread
  // (the host itself is not to be touched from there).
  std::vector<ComRef<HostNotifySink>> NotifySinks() const;
  std::vector<ComRef<HostPositionSink>> PositionSinks() const;

  // --- Instruments.
  CallLog& Log();
  const CallLog& Log() const;
  FaultPlan& Faults();
  const std::vector<SentEvent>& SentEvents() const;
  void ClearSentEvents();
  // Called with every event the output service is sent, after it is recorded.
  void SetOutputListener(std::function<void(const SentEvent&)> listener);
  int OpenBrackets() const;
  size_t OutstandingBlocks() const;
  LeakReport Leaks() const;

 private:
  template <class Edit> auto AsUserEdit(Edit&& edit);

  std::unique_ptr<HostState> state_;
  std::shared_ptr<HostLink> link_;
  ComRef<IUnknown> site_;
  ComRef<IUnknown> output_;
  int userDepth_ = 0;
};

}  // namespace refhost
