// The logo strip: a control showing the product logo at its left, its window
// text, and a row of text buttons at its right that post WM_COMMAND to the
// parent when clicked.
#pragma once

#include <windows.h>

// Messages of the control.
inline constexpr UINT KV_LOGO_CLEARBUTTONS = 1536;
// wParam: LOWORD the command id, HIWORD non-zero to redraw at once;
// lParam: the text (at most 64 characters are kept).
inline constexpr UINT KV_LOGO_ADDBUTTON = 1537;

// Registers the control's class under a name of the module's.
ATOM KvLogoStrip_Register(HINSTANCE module, const wchar_t* className);
void KvLogoStrip_Unregister(HINSTANCE module, const wchar_t* className);
// The bitmap resources of strips created from now on: the logo and the logo
// under the mouse. Only bitmaps with a 40-byte header are used.
void KvLogoStrip_SetLogo(UINT normal, UINT hot);
// Where a click on the logo leads (the default browser opens it).
void KvLogoStrip_SetLink(const wchar_t* address);
