// Invalidation by area, tool selection and the loop region.
#include <algorithm>

#include "trackview/engine.h"

namespace {

void InvalidatePane(Trackview* view, const TrackviewPane* pane) {
  if (pane->width <= 0 || pane->height <= 0) return;
  RECT rect = PaneRect(pane);
  InvalidateRect(view->window, &rect, FALSE);
}

void InvalidateBands(Trackview* view) {
  for (int i = 11; i <= 16; ++i) InvalidatePane(view, view->panes[i]);
}

}  // namespace

void InvalidateAreas(Trackview* view, uint32_t areas) {
  if (!view->window) return;
  if ((areas & 0xFFFF) == kAreaAll) {
    InvalidateRect(view->window, nullptr, FALSE);
    if (view->headerWindow) InvalidateRect(view->headerWindow, nullptr, FALSE);
  } else {
    if (!(areas & kAreaNoData)) {
      RECT data = DataRect(view);
      InvalidateRect(view->window, &data, FALSE);
      InvalidatePane(view, view->panes[kPaneLane]);
    }
    if (areas & kAreaLoopBar) {
      InvalidatePane(view, view->panes[kPaneLoopBar]);
      InvalidateBands(view);
    }
    if (areas & kAreaPane5) InvalidatePane(view, view->panes[5]);
    if (areas & kAreaRuler) {
      InvalidatePane(view, view->panes[kPaneRuler]);
      InvalidatePane(view, view->panes[7]);
    }
    if (areas & kAreaTransport) InvalidatePane(view, view->panes[kPaneTransport]);
    if (areas & kAreaPane9) InvalidatePane(view, view->panes[9]);
    if (areas & kAreaHeader) {
      InvalidatePane(view, view->panes[kPaneHeader]);
      if (view->headerWindow) InvalidateRect(view->headerWindow, nullptr, FALSE);
    }
    if (areas & kAreaVScroll) InvalidatePane(view, view->panes[kPaneVScroll]);
    if (areas & kAreaHScroll) InvalidatePane(view, view->panes[kPaneHScroll]);
  }
  if (areas & kAreaUpdateNow) {
    UpdateWindow(view->window);
    if (view->headerWindow) UpdateWindow(view->headerWindow);
  }
}

BOOL SelectTool(Trackview* view, int tool) {
  if (tool < 0 || tool >= kToolCount || !view->tools[tool]) return FALSE;
  if (tool == view->activeTool) return TRUE;
  const PaneCallbacks* outgoing = view->tools[view->activeTool];
  if (outgoing && outgoing->toolSwitch) outgoing->toolSwitch(view, &view->dataPane, 1, tool);
  view->activeTool = tool;
  view->dataPane.callbacks = view->tools[tool];
  if (view->tools[tool]->toolSwitch) view->tools[tool]->toolSwitch(view, &view->dataPane, 2, tool);
  if (view->window && !GetCapture()) {
    RefreshHitCode(view);
    UpdateCursor(view);
  }
  return TRUE;
}

void SetLoopRegion(Trackview* view, int64_t start, int64_t length) {
  // Far outside any time line; keeps the negation and the sum in range.
  start = std::clamp(start, -kMaxTotalLength, kMaxTotalLength);
  length = std::clamp(length, -kMaxTotalLength, kMaxTotalLength);
  if (length < 0) {
    start += length;
    length = -length;
  }
  if (start == view->loopStart && length == view->loopLength) return;
  view->loopStart = start;
  view->loopLength = length;
  if (view->hooks && view->hooks->loopChanged) view->hooks->loopChanged(view, 0);
  InvalidateAreas(view, kAreaLoopBar | kAreaRuler);
}

void ToggleLoopPlayback(Trackview* view) {
  view->flags ^= kTvLoopPlayback;
  if (view->hooks && view->hooks->loopChanged) view->hooks->loopChanged(view, 1);
  InvalidateAreas(view, kAreaAll);
}
