// Committing pending edits and the one-bracket writes.
#include "mididata/edit_commit.h"

#include "mididata/edit_labels.h"
#include "mididata/host_bracket.h"

namespace {

// Runs the steps of one bracket: the first failure stops them; the bracket
// keeps its changes when at least one step succeeded.
class StepRun {
 public:
  explicit StepRun(HostBracket& bracket) : bracket_(bracket) {}
  bool Failed() const { return FAILED(result_); }
  // A failure that is no step of its own.
  void Stop(HRESULT hr) {
    if (FAILED(hr)) result_ = hr;
  }
  void Take(HRESULT hr) {
    if (FAILED(hr)) {
      result_ = hr;
      return;
    }
    bracket_.SetCommit(1);
  }
  // The first failure, else EndEdit's result.
  HRESULT Finish() {
    const HRESULT closed = bracket_.Close();
    return FAILED(result_) ? result_ : closed;
  }

 private:
  HostBracket& bracket_;
  HRESULT result_ = S_OK;
};

HRESULT InsertUnder(HostMidiData* data, const ItemPath& parent, const MidiEvent& event) {
  ItemPath path = parent;
  path.eventId = 0;
  return data->InsertItem(&path, kLevelEvent, &event);
}

}  // namespace

HRESULT EditTargetPath(EventStore& store, ItemPath* out) {
  HRESULT hr = store.Refresh(false);
  if (FAILED(hr)) return hr;
  const uint32_t trackId = store.TrackIdAt(store.CurrentTrack());
  if (trackId == 0) return E_UNEXPECTED;
  ItemPath block{trackId, 0, 0};
  if (store.CurrentBlock() >= 0 && store.BlockPathAt(store.CurrentTrack(), store.CurrentBlock(), &block) != S_OK)
    return E_UNEXPECTED;
  *out = ItemPath{trackId, block.blockId, 0};
  return S_OK;
}

HRESULT TrackChannel(EventStore& store, uint32_t trackId, int32_t* channel) {
  HostMidiData* data = store.host().data;
  if (!data) return E_UNEXPECTED;
  ReadBracket bracket(data);
  if (!bracket.Opened()) return bracket.result();
  ItemPath p{trackId, 0, 0};
  TrackInfo info{};
  HRESULT hr = data->GetItem(&p, kLevelTrack, &info, kGetRecord);
  if (FAILED(hr)) return hr;
  *channel = info.channel < 0 ? 0 : info.channel;
  return S_OK;
}

HRESULT CommitPending(EventStore& store, const kvchar* label, bool discard) {
  PendingEdits& pending = store.pending();
  if (pending.Empty()) return S_FALSE;
  struct Emptier {
    PendingEdits& p;
    ~Emptier() { p.Clear(); }
  } emptier{pending};
  if (discard) return S_OK;

  HostMidiData* data = store.host().data;
  HostBracket bracket(data, 1, label);
  if (!bracket.Opened()) return bracket.result();
  StepRun run(bracket);

  ItemPath target{};
  if (pending.PendingInsertCount() > 0) run.Stop(EditTargetPath(store, &target));
  for (int32_t i = 0; i < pending.PendingInsertCount() && !run.Failed(); ++i) {
    MidiEvent e{};
    pending.PendingInsertAt(i, &e);
    run.Take(InsertUnder(data, target, e));
  }
  for (int32_t i = pending.PendingChangeCount() - 1; i >= 0 && !run.Failed(); --i) {
    ItemPath path{};
    MidiEvent e{};
    uint32_t mask = 0;
    pending.PendingChangeAt(i, &path, &e, &mask);
    run.Take(data->SetItem(&path, kLevelEvent, &e, mask));
  }
  for (int32_t i = 0; i < pending.PendingDeleteCount() && !run.Failed(); ++i) {
    ItemPath path{};
    pending.PendingDeleteAt(i, &path);
    run.Take(data->DeleteItem(kLevelEvent, &path));
  }
  return run.Finish();
}

HRESULT CommitDeletes(EventStore& store, bool discard) {
  PendingEdits& pending = store.pending();
  if (pending.PendingDeleteCount() == 0) return S_FALSE;
  struct Emptier {
    PendingEdits& p;
    ~Emptier() { p.ClearDeletes(); }
  } emptier{pending};
  if (discard) return S_OK;

  HostMidiData* data = store.host().data;
  HostBracket bracket(data, 1, kLabelDeleteEvent);
  if (!bracket.Opened()) return bracket.result();
  StepRun run(bracket);
  for (int32_t i = 0; i < pending.PendingDeleteCount() && !run.Failed(); ++i) {
    ItemPath path{};
    pending.PendingDeleteAt(i, &path);
    run.Take(data->DeleteItem(kLevelEvent, &path));
  }
  return run.Finish();
}

HRESULT QueueDeleteAt(EventStore& store, int32_t index) {
  ItemPath path{};
  HRESULT hr = store.PathAt(index, &path);
  if (hr != S_OK) return hr;
  return store.pending().QueueDelete(path);
}

HRESULT InsertEvents(EventStore& store, const ItemPath& path, const MidiEvent* events, int32_t count,
                     const kvchar* label) {
  if (count <= 0) return S_FALSE;
  HostMidiData* data = store.host().data;
  HostBracket bracket(data, 1, label);
  if (!bracket.Opened()) return bracket.result();
  StepRun run(bracket);
  for (int32_t i = 0; i < count && !run.Failed(); ++i) run.Take(InsertUnder(data, path, events[i]));
  return run.Finish();
}

HRESULT SetEvent(EventStore& store, const ItemPath& path, const MidiEvent& event, uint32_t mask) {
  HostMidiData* data = store.host().data;
  HostBracket bracket(data, 1, kLabelEditEvent);
  if (!bracket.Opened()) return bracket.result();
  StepRun run(bracket);
  run.Take(data->SetItem(&path, kLevelEvent, &event, mask));
  return run.Finish();
}

HRESULT SetTrackInfo(EventStore& store, int32_t index, const TrackInfo& record, uint32_t mask, const kvchar* label) {
  const uint32_t trackId = store.TrackIdAt(index);
  if (trackId == 0) return S_FALSE;
  HostMidiData* data = store.host().data;
  HostBracket bracket(data, 1, label ? label : kLabelEditTrack);
  if (!bracket.Opened()) return bracket.result();
  StepRun run(bracket);
  const ItemPath path{trackId, 0, 0};
  run.Take(data->SetItem(&path, kLevelTrack, &record, mask));
  return run.Finish();
}
