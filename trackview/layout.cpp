// Pane layout: each pane takes its share of the remaining client area in a
// fixed order and the data area gets what is left.
#include "trackview/engine.h"

namespace {

// Header first (full height), then the bottom bands, the right control, and
// the top bands; the data area comes last.
constexpr int kLayoutOrder[] = {1, 10, 9, 2, 8, 3, 11, 12, 5, 4, 6, 7};
constexpr int kDataLayoutCalls = 4;

void LayOutPane(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  const PaneCallbacks& ops = Ops(pane);
  if (ops.layout) ops.layout(view, pane, remaining);
  pane->right = pane->left + pane->width;
  pane->bottom = pane->top + pane->height;
}

}  // namespace

void Relayout(Trackview* view, bool full) {
  // Before the first size there is nothing to lay out; mapping the view onto
  // one pixel would lose its scale.
  if (view->clientWidth <= 0 || view->clientHeight <= 0) return;
  RECT remaining{0, 0, view->clientWidth, view->clientHeight};
  for (int index : kLayoutOrder) LayOutPane(view, view->panes[index], &remaining);
  for (int i = 0; i < kDataLayoutCalls; ++i) {
    RECT offered = remaining;  // the data area takes nothing
    LayOutPane(view, &view->dataPane, &offered);
  }
  ReleaseSnapshot(view);

  view->ApplyDataArea({remaining.left, remaining.top, remaining.right, remaining.bottom}, full);
  TrackviewPane& data = view->dataPane;
  data.left = view->dataRect.left;
  data.top = view->dataRect.top;
  data.width = view->dataWidth;
  data.height = view->dataHeight;
  data.right = data.left + data.width;
  data.bottom = data.top + data.height;

  view->flags |= kTvHitStale;
  if (view->window && GetFocus() == view->window) RecreateCaret(view);
}
