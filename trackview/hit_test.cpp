// Hit testing and the tooltip that follows it.
#include <windowsx.h>

#include "trackview/engine.h"

namespace {

constexpr UINT kTipAutoPopMs = 60000;

void SendTipText(Trackview* view) {
  view->tipText[kTipTextLength - 1] = L'\0';
  view->tipTool.lpszText = view->tipText;
  SendMessageW(view->tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&view->tipTool));
}

void UpdateTooltip(Trackview* view, const TrackviewPane* pane) {
  bool text = view->flags & kTvTipText;
  bool active = view->flags & kTvTipActive;
  if (text != active) {
    view->flags ^= kTvTipActive;
    if (view->tooltip) {
      SendMessageW(view->tooltip, TTM_ACTIVATE, text, 0);
      if (text) {
        view->tipTool.rect = pane ? PaneRect(pane) : RECT{};
        SendMessageW(view->tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&view->tipTool));
        SendTipText(view);
      }
    }
  } else if ((view->flags & kTvTipChanged) && view->tooltip) {
    SendTipText(view);
  }
  view->flags &= ~kTvTipChanged;
}

// The pane's own code at the point, which it may use to offer tooltip text.
uint32_t PaneHit(Trackview* view, TrackviewPane* pane, POINT point) {
  const PaneCallbacks& ops = Ops(pane);
  uint32_t local = ops.hitTest ? ops.hitTest(view, pane, point.x, point.y) & 0xFFFF : 0;
  return pane->paneId | local;
}

// The tool hears when the note or row under the pointer changed.
void TellHover(Trackview* view) {
  if (view->hitRow == view->toldRow && view->hitNote == view->toldNote) return;
  view->toldRow = view->hitRow;
  view->toldNote = view->hitNote;
  const PaneCallbacks& tool = Ops(&view->dataPane);
  if (tool.query) {
    tool.query(view, &view->dataPane, kQueryHoverChanged, static_cast<WPARAM>(view->hitRow),
               static_cast<LPARAM>(view->hitNote));
  }
}

}  // namespace

void HitTestAt(Trackview* view, POINT point, bool force) {
  if (!force && !(view->flags & kTvHitStale) && point.x == view->hitPoint.x && point.y == view->hitPoint.y) return;
  view->hitPoint = point;
  view->hitCode = 0;
  view->hitRow = -1;
  view->hitNote = 0;
  view->flags &= ~kTvTipText;
  TrackviewPane* hit = nullptr;
  for (int i = 0; i < 16; ++i) {
    TrackviewPane* pane = view->panes[i];
    RECT rect = PaneRect(pane);
    if (pane->width > 0 && pane->height > 0 && PtInRect(&rect, point)) {
      hit = pane;
      view->hitCode = PaneHit(view, pane, point);
      break;
    }
  }
  UpdateTooltip(view, hit);
  TellHover(view);
  view->flags &= ~kTvHitStale;
}

void RefreshHitCode(Trackview* view) {
  if (!view->window) return;
  POINT screen;
  GetCursorPos(&screen);
  POINT point = screen;
  ScreenToClient(view->window, &point);
  if (GetCapture()) {
    // The pane under the mouse does not change during a drag.
    TrackviewPane* pane = HoveredPane(view);
    view->hitPoint = point;
    view->hitCode = PaneHit(view, pane, point);
    TellHover(view);
    return;
  }
  if (view->headerWindow && WindowFromPoint(screen) == view->headerWindow) {
    SendMessageW(view->headerWindow, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    return;
  }
  HitTestAt(view, point, true);
}

void CreateTooltip(Trackview* view) {
  auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(view->window, GWLP_HINSTANCE));
  view->tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, view->window, nullptr, module, nullptr);
  if (!view->tooltip) return;  // the view works without tips
  SendMessageW(view->tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipAutoPopMs, 0));
  SendMessageW(view->tooltip, TTM_ACTIVATE, (view->flags & kTvTipActive) != 0, 0);
  TTTOOLINFOW& tool = view->tipTool;
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = 0;
  tool.hwnd = view->window;
  tool.uId = 1;
  tool.hinst = module;
  tool.lpszText = view->tipText;
  SendMessageW(view->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(view->tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

void RelayToTooltip(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!view->tooltip) return;
  MSG relayed{view->window, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  DWORD position = GetMessagePos();
  relayed.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  SendMessageW(view->tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void HideTooltip(Trackview* view) {
  if (view->tooltip) SendMessageW(view->tooltip, TTM_POP, 0, 0);
}
