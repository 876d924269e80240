#include "host/ref_host.h"

#include <algorithm>
#include <new>

#include "host/block_accounting.h"
#include "host/host_site.h"
#include "host/host_state.h"
#include "host/midi_output.h"
#include "host/new_items.h"

namespace refhost {
namespace {

// Building the project reports nothing and journals nothing.
class SilentListener final : public ChangeListener {
 public:
  void OnApplied(const EditOp&) override {}
  void OnReport(const HostNotification&) override {}
};

SilentListener silent;  // stateless

// References held by others: one AddRef/Release pair tells the count.
unsigned long ForeignReferences(IUnknown* object) {
  const ULONG withProbe = object->AddRef();
  object->Release();
  return withProbe - 2;  // the probe and the host's own reference
}

}  // namespace

RefHost::RefHost() : state_(std::make_unique<HostState>()), link_(std::make_shared<HostLink>()) {
  BlockAccounting::Instance();
  // Created before the link is set, so that their own queries stay out of the
  // call log. Both can only fail for want of memory, as make_unique above can.
  if (FAILED(CreateHostSite(link_, IID_IUnknown, reinterpret_cast<void**>(site_.put()))) ||
      FAILED(CreateMidiOutput(link_, IID_IUnknown, reinterpret_cast<void**>(output_.put()))))
    throw std::bad_alloc();
  link_->state = state_.get();
}

RefHost::~RefHost() {
  state_->hub.ReleaseSinks();
  link_->state = nullptr;
  BlockAccounting::Instance().Forget(state_.get());
}

ItemPath RefHost::AddTrack(const TrackSpec& setup) {
  state_->history.Forget();
  SongEditor editor(state_->song, state_->time, state_->ids, silent);
  ItemPath path{};
  editor.InsertTrack(MakeTrack(setup, static_cast<int32_t>(state_->song.tracks.size())), &path);
  return path;
}

ItemPath RefHost::AddBlock(const ItemPath& track, const BlockSpec& setup) {
  state_->history.Forget();
  SongEditor editor(state_->song, state_->time, state_->ids, silent);
  ItemPath path{};
  editor.InsertBlock(track.trackId, MakeBlock(setup), &path);
  return path;
}

ItemPath RefHost::AddEvent(const ItemPath& block, const MidiEvent& record, std::vector<uint8_t> payload) {
  state_->history.Forget();
  SongEditor editor(state_->song, state_->time, state_->ids, silent);
  ItemPath path{block.trackId, block.blockId, 0};
  if (FAILED(editor.InsertEvent(&path, MakeEvent(record, std::move(payload))))) return {};
  return path;
}

void RefHost::SetTempo(uint32_t microsecondsPerQuarter) {
  state_->time.microsecondsPerQuarter = std::clamp<uint32_t>(microsecondsPerQuarter, 1, kMaxMicrosecondsPerQuarter);
}

void RefHost::SetTicksPerQuarter(uint32_t ticks) { state_->time.ticksPerQuarter = std::max<uint32_t>(ticks, 1); }

void RefHost::SetReportedTicksPerQuarter(std::optional<uint32_t> ticks) { state_->reportedTicksPerQuarter = ticks; }

void RefHost::SetMeter(uint32_t beatsPerMeasure, uint32_t beatUnitCode) {
  state_->time.beatsPerMeasure = std::max<uint32_t>(beatsPerMeasure, 1);
  state_->time.beatUnitCode = beatUnitCode;
}

void RefHost::SetPitchOffset(int32_t semitones) { state_->pitchOffset = semitones; }

const Song& RefHost::song() const { return state_->song; }

std::vector<EventView> RefHost::Events(uint32_t trackId) const {
  std::vector<EventView> out;
  const SongTrack* track = state_->song.FindTrack(trackId);
  if (!track) return out;
  for (const SongBlock& b : track->blocks)
    for (const SongEvent& e : b.events) out.push_back({{trackId, b.id, e.id}, e.record, e.payload});
  const TimeMap& time = state_->time;
  std::stable_sort(out.begin(), out.end(), [&time](const EventView& a, const EventView& b) {
    return time.TicksOf(a.record.start, a.record.timeFormat) < time.TicksOf(b.record.start, b.record.timeFormat);
  });
  return out;
}

std::optional<EventView> RefHost::Event(const ItemPath& path) const {
  const auto index = state_->song.FindEvent(path);
  if (!index) return std::nullopt;
  const SongEvent& e = state_->song.FindBlock(path.trackId, path.blockId)->events[*index];
  return EventView{path, e.record, e.payload};
}

const SongTrack* RefHost::Track(uint32_t trackId) const { return state_->song.FindTrack(trackId); }

const SongBlock* RefHost::Block(const ItemPath& path) const {
  return state_->song.FindBlock(path.trackId, path.blockId);
}

const TimeMap& RefHost::Time() const { return state_->time; }

int32_t RefHost::PitchOffset() const { return state_->pitchOffset; }

CallLog& RefHost::Log() { return state_->log; }

const CallLog& RefHost::Log() const { return state_->log; }

FaultPlan& RefHost::Faults() { return state_->faults; }

const std::vector<SentEvent>& RefHost::SentEvents() const { return state_->sent; }

void RefHost::ClearSentEvents() { state_->sent.clear(); }

void RefHost::SetOutputListener(std::function<void(const SentEvent&)> listener) {
  state_->outputListener = std::move(listener);
}

int RefHost::OpenBrackets() const { return state_->history.Depth(); }

size_t RefHost::OutstandingBlocks() const { return BlockAccounting::Instance().OutstandingCount(state_.get()); }

LeakReport RefHost::Leaks() const {
  LeakReport report;
  report.accountingAvailable = BlockAccounting::Instance().Available();
  report.blocks = BlockAccounting::Instance().Outstanding(state_.get());
  report.siteReferences = ForeignReferences(site_.get());
  report.outputReferences = ForeignReferences(output_.get());
  report.advisedSinks = state_->hub.AdvisedCount();
  report.openBrackets = state_->history.Depth();
  return report;
}

}  // namespace refhost
