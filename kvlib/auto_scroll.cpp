// The origin mark is a popup of its own so that it stays in sight while the
// window under it scrolls and repaints.
#include "kvlib/auto_scroll.h"

#include <cstdint>

#include "kvlib/module.h"

namespace {

constexpr wchar_t kMarkClass[] = L"KvAutoScrollMark";
constexpr int kMarkSize = 28;

void Triangle(HDC dc, POINT a, POINT b, POINT c) {
  POINT points[3] = {a, b, c};
  Polygon(dc, points, 3);
}

void PaintMark(HWND mark) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(mark, &paint);
  UINT ways = static_cast<UINT>(GetWindowLongPtrW(mark, GWLP_USERDATA));
  RECT r;
  GetClientRect(mark, &r);
  HBRUSH face = GetSysColorBrush(COLOR_WINDOW);
  FillRect(dc, &r, face);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  int c = kMarkSize / 2, n = 4, f = 10;
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  Ellipse(dc, 0, 0, kMarkSize, kMarkSize);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Ellipse(dc, c - 2, c - 2, c + 2, c + 2);
  if (ways & kKvScrollAcross) {
    Triangle(dc, {c - f, c}, {c - f + n, c - n}, {c - f + n, c + n});
    Triangle(dc, {c + f - 1, c}, {c + f - 1 - n, c - n}, {c + f - 1 - n, c + n});
  }
  if (ways & kKvScrollDown) {
    Triangle(dc, {c, c - f}, {c - n, c - f + n}, {c + n, c - f + n});
    Triangle(dc, {c, c + f - 1}, {c - n, c + f - 1 - n}, {c + n, c + f - 1 - n});
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  EndPaint(mark, &paint);
}

LRESULT CALLBACK MarkProc(HWND mark, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintMark(mark);
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the pointer belongs to the window underneath
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcW(mark, msg, wParam, lParam);
  }
}

bool RegisterMarkClass(HINSTANCE module) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(module, kMarkClass, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = MarkProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
  wc.lpszClassName = kMarkClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool KvAutoScroll_Begin(KvAutoScroll* scroll, HWND window, POINT client, int markId, UINT ways) {
  KvAutoScroll_End(scroll);
  HINSTANCE module = KvModule_Handle();
  if (!window || !RegisterMarkClass(module)) return false;
  POINT screen = client;
  ClientToScreen(window, &screen);
  HWND mark = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kMarkClass, nullptr, WS_POPUP,
                              screen.x - kMarkSize / 2, screen.y - kMarkSize / 2, kMarkSize, kMarkSize, window,
                              nullptr, module, nullptr);
  if (!mark) return false;
  SetWindowLongPtrW(mark, GWLP_USERDATA, static_cast<LONG_PTR>(ways));
  HRGN round = CreateEllipticRgn(0, 0, kMarkSize + 1, kMarkSize + 1);
  if (round && !SetWindowRgn(mark, round, FALSE)) DeleteObject(round);  // the window owns it on success
  ShowWindow(mark, SW_SHOWNOACTIVATE);
  UpdateWindow(mark);
  *scroll = {window, mark, client, markId, false};
  return true;
}

RECT KvAutoScroll_MarkRect(const KvAutoScroll* scroll) {
  POINT o = scroll->origin;
  return {o.x - kMarkSize / 2, o.y - kMarkSize / 2, o.x + kMarkSize / 2, o.y + kMarkSize / 2};
}

bool KvAutoScroll_OnMark(const KvAutoScroll* scroll, POINT client) {
  RECT r = KvAutoScroll_MarkRect(scroll);
  return scroll->mark && PtInRect(&r, client);
}

void KvAutoScroll_SetCursor(const KvAutoScroll* scroll, POINT client) {
  int dx = client.x - scroll->origin.x, dy = client.y - scroll->origin.y;
  LPCWSTR shape = IDC_SIZEALL;
  if (!KvAutoScroll_OnMark(scroll, client)) {
    // Eight directions: a diagonal when both offsets are comparable.
    int64_t xx = int64_t{dx} * dx, yy = int64_t{dy} * dy;
    bool across = xx > 4 * yy, down = yy > 4 * xx;
    if (across) {
      shape = IDC_SIZEWE;
    } else if (down) {
      shape = IDC_SIZENS;
    } else {
      shape = (dx > 0) == (dy > 0) ? IDC_SIZENWSE : IDC_SIZENESW;
    }
  }
  SetCursor(LoadCursorW(nullptr, shape));
}

void KvAutoScroll_End(KvAutoScroll* scroll) {
  if (scroll->mark) DestroyWindow(scroll->mark);
  *scroll = {};
}
