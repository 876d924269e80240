// Painting: the data area then the panes, through an off-screen buffer
// aligned to 8 pixels, or from the snapshot while the view is frozen.
#include <algorithm>

#include "kvlib/ui_resources.h"
#include "trackview/engine.h"
#include "trackview/gdi.h"
#include "trackview/wide_math.h"

namespace {

void StoreSelectionColumn(Trackview* view) {
  const TvRect& data = view->dataRect;
  if (view->cursorExtent == 0) {
    view->selectionX = view->TimeToX(view->cursorPos);
    view->selectionWidth = 0;
    return;
  }
  int64_t first = std::min(view->cursorPos, view->cursorPos + view->cursorExtent);
  int64_t last = std::max(view->cursorPos, view->cursorPos + view->cursorExtent);
  int32_t left = std::max(view->TimeToX(first), data.left);
  int32_t right = std::min(view->TimeToXUp(last + 1), data.right);
  view->selectionX = left;
  view->selectionWidth = std::max(right - left, 0);
}

void InvertPlayLine(Trackview* view, HDC dc, int32_t x) {
  const TvRect& data = view->dataRect;
  if (x >= data.left && x < data.right) PatBlt(dc, x, data.top, 1, data.bottom - data.top, DSTINVERT);
}

void DrawPlayLine(Trackview* view, HDC dc) {
  if (!IsPlaying(view)) {
    view->playLineX = kNoPlayLine;
    return;
  }
  view->playLineX = view->TimeToX(view->playPos);
  InvertPlayLine(view, dc, view->playLineX);
}

void DrawDataArea(Trackview* view, HDC dc, const RECT& clip, bool withPlayLine) {
  ScopedSaveDC saved(dc);
  const TvRect& data = view->dataRect;
  IntersectClipRect(dc, data.left, data.top, data.right, data.bottom);
  SelectObject(dc, EngineFont(view));
  if (!(view->flags & kTvFrozen)) {
    const PaneCallbacks& tool = Ops(&view->dataPane);
    if (tool.paint) tool.paint(view, &view->dataPane, dc, &clip);
  }
  if (withPlayLine) DrawPlayLine(view, dc);
}

void DrawPanes(Trackview* view, HDC dc) {
  for (int i = 1; i < 16; ++i) {
    TrackviewPane* pane = view->panes[i];
    const PaneCallbacks& ops = Ops(pane);
    if (pane->height <= 0 || !ops.paint) continue;
    ScopedSaveDC saved(dc);
    IntersectClipRect(dc, pane->left, pane->top, pane->right, pane->bottom);
    RECT box;
    if (GetClipBox(dc, &box) != NULLREGION) ops.paint(view, pane, dc, &box);
  }
}

// Everything inside the update rectangle; the snapshot takes the view
// without the playback line, which frozen painting inverts over it.
void DrawContent(Trackview* view, HDC dc, const RECT& update, bool withPlayLine) {
  RECT data = DataRect(view);
  RECT visible;
  if (IntersectRect(&visible, &update, &data)) DrawDataArea(view, dc, visible, withPlayLine);
  DrawPanes(view, dc);
}

void PaintFrozen(Trackview* view, HDC dc, const RECT& update) {
  BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, view->snapshotDC,
         update.left, update.top, SRCCOPY);
  RECT data = DataRect(view);
  RECT visible;
  if (IntersectRect(&visible, &update, &data)) DrawPlayLine(view, dc);
}

void PaintIntoSnapshot(Trackview* view, HDC dc, const RECT& update) {
  RECT all{0, 0, view->snapshotWidth, view->snapshotHeight};
  DrawContent(view, view->snapshotDC, all, false);
  BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, view->snapshotDC,
         update.left, update.top, SRCCOPY);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (update.right > view->snapshotWidth) {
    FillSolid(dc, {std::max<LONG>(update.left, view->snapshotWidth), update.top, update.right, update.bottom}, face);
  }
  if (update.bottom > view->snapshotHeight) {
    FillSolid(dc, {update.left, std::max<LONG>(update.top, view->snapshotHeight), update.right, update.bottom}, face);
  }
}

// A resize released the frozen picture: draw it again at the new size.
void RebuildFrozen(Trackview* view) {
  if (!StartSnapshot(view, kSnapshotWholeClient)) return;
  view->flags &= ~kTvFrozen;
  RECT all{0, 0, view->snapshotWidth, view->snapshotHeight};
  DrawContent(view, view->snapshotDC, all, false);
  view->flags |= kTvFrozen;
}

void PaintDirect(Trackview* view, HDC dc, const RECT& update) {
  ScopedSaveDC saved(dc);
  IntersectClipRect(dc, update.left, update.top, update.right, update.bottom);
  DrawContent(view, dc, update, true);
}

