// The undo labels of the user's edits and the rules that choose between their
// singular and plural forms. Platform-free.
#pragma once

#include <cstdint>

#include "kvlib/kvchar.h"
#include "mididata/pending_edits.h"

enum class EditKind {
  Draw,         // a drawn note (with the room cleared for it)
  Size,         // a resized note
  Move,         // the selected notes moved
  Paint,        // notes painted in a row
  Erase,        // notes erased by sweeping
  SetVelocity,  // the velocity of the selected events set
  Delete,       // the selected events deleted, or cut
  EditEvent,    // one event selected or deselected
  SoloSubTrack,
  Quantize,
};

// The label a gesture commits under, from what it left pending.
const kvchar* EditLabel(EditKind kind, const PendingEdits& pending);

// The label of a paste of `count` events.
const kvchar* PasteLabel(int32_t count);

// "Draw MIDI %s" or "Erase MIDI %s" with the lane's name, cut to fit capacity
// (terminator included) and always terminated.
void LaneEditLabel(bool erase, const kvchar* laneName, kvchar* buffer, int32_t capacity);

// Label of a one-call edit of one event (SetEvent) and of a track (SetTrackInfo).
inline constexpr const kvchar* kLabelEditEvent = KVTEXT("Edit MIDI Event");
inline constexpr const kvchar* kLabelEditTrack = KVTEXT("Edit Track");
inline constexpr const kvchar* kLabelDeleteEvent = KVTEXT("Delete MIDI Event");
