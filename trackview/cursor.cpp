// The edit cursor with its signed extent (the time selection), the one
// setter every cursor move goes through, and the selection history.
#include <algorithm>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

namespace {

TimeRange Normalised(int64_t position, int64_t extent) {
  return extent < 0 ? TimeRange{SatAdd(position, extent), SatSub(0, extent)} : TimeRange{position, extent};
}

bool SameRange(const TimeRange& a, const TimeRange& b) { return a.start == b.start && a.length == b.length; }

// Empty regions and regions already in the ring are not recorded.
void RecordHistory(Trackview* view, const TimeRange& region, bool walk) {
  if (region.length == 0) return;
  for (int i = 0; i < view->historyCount; ++i) {
    if (SameRange(view->history[i], region)) return;
  }
  int index = view->historyNext;
  view->history[index] = region;
  view->historyNext = (index + 1) % kHistorySize;
  view->historyCount = std::min(view->historyCount + 1, kHistorySize);
  if (!walk) {
    view->historyCurrent = index;
    view->historyWalkable = true;
    view->historyWalking = false;
  }
}

// The data-area strip between the selection column last painted and the new one.
void InvalidateSelectionColumn(Trackview* view) {
  const TvRect& data = view->dataRect;
  TimeRange selection = Normalised(view->cursorPos, view->cursorExtent);
  int32_t left = std::max(view->TimeToX(selection.start), data.left);
  int32_t right = std::min(view->TimeToXUp(SatAdd(SatAdd(selection.start, selection.length), 1)), data.right);
  int32_t oldLeft = view->selectionX;
  int32_t oldRight = oldLeft + std::max(view->selectionWidth, 1);
  int32_t from, to;
  if (left == oldLeft) {
    from = std::min(right, oldRight) - 1;
    to = std::max(right, oldRight) + 1;
  } else if (right == oldRight) {
    from = std::min(left, oldLeft) - 1;
    to = std::max(left, oldLeft) + 1;
  } else {
    from = std::min(left, oldLeft) - 1;
    to = std::max(right, oldRight) + 1;
  }
  RECT strip{std::max(from, data.left), data.top, std::min(to, data.right), data.bottom};
  if (strip.left < strip.right && view->window) InvalidateRect(view->window, &strip, FALSE);
}

void LimitToTimeLine(const Trackview* view, int64_t* position, int64_t* extent) {
  int64_t total = std::max<int64_t>(view->totalLength, 0);
  *position = std::clamp<int64_t>(*position, 0, total);
  *extent = SatSub(std::clamp<int64_t>(SatAdd(*position, *extent), 0, total), *position);
}

}  // namespace

int64_t DataLength(const Trackview* view) {
  int64_t total = std::max<int64_t>(view->totalLength, 0);
  int64_t length = view->source ? view->source->Length() : -1;
  return length < 0 ? total : std::min(length, total);
}

int64_t CursorOrPlayPosition(Trackview* view) { return FollowsPlayback(view) ? view->playPos : view->cursorPos; }

bool LoopLinked(const Trackview* view, int64_t extent) {
  int32_t link = view->source ? view->source->LoopLink() : 0;
  return link == 2 || (link == 1 && extent != 0);
}

TimeRange CurrentSelection(const Trackview* view) {
  int64_t loopEnd = SatAdd(view->loopStart, view->loopLength);
  if (IsLoopPlayback(view) && view->cursorPos >= view->loopStart && view->cursorPos <= loopEnd) {
    return {view->loopStart, view->loopLength};
  }
  // While the loop follows the selection, a cursor at one of its ends
  // stands for the selection it was made from.
  if (!view->source || view->source->LoopLink() == 0) return {view->cursorPos, view->cursorExtent};
  if (view->cursorPos == view->loopStart) return {view->cursorPos, view->loopLength};
  if (view->cursorPos == loopEnd) return {view->cursorPos, -view->loopLength};
  return {view->cursorPos, 0};
}

