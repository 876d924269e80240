// Drag auto-scroll: while a drag holds the pointer outside its area, timer 3
// scrolls the view towards it, faster the farther out it is, and the
// dragging pane follows through kMsgAutoScrollStep.
#include <algorithm>
#include <cstdlib>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

namespace {

constexpr int32_t kVerticalRate = 240;
constexpr int32_t kFastDivisor = 2000, kSlowDivisor = 8000;

int Direction(int32_t p, LONG low, LONG high) {
  if (p < low) return -1;
  if (p >= high) return 1;
  return 0;
}

// The view start the dragged object's bounds allow, as [first, last].
void BoundedStarts(const Trackview* view, int64_t* first, int64_t* last) {
  *first = 0;
  *last = std::max<int64_t>(view->totalLength - view->viewSpan, 0);
  const AutoScrollState& s = view->autoScroll;
  if (!s.bounded) return;
  int64_t half = view->viewSpan / 2;
  *first = std::max(*first, SatSub(s.lower, half));
  *last = std::min(*last, SatSub(s.upper, half));
}

// One horizontal step; false when the view can no longer move that way.
// Past the end of the time line a step still counts when allowed, so that
// the dragging pane can lengthen the time line and the next step scroll.
bool StepAcross(Trackview* view, int direction, DWORD elapsed) {
  AutoScrollState& s = view->autoScroll;
  int32_t beyond = direction < 0 ? s.area.left - view->lastPoint.x : view->lastPoint.x - s.area.right;
  int64_t pixels = int64_t{elapsed} * s.speed * std::max(beyond, 0) / (s.slow ? kSlowDivisor : kFastDivisor);
  pixels = std::clamp<int64_t>(pixels, 1, kMaxPixel);
  if (s.flags & kScrollReverse) direction = -direction;
  int64_t ticks = std::max<int64_t>(view->PixelsToTicks(static_cast<int32_t>(pixels)), 1);
  int64_t first, last;
  BoundedStarts(view, &first, &last);
  int64_t start = view->viewStart;
  int64_t target = SatAdd(start, direction * ticks);
  target = direction < 0 ? std::max(target, std::min(first, start)) : std::min(target, std::max(last, start));
  bool pastEnd = direction > 0 && (s.flags & kScrollPastEnd);
  if (target == start) return pastEnd;
  view->ScrollBy(target - start, 0);
  return view->viewStart != start || pastEnd;
}

// One row up or down when its interval has passed; false when none is due.
bool StepDown(Trackview* view, int direction, DWORD now) {
  AutoScrollState& s = view->autoScroll;
  int32_t distance = direction < 0 ? s.area.top - view->lastPoint.y : view->lastPoint.y - s.area.bottom;
  DWORD interval = 60000 / s.verticalRate;
  if (s.flags & kScrollSpeedByDistance) {
    interval = (100000 - std::min(std::max(distance, 0) / 2, 75) * 1000) / s.verticalRate;
  }
  if (now - s.lastVerticalStep < interval) return false;
  s.lastVerticalStep = now;
  int32_t row = view->firstRow;
  view->ScrollBy(0, direction * kRowUnits);
  return view->firstRow != row;
}

void Tick(Trackview* view, void*) {
  AutoScrollState& s = view->autoScroll;
  if ((view->flags & kTvFrozen) || PtInRect(&s.area, view->lastPoint)) {
    StopAutoScroll(view);
    return;
  }
  DWORD now = GetTickCount();
  if (now == s.lastStep) return;
  DWORD elapsed = now - s.lastStep;
  s.lastStep = now;
  bool across = false, down = false;
  int horizontal = Direction(view->lastPoint.x, s.area.left, s.area.right);
  int vertical = Direction(view->lastPoint.y, s.area.top, s.area.bottom);
  if ((s.flags & kScrollHorizontal) && horizontal != 0) across = StepAcross(view, horizontal, elapsed);
  if ((s.flags & kScrollVertical) && vertical != 0) down = StepDown(view, vertical, now);
  bool verticalPending = (s.flags & kScrollVertical) && vertical != 0;
  if (!across && !verticalPending) {
    StopAutoScroll(view);
    return;
  }
  if (!across && !down) return;
  if (s.flags & kScrollUpdate) UpdateWindow(view->window);
  TrackviewPane* pane = s.pane;
  if (pane && Ops(pane).message) {
    Ops(pane).message(view, pane, kMsgAutoScrollStep, 0, MAKELPARAM(view->lastPoint.x, view->lastPoint.y));
  }
}

}  // namespace

bool AutoScrollRunning(const Trackview* view) { return view->stepCallback == Tick; }

void StartAutoScroll(Trackview* view, TrackviewPane* pane, POINT point, const RECT& inner, const RECT& outset,
                     uint32_t flags) {
  AutoScrollState& s = view->autoScroll;
  RECT area{inner.left - outset.left, inner.top - outset.top, inner.right + outset.right,
            inner.bottom + outset.bottom};
  view->lastPoint = point;
  if (PtInRect(&area, point)) {
    StopAutoScroll(view);
    return;
  }
  if ((flags & (kScrollHorizontal | kScrollVertical)) == kScrollHorizontal) {
    int direction = point.x < area.left ? -1 : 1;
    if (flags & kScrollReverse) direction = -direction;
    bool atEnd = direction > 0 && SatAdd(view->viewStart, view->viewSpan) >= view->totalLength &&
                 !(flags & kScrollPastEnd);
    if ((direction < 0 && view->viewStart == 0) || atEnd) {
      StopAutoScroll(view);
      return;
    }
  }
  s.area = area;
  s.flags = flags;
  s.pane = pane;
  s.speed = std::clamp(view->source ? view->source->AutoScrollSpeed() : 5, 1, 100);
  s.verticalRate = kVerticalRate;
  if (!AutoScrollRunning(view)) {
    s.lastStep = s.lastVerticalStep = GetTickCount();
    StartStepTimer(view, Tick, nullptr);
  }
}

void SetAutoScrollBounds(Trackview* view, int64_t lower, int64_t upper) {
  view->autoScroll.bounded = true;
  view->autoScroll.lower = lower;
  view->autoScroll.upper = upper;
}

void ResetAutoScrollBounds(Trackview* view) { view->autoScroll.bounded = false; }

void StopAutoScroll(Trackview* view) {
  AutoScrollState& s = view->autoScroll;
  s.flags = 0;
  s.pane = nullptr;
  s.slow = false;
  if (AutoScrollRunning(view)) StopStepTimer(view);
}

void AutoScrollMouse(Trackview* view, UINT msg) {
  if (!AutoScrollRunning(view)) return;
  if (view->dragMode == 0) {
    StopAutoScroll(view);
  } else if (msg == WM_RBUTTONDOWN) {
    view->autoScroll.slow = !view->autoScroll.slow;
  }
}
