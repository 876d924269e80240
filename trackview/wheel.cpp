// The wheel over the data area: zoom, or scroll with Shift (time) or Ctrl (rows).
#include <cstdlib>

#include "trackview/engine.h"

void WheelAction(Trackview* view, int delta, bool ctrl, bool shift, bool alt) {
  int notches = std::abs(delta) / WHEEL_DELTA;
  if (notches == 0) return;
  bool down = delta < 0;
  if (shift && ctrl) return;  // paging the cursor belongs to the cursor setter
  if (shift) {
    // A tenth of the span, rounded up so that it never stalls.
    int64_t step = (view->viewSpan + 9) / 10;
    view->ScrollBy((down ? 1 : -1) * notches * step, 0);
  } else if (ctrl) {
    view->ScrollBy(0, (down ? 1 : -1) * notches * kRowUnits);
  } else {
    if (alt && !down) return;
    int64_t centre = FollowsPlayback(view) ? view->playPos : view->cursorPos;
    if (view->ZoomBySteps(down ? notches : -notches, centre)) view->PlaceAt(centre, 0);
  }
}
