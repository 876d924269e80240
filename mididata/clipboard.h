// Cut, copy and paste of events through the system clipboard in the private
// format "Velora Zebu 1.0" (clip_codec.h gives the block's bytes).
#pragma once

#include <windows.h>

#include <cstdint>

#include "mididata/event_store.h"

// The registered format (registered on first use); 0 when registration failed.
UINT EventClipboardFormat();

// Whether the clipboard holds events: paste is available.
bool ClipboardHasEvents();

// Puts the selected events of the event list on the clipboard, owned by the
// window `owner`; a cut then deletes them under "Delete MIDI Event" (or drops
// the deletes when the copy failed). Long events are neither copied nor cut:
// their payload cannot travel in the block. 1 when nothing is selected.
HRESULT CopySelection(EventStore& store, HWND owner, bool cut);

// Pastes the clipboard's events at *cursor under the current track and block,
// selected and on the track's channel, with the other notes deselected; on
// success *cursor is the end of the pasted material. A block that is not a
// well-formed event block pastes nothing and gives E_FAIL; no clipboard data
// gives 1.
HRESULT PasteClipboard(EventStore& store, int64_t* cursor);
