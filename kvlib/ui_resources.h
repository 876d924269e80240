// The numbered catalogue of UI colours, brushes, fonts and cursors. Every
// object is made on its first request and cached for the life of the module;
// callers never free what they get. User-interface thread only.
#pragma once

#include <windows.h>

// Colours: 0-99 system colour n; 100-161 the current UI table entry;
// -100..-161 the default of that entry; anything else CLR_INVALID (-1).
COLORREF KvGetUIColorAbsolute(int number);
// The same, mapped to the nearest colour the screen shows.
COLORREF KvGetUIColor(int number);
// Sets a UI table entry (100-161; the high byte is its encoding, see
// ui_color_table.h). Returns 1, or 0 for a number outside the table.
int KvSetUIColor(int number, DWORD value);

// Brushes: 0-24 system colour n; 100-160 UI colour n; 10000 the module's
// pattern bitmap 101; 10001-10016 the 8 x 8 monochrome patterns, set bits in
// the text colour of the device context; anything else the stock black brush.
HBRUSH KvGetUIBrush(int number);

// Fonts 100, 104, 110, 112, 120, 129 and copies of stock fonts 10-14, 16, 17;
// any other number gives the default GUI font.
HFONT KvGetUIFont(int number);
// The size of "0" in that font: width in the low 16 bits, height in the high
// 16 bits (LOWORD/HIWORD); 0 for a number the table does not hold.
int KvGetUIFontSize(int number);

// Cursors: 1-56 the module's own; from 57 below 0x7F00 a cursor of the
// registered resource module when the number lies in its window of 50 ids;
// 0x7F00 and above the system cursor of that id. The arrow otherwise.
HCURSOR KvGetUICursor(int number);
// Registers the resource module and the first id of its window. The module
// registers itself with first id 100 at start-up, which serves its cursors
// 100-149.
void KvSetUICursorModule(HINSTANCE module, int firstId);

// Module start-up and unload (kvlib/module.cpp): the colour table back to its
// defaults; at unload every cached font and brush is deleted.
void KvUIResources_Startup(HINSTANCE module);
void KvUIResources_Shutdown();
