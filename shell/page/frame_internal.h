// The editor frame's state and the pieces of the frame that share it: the
// toolbar, the track selector and the commands.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "kvlib/png_strip.h"
#include "pianoroll/pianoroll.h"
#include "shell/page/editor_messages.h"

class EditorPage;
class MidiPluginBase;
struct EditorPrefs;

struct EditorFrame {
  HWND window;
  EditorPage* page;        // null when the frame is only measured
  RollSource* dataSource;  // owned
  PianoRoll* trackview;    // owned by its window
  HWND trackviewWindow;
  HWND toolbar;
  SIZE imageSize;
  HIMAGELIST images[kStripLists];  // normal, hot, disabled; owned, may be null
};

EditorFrame* FrameOf(HWND frame);
// The plug-in object the frame works on, or null.
MidiPluginBase* FramePlugin(const EditorFrame& frame);
EditorPrefs* FramePrefs(const EditorFrame& frame);
// A MIDI output the host gave and that lists a port.
bool OutputAvailable(const EditorFrame& frame);

// Toolbar (frame_toolbar.cpp).
void CreateFrameToolbar(EditorFrame& frame);
void UpdateToolbar(EditorFrame& frame);
LRESULT ToolbarNotify(EditorFrame& frame, const NMHDR* header);

// Track selector (track_selector.cpp).
void FillTrackSelector(EditorFrame& frame, bool keepSelection);
void SelectChosenTrack(EditorFrame& frame);

// Commands and the host's transport (frame_commands.cpp).
void RunFrameCommand(EditorFrame& frame, UINT command, UINT notification);
void SyncLoop(EditorFrame& frame);
void ShowPlayPosition(EditorFrame& frame);
// The host's play position in ticks, or 0 when it cannot be read.
int64_t HostPlayPosition(const EditorFrame& frame);
