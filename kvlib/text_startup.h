// Start-up of the text functions on Windows: the user's regional settings and
// the timecode label tokens from the module's strings.
#pragma once

#include <windows.h>

#include "kvlib/regional.h"

// Reads the user default locale's separators and digit grouping.
KvRegionalValues KvText_ReadUserLocale();

// Installs the locale's values and registers the timecode labels from strings
// 48304 and 48305 of module.
void KvText_Startup(HINSTANCE module);
