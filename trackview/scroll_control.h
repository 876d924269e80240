// The two scroll-and-zoom controls (panes 2 and 3) share their code; an
// axis tells them apart.
#pragma once

#include "trackview/engine.h"

struct ControlAxis {
  bool horizontal;
  // Part spans run along x (horizontal) or y (vertical).
  RECT PartRect(const ScrollControlPane* pane, const AxisSpan& span) const {
    return horizontal ? RECT{span.begin, pane->top, span.end, pane->bottom}
                      : RECT{pane->left, span.begin, pane->right, span.end};
  }
};

// The thumb for the view as it stands now.
AxisSpan CurrentThumb(const Trackview* view, const ScrollControlPane* pane, bool horizontal);

// scroll_control_paint.cpp
void PaintScrollControl(Trackview* view, ScrollControlPane* pane, HDC dc, bool horizontal);

// scroll_control_input.cpp: presses, drags, double clicks and the repeat timer.
LRESULT ScrollControlMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
