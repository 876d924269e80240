// Writing edits to the host: the pending edits of a gesture as one labelled
// undoable host edit, and the one-bracket writes (inserting a list of events,
// changing one event, changing a track).
#pragma once

#include <cstdint>

#include "kvlib/kvchar.h"
#include "mididata/event_store.h"

// Code for a clipboard stream that took fewer bytes than written.
inline constexpr HRESULT kShortClipboardWrite = static_cast<HRESULT>(0x8004E009u);

// Where new events go: the current track and, when one is chosen, the current
// block; with all blocks the block id is 0 and the host files each event in
// the block that holds its time. E_UNEXPECTED without a current track.
HRESULT EditTargetPath(EventStore& store, ItemPath* out);

// The channel that a track forces on its events; -1 counts as 0.
HRESULT TrackChannel(EventStore& store, uint32_t trackId, int32_t* channel);

// Writes the pending edits inside BeginEdit(1, label): the inserts in list
// order, the changes from the last to the first, then the deletes; the first
// failure stops the writing. The lists are emptied in every case, and the
// bracket keeps its changes (EndEdit(1)) only when a step succeeded. With
// discard, or with nothing pending (result 1), nothing is opened.
HRESULT CommitPending(EventStore& store, const kvchar* label, bool discard);

// The same for the pending deletes alone, under "Delete MIDI Event".
HRESULT CommitDeletes(EventStore& store, bool discard);

// Queues the event at an index of the event list for deletion.
HRESULT QueueDeleteAt(EventStore& store, int32_t index);

// Inserts the events under path in one bracket, stopping at the first failure;
// 1 for an empty list.
HRESULT InsertEvents(EventStore& store, const ItemPath& path, const MidiEvent* events, int32_t count,
                     const kvchar* label);

// One SetItem of an event under "Edit MIDI Event".
HRESULT SetEvent(EventStore& store, const ItemPath& path, const MidiEvent& event, uint32_t mask);

// One SetItem of track index's record; label defaults to "Edit Track".
HRESULT SetTrackInfo(EventStore& store, int32_t index, const TrackInfo& record, uint32_t mask,
                     const kvchar* label = nullptr);
