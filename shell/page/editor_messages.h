// Private messages between the plug-in object, the editor page and the editor
// window.
#pragma once

#include <windows.h>

inline constexpr UINT WM_EDITOR_SYNCLOOP = 0x6CA;   // re-read the host's loop region
inline constexpr UINT WM_EDITOR_SAVEVIEW = 0x6CB;   // store the view state into the settings
inline constexpr UINT WM_PLUGIN_REFRESH = 0x8001;   // replay the queued host notifications
inline constexpr UINT WM_PLUGIN_POSITION = 0x8002;  // the host's play position moved
