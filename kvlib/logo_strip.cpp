#include "kvlib/logo_strip.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <new>
#include <vector>

#include "kvlib/gdi_object.h"
#include "kvlib/module.h"
#include "kvlib/ui_resources.h"

namespace {

constexpr UINT_PTR kHoverTimer = 51;
constexpr UINT kHoverMs = 130;
constexpr int kButtonTextMax = 64;
constexpr int kUIFont = 110;
constexpr int kButtonPadding = 8;
constexpr int kRightInset = 2;

std::atomic<UINT> gLogo{5}, gHotLogo{7};
wchar_t gLink[260] = L"https://velora.example/pianoroll";

struct TextButton {
  UINT command;
  wchar_t text[kButtonTextMax + 1];
  RECT box;
};

// Item under the mouse: -1 none, -2 the logo, else a button index.
constexpr int kNone = -1, kLogoItem = -2;

struct Strip {
  HWND window;
  HBITMAP logo, hotLogo;  // owned; may be null
  SIZE logoSize;
  std::vector<TextButton> buttons;
  int hover = kNone;
  int pressed = kNone;
};

Strip* StripOf(HWND window) { return reinterpret_cast<Strip*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

// Loads a bitmap resource when its header is the 40-byte kind.
HBITMAP LoadLogo(UINT id) {
  HINSTANCE module = KvModule_Handle();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
  if (!header || SizeofResource(module, found) < sizeof *header || header->biSize != sizeof *header) return nullptr;
  return static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

RECT LogoBox(const Strip& s) { return RECT{0, 0, s.logoSize.cx, s.logoSize.cy}; }

void Layout(Strip& s) {
  RECT client;
  GetClientRect(s.window, &client);
  InflateRect(&client, -1, -1);
  const int leftLimit = std::max<int>(client.left, s.logoSize.cx);
  ScreenDC screen;
  HGDIOBJ old = SelectObject(screen.get(), KvGetUIFont(kUIFont));
  // Widths first, then placed from the right so that they read in order.
  int right = client.right - kRightInset;
  for (auto it = s.buttons.rbegin(); it != s.buttons.rend(); ++it) {
    SIZE text{};
    GetTextExtentPoint32W(screen.get(), it->text, static_cast<int>(wcslen(it->text)), &text);
    const int width = std::max(0, std::min<int>(text.cx + kButtonPadding, right - leftLimit));
    it->box = RECT{right - width, client.top, right, client.bottom};
    right -= width;
  }
  SelectObject(screen.get(), old);
}

int ItemAt(const Strip& s, POINT p) {
  RECT logo = LogoBox(s);
  if (s.logo && PtInRect(&logo, p)) return kLogoItem;
  for (size_t i = 0; i < s.buttons.size(); ++i)
    if (PtInRect(&s.buttons[i].box, p)) return static_cast<int>(i);
  return kNone;
}

void Paint(Strip& s, HDC target) {
  RECT client;
  GetClientRect(s.window, &client);
  if (IsRectEmpty(&client)) return;
  HDC dc = CreateCompatibleDC(target);
  GdiObject<HBITMAP> buffer(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!dc || !buffer) {
    if (dc) DeleteDC(dc);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(dc, buffer.get());
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HBITMAP logo = s.hover == kLogoItem && s.hotLogo ? s.hotLogo : s.logo;
  if (logo) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, logo);
    BitBlt(dc, 0, 0, s.logoSize.cx, s.logoSize.cy, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  HGDIOBJ oldFont = SelectObject(dc, KvGetUIFont(kUIFont));
  SetBkMode(dc, TRANSPARENT);
  wchar_t text[256];
  const int length = GetWindowTextW(s.window, text, 256);
  const int buttonsLeft = s.buttons.empty() ? client.right : s.buttons.front().box.left;
  if (length > 0) {
    RECT frame{s.logoSize.cx, client.top, client.right, client.bottom};
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT area{s.logoSize.cx + 6, client.top, buttonsLeft, client.bottom};
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, text, length, &area, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  for (size_t i = 0; i < s.buttons.size(); ++i) {
    TextButton& b = s.buttons[i];
    const bool hot = s.hover == static_cast<int>(i);
    if (hot) FillRect(dc, &b.box, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    RECT box = b.box;
    DrawTextW(dc, b.text, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SelectObject(dc, oldFont);
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
}

void TrackHover(Strip& s) {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(s.window, &p);
  RECT client;
  GetClientRect(s.window, &client);
  const bool inside = PtInRect(&client, p) && WindowFromPoint([&] {
                                                 POINT q = p;
                                                 ClientToScreen(s.window, &q);
                                                 return q;
                                               }()) == s.window;
  const int item = inside ? ItemAt(s, p) : kNone;
  if (item != s.hover) {
    s.hover = item;
    InvalidateRect(s.window, nullptr, FALSE);
  }
  if (!inside) KillTimer(s.window, kHoverTimer);
}

LRESULT CALLBACK StripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Strip* s = StripOf(window);
  switch (message) {
    case WM_NCCREATE: {
      s = new (std::nothrow) Strip{};
      if (!s) return FALSE;
      s->window = window;
      s->logo = LoadLogo(gLogo);
      s->hotLogo = LoadLogo(gHotLogo);
      BITMAP info{};
      if (s->logo && GetObjectW(s->logo, sizeof info, &info)) s->logoSize = SIZE{info.bmWidth, info.bmHeight};
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
      break;
    }
    case WM_NCDESTROY:
      if (s) {
        if (s->logo) DeleteObject(s->logo);
        if (s->hotLogo) DeleteObject(s->hotLogo);
        delete s;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      }
      break;
    default:
      break;
  }
  if (!s) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case KV_LOGO_CLEARBUTTONS:
      s->buttons.clear();
      s->hover = s->pressed = kNone;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case KV_LOGO_ADDBUTTON: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      TextButton b{LOWORD(wParam), {}, {}};
      if (text) wcsncpy(b.text, text, kButtonTextMax);
      try {
        s->buttons.push_back(b);
      } catch (const std::bad_alloc&) {
        return 0;
      }
      Layout(*s);
      if (HIWORD(wParam)) InvalidateRect(window, nullptr, FALSE);
      return 1;
    }
    case WM_SIZE:
      Layout(*s);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, FALSE);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      Paint(*s, dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(*s, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      SetTimer(window, kHoverTimer, kHoverMs, nullptr);
      TrackHover(*s);
      return 0;
    case WM_TIMER:
      if (wParam == kHoverTimer) TrackHover(*s);
      return 0;
    case WM_LBUTTONDOWN:
      s->pressed = ItemAt(*s, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (s->pressed != kNone) SetCapture(window);
      return 0;
    case WM_LBUTTONUP: {
      const int pressed = s->pressed;
      s->pressed = kNone;
      if (GetCapture() == window) ReleaseCapture();
      const int item = ItemAt(*s, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (pressed == kNone || item != pressed) return 0;
      if (item == kLogoItem) {
        ShellExecuteW(window, L"open", gLink, nullptr, nullptr, SW_SHOWNORMAL);
      } else {
        PostMessageW(GetParent(window), WM_COMMAND, s->buttons[static_cast<size_t>(item)].command,
                     reinterpret_cast<LPARAM>(window));
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      s->pressed = kNone;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

ATOM KvLogoStrip_Register(HINSTANCE module, const wchar_t* className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
  wc.lpfnWndProc = StripProc;
  wc.cbWndExtra = 4;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  return RegisterClassExW(&wc);
}

void KvLogoStrip_Unregister(HINSTANCE module, const wchar_t* className) { UnregisterClassW(className, module); }

void KvLogoStrip_SetLogo(UINT normal, UINT hot) {
  gLogo = normal;
  gHotLogo = hot;
}

void KvLogoStrip_SetLink(const wchar_t* address) {
  if (address) wcsncpy(gLink, address, std::size(gLink) - 1);
}
