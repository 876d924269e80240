// One tracking tooltip for the thread; thread hooks take it down at the
// next button press or key, as pop-up help does.
#include "kvlib/context_help.h"

#include <commctrl.h>

#include "kvlib/module.h"

namespace {

constexpr int kMaxTipWidth = 320;

struct PopupState {
  HWND tip = nullptr;
  HHOOK mouseHook = nullptr;
  HHOOK keyHook = nullptr;
  wchar_t text[1024] = {};
};
thread_local PopupState popup;

LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = popup.mouseHook;
  if (code == HC_ACTION && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN || wParam == WM_MBUTTONDOWN ||
                            wParam == WM_NCLBUTTONDOWN || wParam == WM_NCRBUTTONDOWN)) {
    KvContextHelp_Hide();
  }
  return CallNextHookEx(self, code, wParam, lParam);
}

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = popup.keyHook;
  bool pressed = !(lParam & (LPARAM{1} << 31));
  if (code == HC_ACTION && pressed) KvContextHelp_Hide();
  return CallNextHookEx(self, code, wParam, lParam);
}

}  // namespace

bool KvContextHelp_Show(HWND owner, int topic, POINT screen) {
  KvContextHelp_Hide();
  HINSTANCE module = KvModule_Handle();
  if (topic <= 0 || LoadStringW(module, static_cast<UINT>(topic), popup.text, ARRAYSIZE(popup.text)) <= 0) {
    return false;
  }
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, module,
                             nullptr);
  if (!tip) return false;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = owner;
  tool.uId = 1;
  tool.hinst = module;
  tool.lpszText = popup.text;
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
  SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
  SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  popup.tip = tip;
  popup.mouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
  popup.keyHook = SetWindowsHookExW(WH_KEYBOARD, KeyHook, nullptr, GetCurrentThreadId());
  return true;
}

HWND KvContextHelp_Window() { return popup.tip; }

void KvContextHelp_Hide() {
  if (popup.mouseHook) UnhookWindowsHookEx(popup.mouseHook);
  if (popup.keyHook) UnhookWindowsHookEx(popup.keyHook);
  if (popup.tip) DestroyWindow(popup.tip);
  popup.tip = nullptr;
  popup.mouseHook = popup.keyHook = nullptr;
}
