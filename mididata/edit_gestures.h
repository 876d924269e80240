// The event store's edit operations that tools and commands build gestures
// from: snapshotting the selection for a move, setting velocities (directly or
// along a drawn line), clearing room for a new note, deleting the selection.
#pragma once

#include <cstdint>

#include "mididata/event_store.h"

// Queues every selected event of the event list unchanged as a pending change
// with all fields, for a move or resize to rewrite. Stops at the first read or
// queue failure.
HRESULT BeginMoveOrResize(EventStore& store);

// Sets the velocity (shown form) of every selected Note On and Note Off and
// commits under "Set MIDI Event Velocity" or "...Velocities". Only the
// velocity byte is written back through the inverse display transform, so a
// pitch clamped for display is never stored clamped. 1 when nothing changed.
HRESULT SetSelectedVelocity(EventStore& store, uint8_t velocity);

// The velocity line: the Note Ons starting from one pixel's worth of ticks
// before the earlier point up to the later one get the line's value there
// (truncated, 1-127); where a selected note starts at a time only the selected
// ones starting then change. Queues pending changes; the lane commits.
HRESULT VelocityLine(EventStore& store, int64_t time1, int32_t value1, int64_t time2, int32_t value2,
                     int64_t ticksPerPixel, uint32_t channelMask);

// Clears the time window for a new note in the (shown) note range: notes that
// start before the window and reach into it are shortened to end at its start,
// notes starting inside it are deleted; pending inserts likewise, except the
// drawn one, whose index *drawnInsert follows removals before it (may be null).
// *changed tells whether anything changed.
HRESULT ClearRoomForNote(EventStore& store, int64_t start, int64_t length, int32_t note1, int32_t note2,
                         uint32_t channelMask, int32_t* drawnInsert, bool* changed);

// Queues every selected event of the event list for deletion and commits the
// deletes under "Delete MIDI Event". 1 when nothing is selected.
HRESULT DeleteSelection(EventStore& store);
