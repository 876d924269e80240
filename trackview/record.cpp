// The engine record: allocation, defaults, the panes' create phase, the
// default pane table and the window side of the view setters.
#include <cstdlib>

#include "trackview/engine.h"

namespace {

void DefaultLayout(Trackview*, TrackviewPane* pane, RECT* remaining) {
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = 0;
  pane->height = 0;
}

LRESULT DefaultMessage(Trackview* view, TrackviewPane*, UINT msg, WPARAM wParam, LPARAM lParam) {
  return view->window ? DefWindowProcW(view->window, msg, wParam, lParam) : 0;
}

void DefaultPaint(Trackview*, TrackviewPane*, HDC, const RECT*) {}

Trackview& Window(TrackviewGeometry& g) { return static_cast<Trackview&>(g); }
const Trackview& Window(const TrackviewGeometry& g) { return static_cast<const Trackview&>(g); }

void FilterView(TrackviewGeometry& g, int64_t* start, int64_t* span) {
  Trackview& view = Window(g);
  if (view.hooks && view.hooks->filterView) view.hooks->filterView(&view, start, span);
}

int32_t RowCount(const TrackviewGeometry& g) {
  TrackviewSource* source = Window(g).source;
  return source ? source->RowCount() : -1;
}

bool FixedRows(const TrackviewGeometry& g) {
  const TrackviewPane* control = Window(g).panes[kPaneVScroll];
  return control && (control->flags & kPaneFixedRows);
}

void PlaceCaretEffect(TrackviewGeometry& g) { PlaceCaret(&Window(g)); }

void InvalidateEffect(TrackviewGeometry& g, uint32_t areas) {
  // What lies under the mouse may have moved.
  g.flags |= kTvHitStale;
  InvalidateAreas(&Window(g), areas);
}

}  // namespace

void ReadDragThresholds(Trackview* view) {
  view->dragThresholdX = (GetSystemMetrics(SM_CXDRAG) + 1) / 2;
  view->dragThresholdY = (GetSystemMetrics(SM_CYDRAG) + 1) / 2;
}

const PaneCallbacks kDefaultPaneCallbacks = {
    nullptr, DefaultLayout, nullptr, DefaultMessage, DefaultPaint, nullptr, nullptr, nullptr, nullptr,
};

const ViewEffects kWindowViewEffects = {FilterView, RowCount, FixedRows, PlaceCaretEffect, InvalidateEffect};

void* AllocTrackviewBlock(size_t size) { return std::calloc(1, size); }

void FreeTrackview(Trackview* view) { std::free(view); }

void InitTrackview(Trackview* view, TrackviewSource* source) {
  view->effects = &kWindowViewEffects;
  view->source = source;
  if (source) view->timeBase = source->TimeBase();
  for (int i = 1; i < kPaneCount; ++i) {
    view->plainPanes[i].callbacks = &kDefaultPaneCallbacks;
    view->panes[i] = &view->plainPanes[i];
  }
  view->hScroll.callbacks = &kHScrollPaneCallbacks;
  view->panes[kPaneHScroll] = &view->hScroll;
  view->vScroll.callbacks = &kVScrollPaneCallbacks;
  view->panes[kPaneVScroll] = &view->vScroll;
  view->loopBar.callbacks = &kLoopBarPaneCallbacks;
  view->panes[kPaneLoopBar] = &view->loopBar;
  view->plainPanes[kPaneRuler].callbacks = &kRulerPaneCallbacks;
  view->dataPane.callbacks = &kDefaultPaneCallbacks;
  view->panes[kPaneData] = &view->dataPane;
  for (int i = 0; i < kPaneCount; ++i) view->panes[i]->paneId = static_cast<uint32_t>(i) << 16;
  ReadDragThresholds(view);
  view->playLineX = kNoPlayLine - 1;
  view->returnTool = -1;
  view->hitRow = view->toldRow = -1;
}

BOOL StartPanes(Trackview* view) {
  if (view->tools[view->activeTool]) view->dataPane.callbacks = view->tools[view->activeTool];
  for (int i = 0; i < kPaneCount; ++i) view->panes[i]->paneId = static_cast<uint32_t>(i) << 16;
  for (int n = 1; n <= 16; ++n) {
    int i = n % 16;  // panes 1 to 15, then the data area
    TrackviewPane* pane = view->panes[i];
    const PaneCallbacks& ops = Ops(pane);
    if (ops.create && !ops.create(view, pane, 0)) return FALSE;
  }
  return TRUE;
}
