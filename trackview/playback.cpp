// The view during playback: where it starts, re-attaching to the play
// position, and where it goes when playback stops.
#include "trackview/engine.h"

void StartPlayback(Trackview* view, int64_t position) {
  view->playStartView = view->viewStart;
  view->playStartCursor = view->cursorPos;
  view->flags = (view->flags | kTvPlaying | kTvMayReturn) & ~kTvDetached;
  PlaceCaret(view);  // hidden while the view follows playback
  if (view->transport && view->transport->playStateChanged) view->transport->playStateChanged(view, 1);
  if (position < 0) return;
  view->playPos = position;
  if (position < view->viewStart || position > view->viewStart + view->viewSpan) {
    view->SetView(position, view->viewSpan, kViewNoDetach | kViewSkipUnchanged);
  }
}

void StopPlayback(Trackview* view) {
  EraseFollowLine(view);
  view->flags &= ~kTvPlaying;
  view->playLineX = kNoPlayLine;
  bool stay = view->viewStart == view->playStartView || view->cursorPos != view->playStartCursor ||
              !(view->flags & kTvMayReturn);
  if (stay) {
    view->KeepVisible(view->cursorPos);
  } else {
    view->SetView(view->playStartView, view->viewSpan, kViewNoDetach | kViewSkipUnchanged);
  }
  if (view->transport && view->transport->playStateChanged) view->transport->playStateChanged(view, 0);
  InvalidateAreas(view, kAreaNoData | kAreaTransport);
  PlaceCaret(view);
}

void ReattachPlayback(Trackview* view) {
  view->flags &= ~kTvDetached;
  HideViewCaret(view);
  view->PlaceAt(CursorOrPlayPosition(view), 0);
}
