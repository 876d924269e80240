// Scroll-and-zoom controls: layout from the system metrics, the part under
// the pointer with its tooltip, and the cursors over the zoom parts.
#include <algorithm>
#include <cwchar>

#include "trackview/scroll_control.h"

namespace {

constexpr int kSliderCursor[2] = {10, 9};  // vertical, horizontal
constexpr int kHandleCursor[2] = {14, 13};

ScrollMetrics Metrics(bool horizontal) {
  if (horizontal) {
    return {std::max(GetSystemMetrics(SM_CYHSCROLL), 14), GetSystemMetrics(SM_CXHSCROLL),
            std::max(GetSystemMetrics(SM_CXHSCROLL), 16), std::max(GetSystemMetrics(SM_CXHTHUMB), 12),
            std::max(GetSystemMetrics(SM_CXVSCROLL), 16)};
  }
  return {std::max(GetSystemMetrics(SM_CXVSCROLL), 16), GetSystemMetrics(SM_CYVSCROLL),
          std::max(GetSystemMetrics(SM_CYVSCROLL), 14), std::max(GetSystemMetrics(SM_CYVTHUMB), 12),
          std::max(GetSystemMetrics(SM_CYHSCROLL), 14)};
}

void Layout(TrackviewPane* base, RECT* remaining, bool horizontal) {
  auto* pane = static_cast<ScrollControlPane*>(base);
  ScrollMetrics metrics = Metrics(horizontal);
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = 0;
  pane->height = 0;
  int room = horizontal ? remaining->bottom - remaining->top : remaining->right - remaining->left;
  if (room >= metrics.thickness) {
    if (horizontal) {
      pane->top = remaining->bottom - metrics.thickness;
      pane->width = remaining->right - remaining->left;
      pane->height = metrics.thickness;
      remaining->bottom -= metrics.thickness;
    } else {
      pane->left = remaining->right - metrics.thickness;
      pane->width = metrics.thickness;
      pane->height = remaining->bottom - remaining->top;
      remaining->right -= metrics.thickness;
    }
  }
  int begin = horizontal ? pane->left : pane->top;
  int length = horizontal ? pane->width : pane->height;
  pane->parts = LayOutScrollParts(begin, begin + length, metrics, (pane->flags & kPaneCornerMask) != 0);
}

const wchar_t* ZoomTip(int part, bool horizontal) {
  if (part == kPartZoomIn) return horizontal ? L"Zoom In Time (Up)" : L"Zoom In Track Height (Ctrl+Shift+Up)";
  if (part == kPartZoomOut) return horizontal ? L"Zoom Out Time (Down)" : L"Zoom Out Track Height (Ctrl+Shift+Down)";
  return nullptr;
}

uint32_t HitTest(Trackview* view, TrackviewPane* base, int x, int y, bool horizontal) {
  auto* pane = static_cast<ScrollControlPane*>(base);
  AxisSpan thumb = CurrentThumb(view, pane, horizontal);
  ScrollPart part = HitScrollPart(pane->parts, thumb, horizontal ? x : y, !(pane->flags & kPaneNoZoomHandles));
  if (const wchar_t* tip = ZoomTip(part, horizontal)) {
    if (std::wcscmp(view->tipText, tip) != 0) {
      std::wcsncpy(view->tipText, tip, kTipTextLength - 1);
      view->tipText[kTipTextLength - 1] = L'\0';
      view->flags |= kTvTipChanged;
    }
    view->flags |= kTvTipText;
  }
  return part;
}

int Cursor(uint32_t hitCode, bool horizontal) {
  uint32_t part = HitLocal(hitCode);
  if (part == kPartZoomSlider) return kSliderCursor[horizontal];
  if (part == kPartNearHandle || part == kPartFarHandle) return kHandleCursor[horizontal];
  return kArrowCursor;
}

}  // namespace

AxisSpan CurrentThumb(const Trackview* view, const ScrollControlPane* pane, bool horizontal) {
  if (horizontal) return ThumbSpan(pane->parts, view->viewStart, view->viewSpan, view->totalLength);
  return ThumbSpan(pane->parts, view->vertStart, view->vertSpan, view->vertTotal);
}

const PaneCallbacks kHScrollPaneCallbacks = {
    nullptr,
    [](Trackview*, TrackviewPane* pane, RECT* remaining) { Layout(pane, remaining, true); },
    [](Trackview* view, TrackviewPane* pane, int x, int y) { return HitTest(view, pane, x, y, true); },
    ScrollControlMessage,
    [](Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
      PaintScrollControl(view, static_cast<ScrollControlPane*>(pane), dc, true);
    },
    [](Trackview*, TrackviewPane*, uint32_t hitCode) { return Cursor(hitCode, true); },
    nullptr,
    nullptr,
    nullptr,
};

const PaneCallbacks kVScrollPaneCallbacks = {
    nullptr,
    [](Trackview*, TrackviewPane* pane, RECT* remaining) { Layout(pane, remaining, false); },
    [](Trackview* view, TrackviewPane* pane, int x, int y) { return HitTest(view, pane, x, y, false); },
    ScrollControlMessage,
    [](Trackview* view, TrackviewPane* pane, HDC dc, const RECT*) {
      PaintScrollControl(view, static_cast<ScrollControlPane*>(pane), dc, false);
    },
    [](Trackview*, TrackviewPane*, uint32_t hitCode) { return Cursor(hitCode, false); },
    nullptr,
    nullptr,
    nullptr,
};
