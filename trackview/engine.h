// Internal interfaces between the engine's own files.
#pragma once

#include "trackview/trackview.h"

// A pane's table; a pane without one behaves like the default pane.
inline const PaneCallbacks& Ops(const TrackviewPane* pane) {
  return pane && pane->callbacks ? *pane->callbacks : kDefaultPaneCallbacks;
}
inline RECT PaneRect(const TrackviewPane* pane) { return {pane->left, pane->top, pane->right, pane->bottom}; }
inline RECT DataRect(const Trackview* view) {
  return {view->dataRect.left, view->dataRect.top, view->dataRect.right, view->dataRect.bottom};
}
inline TrackviewPane* HoveredPane(Trackview* view) { return view->panes[HitPane(view->hitCode)]; }

extern const ViewEffects kWindowViewEffects;
void ReadDragThresholds(Trackview* view);

// hit_test.cpp
void HitTestAt(Trackview* view, POINT client, bool force);
void CreateTooltip(Trackview* view);
void RelayToTooltip(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
void HideTooltip(Trackview* view);

// mouse.cpp
LRESULT RouteMouse(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
void OnContextMenu(Trackview* view, WPARAM wParam, LPARAM lParam);
bool OnSetCursor(Trackview* view, HWND target, UINT hitArea);

// wheel.cpp: what the wheel does over the data area when its pane leaves it.
void WheelAction(Trackview* view, int delta, bool ctrl, bool shift, bool alt);

// focus.cpp
void OnSetFocus(Trackview* view);
void OnKillFocus(Trackview* view);
void RecreateCaret(Trackview* view);
void HideViewCaret(Trackview* view);
LRESULT OnSysKey(Trackview* view, UINT msg, WPARAM key, LPARAM keyData);

// paint.cpp: inverts the playback line away, if one is drawn.
void EraseFollowLine(Trackview* view);

// The dragging pane's last pointer point, kept by every pane that drags.
inline void NotePointer(Trackview* view, LPARAM lParam) {
  view->lastPoint = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// ruler_input.cpp and loop_bar_input.cpp: the bands under the mouse.
LRESULT RulerMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
uint32_t LoopBarHitTest(Trackview* view, TrackviewPane* pane, int x, int y);
LRESULT LoopBarMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
int LoopBarCursor(Trackview* view, TrackviewPane* pane, uint32_t hitCode);

// hover_timers.cpp
void OnTimer(Trackview* view, UINT_PTR id);

// Fonts: the engine's own (WM_SETFONT, else UI font 100) and the rulers'.
HFONT EngineFont(const Trackview* view);
HFONT RulerFont();
int32_t FontHeight(HFONT font);
// Width of the widest ruler label: the last visible time's text length in
// digits, between parentheses.
int RulerLabelWidth(Trackview* view, HDC dc);

// glyphs.cpp: the shared 64 x 10 strip (plus, minus, outward arrows).
enum Glyph : int { kGlyphPlus = 0, kGlyphMinus = 1, kGlyphArrows = 2 };
inline constexpr int kGlyphWidth = 12;
inline constexpr int kGlyphHeight = 10;
BOOL CreateGlyphStrip();
void DestroyGlyphStrip();
// Paints the set bits of a monochrome source in one colour, leaving the rest.
void PaintMask(HDC dc, int x, int y, int width, int height, HDC mask, int maskX, int maskY, COLORREF colour);
void DrawGlyph(HDC dc, const RECT& box, Glyph glyph, COLORREF colour);