// The buffer covers the update rectangle from its 8-aligned corner; drawing
// straight to the window is the fallback when it cannot be made.
void PaintBuffered(Trackview* view, HDC dc, const RECT& update) {
  RECT area{update.left & ~7L, update.top & ~7L, update.right, update.bottom};
  ScopedMemoryDC memory(dc);
  ScopedBitmap bitmap(memory ? CreateCompatibleBitmap(dc, area.right - area.left, area.bottom - area.top) : nullptr);
  if (!bitmap) {
    PaintDirect(view, dc, update);
    return;
  }
  ScopedSelect select(memory, bitmap.get());
  SetWindowOrgEx(memory, area.left, area.top, nullptr);
  IntersectClipRect(memory, update.left, update.top, update.right, update.bottom);
  DrawContent(view, memory, update, true);
  BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, memory, update.left,
         update.top, SRCCOPY);
}

}  // namespace

HFONT EngineFont(const Trackview* view) { return view->font ? view->font : KvGetUIFont(100); }

HFONT RulerFont() { return KvGetUIFont(110); }

int32_t FontHeight(HFONT font) {
  ScopedGetDC screen(nullptr);
  ScopedSelect select(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  return metrics.tmHeight;
}

void PaintTrackview(Trackview* view, HDC dc, const RECT& requested) {
  RECT update = requested;
  if (IsRectEmpty(&update)) GetClipBox(dc, &update);
  StoreSelectionColumn(view);
  if ((view->flags & kTvFrozen) && !view->snapshotDC) RebuildFrozen(view);
  if ((view->flags & kTvFrozen) && view->snapshotDC) {
    PaintFrozen(view, dc, update);
  } else if (view->snapshotMode == kSnapshotWholeClient && view->snapshotDC) {
    PaintIntoSnapshot(view, dc, update);
  } else if (view->source && view->source->UnbufferedDrawing()) {
    PaintDirect(view, dc, update);
  } else {
    PaintBuffered(view, dc, update);
  }
}

BOOL StartSnapshot(Trackview* view, int mode) {
  if (!view->window) return FALSE;
  RECT area = DataRect(view);
  if (mode == kSnapshotWholeClient) GetClientRect(view->window, &area);
  int width = std::max<LONG>(area.right - area.left, 1), height = std::max<LONG>(area.bottom - area.top, 1);
  if (!view->snapshotDC || width != view->snapshotWidth || height != view->snapshotHeight) {
    ReleaseSnapshot(view);
    ScopedGetDC screen(view->window);
    HDC memory = CreateCompatibleDC(screen);
    if (!memory) return FALSE;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (!bitmap) {
      DeleteDC(memory);
      return FALSE;
    }
    view->snapshotDC = memory;
    view->snapshotBitmap = bitmap;
    view->snapshotOldBitmap = SelectObject(memory, bitmap);
    view->snapshotOldFont = SelectObject(memory, EngineFont(view));
    PatBlt(memory, 0, 0, width, height, BLACKNESS);
    view->snapshotWidth = width;
    view->snapshotHeight = height;
  }
  SetWindowOrgEx(view->snapshotDC, area.left, area.top, nullptr);
  view->snapshotMode = mode;
  return TRUE;
}

void ReleaseSnapshot(Trackview* view) {
  if (view->snapshotDC) {
    SelectObject(view->snapshotDC, view->snapshotOldFont);
    SelectObject(view->snapshotDC, view->snapshotOldBitmap);
    DeleteDC(view->snapshotDC);
    DeleteObject(view->snapshotBitmap);
  }
  view->snapshotDC = nullptr;
  view->snapshotBitmap = nullptr;
  view->snapshotOldBitmap = nullptr;
  view->snapshotOldFont = nullptr;
  view->snapshotWidth = view->snapshotHeight = 0;
  view->snapshotMode = 0;
}

void FreezeView(Trackview* view, bool frozen) {
  if (!frozen) {
    view->flags &= ~kTvFrozen;
    ReleaseSnapshot(view);
    InvalidateAreas(view, kAreaAll);
    return;
  }
  if (!StartSnapshot(view, kSnapshotWholeClient)) return;
  view->flags = (view->flags | kTvDetached) & ~kTvMayReturn;
  RedrawWindow(view->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  view->flags |= kTvFrozen;
}

void EraseFollowLine(Trackview* view) {
  if (!view->window || view->playLineX == kNoPlayLine) return;
  ScopedGetDC dc(view->window);
  InvertPlayLine(view, dc, view->playLineX);
  view->playLineX = kNoPlayLine;
}

void MovePlaybackLine(Trackview* view, int64_t position) {
  if (position == view->playPos) return;
  view->playPos = position;
  if (!IsPlaying(view) || !view->window) {
    view->playLineX = kNoPlayLine;
    return;
  }
  int32_t x = view->TimeToX(position);
  if (x == view->playLineX) return;
  const TvRect& data = view->dataRect;
  bool leftward = x < data.left;
  bool move = !(view->flags & kTvDetached) && (leftward || x > data.right - view->rightMargin / 2);
  ScopedGetDC dc(view->window);
  if (view->playLineX != kNoPlayLine) InvertPlayLine(view, dc, view->playLineX);
  if (move) {
    // The line re-enters at the far end of the view.
    int64_t back = view->PixelsToTicks(leftward ? view->mapWidth : view->rightMargin);
    view->SetView(SatSub(position, back), view->viewSpan, kViewNoDetach);
    x = view->TimeToX(position);
  }
  view->playLineX = x;
  InvertPlayLine(view, dc, x);
  if (move && !GetInputState()) UpdateWindow(view->window);
}