void SetCursorPos(Trackview* view, int64_t position, int64_t extent, uint32_t flags) {
  if (flags & kCursorExtend) {
    TimeRange current = CurrentSelection(view);
    int64_t farEnd = std::clamp<int64_t>(SatAdd(current.start, current.length), 0, std::max<int64_t>(view->totalLength, 0));
    position = std::clamp<int64_t>(position, 0, std::max<int64_t>(view->totalLength, 0));
    extent = SatSub(farEnd, position);
  }
  LimitToTimeLine(view, &position, &extent);
  if (view->hooks && view->hooks->filterPosition) {
    view->hooks->filterPosition(view, &position, &extent);
    LimitToTimeLine(view, &position, &extent);
  }
  bool linked = LoopLinked(view, extent);
  flags = linked ? flags | kCursorLoopLinked : flags & ~kCursorLoopLinked;

  if (flags & kCursorSetsLoop) {
    TimeRange region = Normalised(position, extent);
    SetLoopRegion(view, region.start, std::min(region.length, SatSub(view->totalLength, region.start)));
  }
  if (!(flags & kCursorNoHistory)) {
    RecordHistory(view, {view->loopStart, view->loopLength}, (flags & kCursorHistoryWalk) != 0);
  }

  bool changed = position != view->cursorPos || extent != view->cursorExtent;
  view->cursorPos = position;
  view->cursorExtent = extent;
  if (extent != 0 && linked) {
    TimeRange region = Normalised(position, extent);
    SetLoopRegion(view, region.start, region.length);
  }
  if (changed && view->hooks && view->hooks->selectionChanged) view->hooks->selectionChanged(view, flags);

  if (IsPlaying(view)) {
    bool setPosition = true;
    if (!(flags & kCursorFollow)) {
      view->flags = (view->flags | kTvDetached) & ~kTvMayReturn;
    } else if ((flags & kCursorKeepDetached) && (view->flags & kTvDetached)) {
      setPosition = false;
    } else {
      view->flags &= ~kTvDetached;
    }
    if (setPosition && view->transport && view->transport->setPosition) {
      view->transport->setPosition(view, view->cursorPos);
    }
  }
  if (view->focusPane == kPaneData) PlaceCaret(view);

  if (!changed) {
    InvalidateAreas(view, 0);
    return;
  }
  InvalidateSelectionColumn(view);
  InvalidateAreas(view, kAreaNoData | kAreaRuler);
  PostUpdateUi(view);
}

void SetCursorVisible(Trackview* view, int64_t position, int64_t extent, uint32_t flags) {
  SetCursorPos(view, position, extent, flags);
  view->KeepVisible(view->cursorPos);
}

void SetCursorRange(Trackview* view, int64_t start, int64_t length, bool anchoredAtEnd) {
  if (anchoredAtEnd) {
    SetCursorPos(view, SatAdd(start, length), SatSub(0, length), kCursorFollow | kCursorLoopLinked);
  } else {
    SetCursorPos(view, start, length, kCursorFollow | kCursorLoopLinked);
  }
}

void MoveCursorTo(Trackview* view, int64_t tick, uint32_t flags) {
  if ((flags & kCursorSnap) && view->source && view->source->CursorSnapping()) tick = view->SnapNearest(tick);
  SetCursorPos(view, tick, 0, flags & ~kCursorSnap);
}

void StepHistoryBack(Trackview* view) {
  if (!view->historyWalking) {
    // The walk can come back to what was active before it.
    TimeRange active = CurrentSelection(view);
    RecordHistory(view, Normalised(active.start, active.length), true);
    view->historyWalking = true;
  }
  int count = view->historyCount;
  for (int tries = 0; tries < count; ++tries) {
    int index = std::clamp(view->historyCurrent, 0, count - 1);
    TimeRange entry = view->history[index];
    view->historyCurrent = (index + count - 1) % count;
    if (entry.length != 0) {
      SetCursorPos(view, entry.start, entry.length, kCursorFollow | kCursorLoopLinked | kCursorHistoryWalk);
      return;
    }
  }
}
