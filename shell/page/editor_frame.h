// The editor frame: the child dialog (template 3) that the editor page shows
// inside the host's window. It carries the logo strip, the track selector,
// the toolbar and the piano roll, routes commands, keeps the toolbar in step
// and replays the plug-in's posted notifications.
#pragma once

#include <windows.h>

#include <cstdint>

class EditorPage;

// A hidden frame inside parent bound to page (null: only measured), or null.
HWND CreateEditorFrame(HWND parent, EditorPage* page);
// The frame's dialog procedure, through which the page hands it the host's
// keyboard messages.
INT_PTR CALLBACK EditorFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
// The track index chosen in a frame's selector: the item's data, the item
// count when nothing is chosen, 0 when the list is empty; -1 without a frame.
int32_t SelectedTrack(HWND frame);
