// Middle-button auto-scroll: the origin mark at the press point, whether a
// point lies on it, and the direction cursor. The caller owns the record and
// does the scrolling.
#pragma once

#include <windows.h>

struct KvAutoScroll {
  HWND window;  // the scrolled window
  HWND mark;    // the origin mark, a small popup over the press point
  POINT origin;  // client point of the press
  int markId;
  bool left;  // the pointer has left the mark since the press
};

// The four-way origin mark.
inline constexpr int kKvMarkOrigin = 9191;
// Which ways the mark shows arrows (KvAutoScroll_Begin).
inline constexpr UINT kKvScrollAcross = 0x1;
inline constexpr UINT kKvScrollDown = 0x2;

// Shows the mark centred on the client point; false when it cannot be shown.
bool KvAutoScroll_Begin(KvAutoScroll* scroll, HWND window, POINT client, int markId, UINT ways);
// The mark's rectangle in the window's client coordinates.
RECT KvAutoScroll_MarkRect(const KvAutoScroll* scroll);
bool KvAutoScroll_OnMark(const KvAutoScroll* scroll, POINT client);
// Sets the cursor that points from the mark towards the client point.
void KvAutoScroll_SetCursor(const KvAutoScroll* scroll, POINT client);
// Hides the mark and clears the record.
void KvAutoScroll_End(KvAutoScroll* scroll);
