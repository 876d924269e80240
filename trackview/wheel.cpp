// The wheel's default action over the data area and the lane: zoom; with
// Shift scroll time, with Ctrl scroll rows, with both page the cursor.
#include <cstdlib>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

void WheelAction(Trackview* view, int delta, bool ctrl, bool shift, bool alt) {
  int notches = std::abs(delta) / WHEEL_DELTA;
  if (notches == 0) return;
  bool down = delta < 0;
  if (shift && ctrl) {
    for (int i = 0; i < notches; ++i) PageCursor(view, down ? 1 : -1, false);
  } else if (shift) {
    // A tenth of the span, rounded so that it never stalls on a short span.
    int64_t step = view->viewSpan - MulDivTrunc(view->viewSpan, 9, 10);
    int64_t ticks = MulDivTrunc(step, notches, 1);
    view->ScrollBy(down ? ticks : SatSub(0, ticks), 0);
  } else if (ctrl) {
    view->ScrollBy(0, (down ? 1 : -1) * notches * kRowUnits);
  } else {
    if (alt && !down) return;
    if (view->ZoomToStep(int64_t{view->zoomLevel} + (down ? notches : -notches), CursorOrPlayPosition(view))) {
      CentreOnCursor(view);
    }
  }
}
