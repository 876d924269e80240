// The window the page shows while the editor frame does not exist yet: it takes
// the plug-in's posted messages (replaying the queued notifications, clearing
// the pending position flag) and nothing else.
#pragma once

#include <windows.h>

class EditorPage;

// A hidden child of parent bound to page; null on failure.
HWND CreateEditorWindow(HWND parent, EditorPage* page);
// Unregisters the window class at module unload.
void UnregisterEditorWindowClass();
