// The quantize run over the selected events of the event list: one host
// edit named "Quantize MIDI events".
#include "mididata/host_bracket.h"
#include "pianoroll/quantize.h"
#include "pianoroll/roll_internal.h"

HRESULT QuantizeSelection(EventStore& store, uint32_t word, int64_t whole) {
  PendingEdits& pending = store.pending();
  pending.Clear();
  HRESULT walk = store.EnsureView();
  if (FAILED(walk)) return walk;
  const int32_t count = store.EventCount();
  for (int32_t i = 0; i < count; ++i) {
    ItemPath path{};
    MidiEvent e{};
    walk = store.PathAt(i, &path);
    if (walk == S_OK) walk = store.GetEvent(path, &e);
    if (walk != S_OK) break;
    bool selected = e.flags & kEventSelected;
    if (selected) walk = pending.QueueChange(path, e, kSetAll);
    FreeEventPayload(&e);
    if (FAILED(walk)) break;
  }
  if (pending.PendingChangeCount() == 0) return FAILED(walk) ? walk : S_FALSE;

  HRESULT hr = S_OK;
  {
    HostBracket bracket(store.host().data, 1, L"Quantize MIDI events");
    if (!bracket.Opened()) {
      pending.Clear();
      return bracket.result();
    }
    for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
      ItemPath path{};
      MidiEvent e{};
      if (pending.PendingChangeAt(i, &path, &e) != S_OK) continue;
      if (!QuantizeEvent(&e, kEvNoteOn, word, whole)) continue;
      hr = store.host().data->SetItem(&path, kLevelEvent, &e, kSetAll);
      if (FAILED(hr)) break;
      bracket.SetCommit(1);
    }
  }
  pending.Clear();
  return FAILED(hr) ? hr : walk;
}

int64_t HostWholeNote(EventStore& store, uint32_t ticksPerQuarter) {
  struct Meter {
    uint32_t one, beats, unitCode;
  } meter{1, 4, 2};
  HostPropertySet* props = store.host().properties;
  if (props && FAILED(props->GetProperty(PROP_Meter, 0, 0, 0, sizeof meter, &meter))) meter.unitCode = 2;
  return WholeNote(ticksPerQuarter, static_cast<int32_t>(meter.unitCode));
}
