// Undo labels: one per kind of edit, the plural where a second event is affected.
#include "mididata/edit_labels.h"

namespace {

const kvchar* Choose(bool plural, const kvchar* one, const kvchar* many) { return plural ? many : one; }

void Append(const kvchar* text, kvchar* buffer, int32_t capacity, int32_t* at) {
  for (; *text && *at < capacity - 1; ++text) buffer[(*at)++] = *text;
}

}  // namespace

const kvchar* EditLabel(EditKind kind, const PendingEdits& p) {
  const bool twoInserts = p.PendingInsertCount() > 1;
  const bool twoChanges = p.PendingChangeCount() > 1;
  const bool twoDeletes = p.PendingDeleteCount() > 1;
  switch (kind) {
    case EditKind::Draw: return KVTEXT("Draw MIDI Event");
    case EditKind::Size: return KVTEXT("Size MIDI Event");
    case EditKind::Move: return Choose(twoChanges, KVTEXT("Move MIDI Event"), KVTEXT("Move MIDI Events"));
    case EditKind::Paint:
      return Choose(twoInserts || twoChanges, KVTEXT("Paint MIDI Event"), KVTEXT("Paint MIDI Events"));
    case EditKind::Erase:
      return Choose(twoDeletes || twoChanges, KVTEXT("Erase MIDI Event"), KVTEXT("Erase MIDI Events"));
    case EditKind::SetVelocity:
      return Choose(twoChanges, KVTEXT("Set MIDI Event Velocity"), KVTEXT("Set MIDI Event Velocities"));
    case EditKind::Delete: return kLabelDeleteEvent;
    case EditKind::EditEvent: return kLabelEditEvent;
    case EditKind::SoloSubTrack: return KVTEXT("Solo MIDI sub track");
    case EditKind::Quantize: return KVTEXT("Quantize MIDI events");
  }
  return kLabelEditEvent;
}

const kvchar* PasteLabel(int32_t count) {
  return Choose(count > 1, KVTEXT("Paste MIDI Event"), KVTEXT("Paste MIDI Events"));
}

void LaneEditLabel(bool erase, const kvchar* laneName, kvchar* buffer, int32_t capacity) {
  if (capacity <= 0) return;
  int32_t at = 0;
  Append(erase ? KVTEXT("Erase MIDI ") : KVTEXT("Draw MIDI "), buffer, capacity, &at);
  Append(laneName ? laneName : KVTEXT(""), buffer, capacity, &at);
  buffer[at] = 0;
}
