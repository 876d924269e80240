// RefHost: what the host's own user does while the plug-in runs (edits made
// elsewhere, undo and redo, transport, loop, position, ports) and the delivery
// of notifications.
#include <algorithm>
#include <utility>

#include "host/host_state.h"
#include "host/notices.h"
#include "host/ref_host.h"
#include "host/new_items.h"

namespace refhost {

// One host-side change inside its own bracket: one undo step, or part of the
// step of an open BeginUserEdit; notifications go out as for the plug-in's edits.
template <class Edit> auto RefHost::AsUserEdit(Edit&& edit) {
  state_->BeginBracket(true, L"");
  SongEditor editor = state_->Editor();
  auto result = edit(editor);
  state_->EndBracket(true);
  return result;
}

void RefHost::BeginUserEdit(const std::wstring& label) {
  state_->BeginBracket(true, label.c_str());
  ++userDepth_;
}

HRESULT RefHost::EndUserEdit(bool commit) {
  if (userDepth_ == 0) return E_UNEXPECTED;
  --userDepth_;
  return state_->EndBracket(commit) ? S_OK : E_UNEXPECTED;
}

ItemPath RefHost::InsertEvent(const ItemPath& block, const MidiEvent& record, std::vector<uint8_t> payload) {
  return AsUserEdit([&](SongEditor& editor) {
    ItemPath path{block.trackId, block.blockId, 0};
    return SUCCEEDED(editor.InsertEvent(&path, MakeEvent(record, std::move(payload)))) ? path : ItemPath{};
  });
}

HRESULT RefHost::ChangeEvent(const ItemPath& path, const MidiEvent& record, std::vector<uint8_t> payload) {
  return AsUserEdit([&](SongEditor& editor) {
    return editor.ReplaceEvent(path, MakeEvent(record, std::move(payload)), nullptr);
  });
}

ItemPath RefHost::MoveEvent(const ItemPath& path, const ItemPath& toBlock) {
  return AsUserEdit([&](SongEditor& editor) {
    ItemPath moved{};
    return SUCCEEDED(editor.MoveEvent(path, toBlock.trackId, toBlock.blockId, &moved)) ? moved : ItemPath{};
  });
}

HRESULT RefHost::DeleteEvent(const ItemPath& path) {
  return AsUserEdit([&](SongEditor& editor) { return editor.DeleteEvent(path); });
}

ItemPath RefHost::InsertTrack(const TrackSpec& setup) {
  return AsUserEdit([&](SongEditor& editor) {
    ItemPath path{};
    const auto order = static_cast<int32_t>(state_->song.tracks.size());
    return SUCCEEDED(editor.InsertTrack(MakeTrack(setup, order), &path)) ? path : ItemPath{};
  });
}

HRESULT RefHost::ChangeTrack(const ItemPath& track, const TrackSpec& setup) {
  const auto index = state_->song.TrackIndex(track.trackId);
  if (!index) return E_INVALIDARG;
  const SongTrack& current = state_->song.tracks[*index];
  SongTrack header = MakeTrack(setup, current.info.orderKey);
  header.id = track.trackId;
  // Host fields other than the solo flag stay as they are.
  std::copy(std::begin(current.info.hostFields), std::end(current.info.hostFields), header.info.hostFields);
  SetTrackFlags(&header.info, (TrackFlags(current.info) & ~kTrackSolo) | (setup.solo ? kTrackSolo : 0));
  return AsUserEdit([&](SongEditor& editor) { return editor.ChangeTrack(std::move(header)); });
}

HRESULT RefHost::DeleteTrack(const ItemPath& track) {
  return AsUserEdit([&](SongEditor& editor) { return editor.DeleteTrack(track.trackId); });
}

ItemPath RefHost::InsertBlock(const ItemPath& track, const BlockSpec& setup) {
  return AsUserEdit([&](SongEditor& editor) {
    ItemPath path{};
    return SUCCEEDED(editor.InsertBlock(track.trackId, MakeBlock(setup), &path)) ? path : ItemPath{};
  });
}

HRESULT RefHost::DeleteBlock(const ItemPath& block) {
  return AsUserEdit([&](SongEditor& editor) { return editor.DeleteBlock(block.trackId, block.blockId); });
}

void RefHost::ReportReset(int32_t level) {
  state_->hub.Report(DataNotice(kChangeReset, level, {}, {}), state_->history.Depth() > 0);
}

HRESULT RefHost::Undo() { return state_->Undo(); }

HRESULT RefHost::Redo() { return state_->Redo(); }

std::vector<std::wstring> RefHost::UndoLabels() const {
  std::vector<std::wstring> out;
  for (const UndoStep& step : state_->history.UndoSteps()) out.push_back(step.label);
  return out;
}

std::vector<std::wstring> RefHost::RedoLabels() const {
  std::vector<std::wstring> out;
  for (const UndoStep& step : state_->history.RedoSteps()) out.push_back(step.label);
  return out;
}

void RefHost::SetPlaying(bool playing) {
  const uint32_t bits = state_->transportBits;
  state_->SetTransportBits(playing ? bits | kTransportPlaying : bits & ~kTransportPlaying);
}

void RefHost::SetLoopOn(bool on) {
  const uint32_t bits = state_->transportBits;
  state_->SetTransportBits(on ? bits | kTransportLoopOn : bits & ~kTransportLoopOn);
}

void RefHost::SetLoop(int64_t start, int64_t end) { state_->SetLoop(start, end); }

void RefHost::SetPosition(int64_t ticks) { state_->SetPosition(ticks); }

uint32_t RefHost::TransportBits() const { return state_->transportBits; }

HostLoopProperty RefHost::Loop() const { return {state_->loopStart, state_->loopEnd, kTimeTicks, 0}; }

int64_t RefHost::Position() const { return state_->position; }

void RefHost::SetOutputPorts(std::vector<PortSpec> ports) { state_->SetPorts(true, std::move(ports)); }

void RefHost::SetInputPorts(std::vector<PortSpec> ports) { state_->SetPorts(false, std::move(ports)); }

void RefHost::SetDelivery(Delivery mode) { state_->hub.SetDelivery(mode); }

std::vector<HRESULT> RefHost::SendNotification(const HostNotification& record) { return state_->hub.Deliver(record); }

const std::vector<SinkCall>& RefHost::Deliveries() const { return state_->hub.Log(); }

std::vector<std::string> RefHost::DeliveryTexts() const {
  std::vector<std::string> out;
  for (const SinkCall& call : state_->hub.Log()) out.push_back(call.Text());
  return out;
}

void RefHost::ClearDeliveries() { state_->hub.ClearLog(); }

size_t RefHost::PendingNotifications() const { return state_->hub.Pending(); }

size_t RefHost::AdvisedSinks() const { return state_->hub.AdvisedCount(); }
std::vector<ComRef<HostNotifySink>> RefHost::NotifySinks() const { return state_->hub.NotifySinks(); }
std::vector<ComRef<HostPositionSink>> RefHost::PositionSinks() const { return state_->hub.PositionSinks(); }

}  // namespace refhost
