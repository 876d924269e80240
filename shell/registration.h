// Self-registration: the COM class entries of both classes under
// HKEY_CLASSES_ROOT\CLSID and the plug-in entry under
// HKEY_LOCAL_MACHINE\Software\MIDI Plugins, where the host finds plug-ins.
#pragma once

#include <windows.h>

// Registers both classes for the module file; on failure everything written is
// removed again and the failure returned.
HRESULT RegisterServer(HMODULE module);
// Removes every entry; never fails.
HRESULT UnregisterServer();
