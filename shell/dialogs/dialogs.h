// The editor's modal dialogs, each a resource template owned by the frame.
#pragma once

#include <windows.h>

class MidiPluginBase;

// Preferences: the MIDI output port of monitoring and note preview.
INT_PTR RunPreferencesDialog(HWND owner, MidiPluginBase& plugin);
// MIDI Quantize: the choices, then the quantize pass over the selected notes
// as one host edit when the dialog ends with Apply.
INT_PTR RunQuantizeDialog(HWND owner, MidiPluginBase& plugin);
INT_PTR RunAboutBox(HWND owner);

// Centres a dialog on its owner (on the screen's work area without one).
void CentreOnOwner(HWND dialog);
