// The window class and its procedure: the record is bound at WM_CREATE and
// released at WM_DESTROY; everything in between is dispatched from here.
#include <windows.h>

#include <uxtheme.h>
#include <windowsx.h>

#include "trackview/engine.h"
#include "trackview/gdi.h"

namespace {

LRESULT OnCreate(HWND window, const CREATESTRUCTW* create) {
  auto* view = static_cast<Trackview*>(create->lpCreateParams);
  if (!view) return -1;
  // The panes see the window during their create phase.
  view->window = window;
  if (!StartPanes(view)) {
    view->window = nullptr;
    return -1;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  CreateTooltip(view);
  view->scrollTheme = OpenThemeData(window, L"SCROLLBAR");
  view->SetView(view->viewStart, view->viewSpan, kViewNoDetach);
  return 0;
}

void OnDestroy(Trackview* view) {
  EndMiddleScroll(view);
  StopAutoScroll(view);
  SetWindowLongPtrW(view->window, GWLP_USERDATA, 0);
  // The tip is a popup: its owner is the top-level window, which outlives this one.
  if (view->tooltip) DestroyWindow(view->tooltip);
  view->tooltip = nullptr;
  if (view->scrollTheme) CloseThemeData(view->scrollTheme);
  view->scrollTheme = nullptr;
  view->window = nullptr;
  for (int n = 1; n <= 16; ++n) {
    TrackviewPane* pane = view->panes[n % 16];
    const PaneCallbacks& ops = Ops(pane);
    if (ops.create) ops.create(view, pane, 1);
  }
  ReleaseSnapshot(view);
  FreeTrackview(view);
}

void OnSize(Trackview* view, WPARAM type, int width, int height) {
  if (type == SIZE_MINIMIZED || width <= 0 || height <= 0) return;
  view->clientWidth = width;
  view->clientHeight = height;
  Relayout(view, false);
  if (!view->firstSizeDone) {
    // Panes whose size depends on other panes settle in two more passes.
    view->firstSizeDone = TRUE;
    Relayout(view, true);
    Relayout(view, true);
  }
}

void OnPaint(Trackview* view) {
  ScopedPaint paint(view->window);
  PaintTrackview(view, paint.dc(), paint.update());
}

void OnPrintClient(Trackview* view, HDC dc) {
  RECT client;
  GetClientRect(view->window, &client);
  PaintTrackview(view, dc, client);
}

LRESULT OnNcHitTest(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefWindowProcW(view->window, msg, wParam, lParam);
  if (!GetCapture()) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(view->window, &point);
    HitTestAt(view, point, false);
  }
  return result;
}

LRESULT Dispatch(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND window = view->window;
  const TrackviewHooks* hooks = view->hooks;
  if (msg >= WM_MOUSEFIRST && msg <= WM_XBUTTONDBLCLK) return RouteMouse(view, msg, wParam, lParam);
  if ((msg >= WM_CUT && msg <= WM_UNDO + 3) || (msg >= kMsgFirstEdit && msg <= kMsgSelectAll)) {
    if (hooks && hooks->edit) return hooks->edit(view, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  if (msg >= WM_QUERYNEWPALETTE && msg <= WM_PALETTECHANGED) {
    if (hooks && hooks->palette) return hooks->palette(view, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_SIZE:
      OnSize(view, wParam, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETFOCUS:
      OnSetFocus(view);
      return 0;
    case WM_KILLFOCUS:
      OnKillFocus(view);
      return 0;
    case WM_PAINT:
      OnPaint(view);
      return 0;
    case WM_PRINTCLIENT:
      OnPrintClient(view, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_THEMECHANGED:
      if (view->scrollTheme) CloseThemeData(view->scrollTheme);
      view->scrollTheme = OpenThemeData(window, L"SCROLLBAR");
      InvalidateAreas(view, kAreaAll);
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_WININICHANGE:
      ReadDragThresholds(view);
      if (hooks && hooks->settingsChanged) hooks->settingsChanged(view, msg, wParam, lParam);
      return 0;
    case WM_CANCELMODE: {
      EndMiddleScroll(view);
      TrackviewPane* pane = HoveredPane(view);
      if (Ops(pane).message) Ops(pane).message(view, pane, msg, wParam, lParam);
      return DefWindowProcW(window, msg, wParam, lParam);
    }
    case WM_CAPTURECHANGED:
      // Losing the capture to another window ends a drag as a cancel does.
      if (reinterpret_cast<HWND>(lParam) != window &&
          (view->dragMode != 0 || (view->flags & (kTvControlHeld | kTvMiddleScroll)))) {
        SendMessageW(window, WM_CANCELMODE, 0, 0);
      }
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(view, reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      return DefWindowProcW(window, msg, wParam, lParam);
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      if (hooks && hooks->ownerDraw) return hooks->ownerDraw(view, msg, wParam, lParam);
      return DefWindowProcW(window, msg, wParam, lParam);
    case WM_SETFONT:
      view->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(view->font);
    case WM_NOTIFY:
      return hooks && hooks->notify ? hooks->notify(view, wParam, lParam) : 0;
    case WM_COMMAND:
      return hooks && hooks->command ? hooks->command(view, wParam, lParam) : 0;
    case WM_HELP:
      if (hooks && hooks->help && hooks->help(view, wParam, lParam)) return TRUE;
      return DefWindowProcW(window, msg, wParam, lParam);
    case WM_CONTEXTMENU:
      OnContextMenu(view, wParam, lParam);
      return 0;
    case WM_NCHITTEST:
      return OnNcHitTest(view, msg, wParam, lParam);
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return HandleKey(view, msg, wParam, lParam);
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return OnSysKey(view, msg, wParam, lParam);
    case WM_SYSCHAR:
      if (wParam == VK_BACK) return SendMessageW(window, WM_UNDO, 0, 0);
      return DefWindowProcW(window, msg, wParam, lParam);
    case WM_TIMER:
      OnTimer(view, wParam);
      return 0;
    case WM_MENUSELECT:
    case WM_ENTERIDLE:
      return SendMessageW(GetParent(window), msg, wParam, lParam);
    case WM_MOUSELEAVE:
      ClearHover(view);
      return 0;
    case WM_DESTROY:
      OnDestroy(view);
      return 0;
    default:
      return DefWindowProcW(window, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TrackviewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<Trackview*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view) return Dispatch(view, msg, wParam, lParam);
  if (msg == WM_CREATE) return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

BOOL RegisterTrackviewClass(HINSTANCE module) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = TrackviewProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kTrackviewClassName;
  if (!RegisterClassExW(&wc)) return FALSE;
  if (!CreateGlyphStrip()) {
    UnregisterClassW(kTrackviewClassName, module);
    return FALSE;
  }
  return TRUE;
}

void UnregisterTrackviewClass(HINSTANCE module) {
  UnregisterClassW(kTrackviewClassName, module);
  DestroyGlyphStrip();
}

HWND CreateTrackviewWindow(HWND parent, Trackview* view, HINSTANCE module) {
  HWND window = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kTrackviewClassName, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, 0, 0, parent, nullptr,
                                module, view);
  if (!window) FreeTrackview(view);
  return window;
}
