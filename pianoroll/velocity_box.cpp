// The velocity entry box: a one-line edit over the note's row, run in a
// message loop of its own until it is accepted or cancelled.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "kvlib/module.h"
#include "kvlib/ui_resources.h"
#include "mididata/edit_gestures.h"
#include "pianoroll/roll_internal.h"

namespace {

bool IsButtonPress(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_NCLBUTTONDOWN || msg == WM_NCRBUTTONDOWN ||
         msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK;
}

}  // namespace

bool InPlaceEdit(HWND owner, RECT rect, HFONT font, wchar_t* buffer, int capacity) {
  if (!owner || capacity < 2) return false;
  rect.left -= 2;
  rect.top -= 1;
  int height = HIWORD(KvGetUIFontSize(100)) + 4;
  int top = rect.top + (rect.bottom - rect.top - height) / 2;
  HWND edit = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"EDIT", buffer, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                              rect.left, top, rect.right - rect.left, height, owner, nullptr, KvModule_Handle(), nullptr);
  if (!edit) return false;
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(edit, EM_LIMITTEXT, capacity - 1, 0);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SetFocus(edit);
  bool accepted = false, done = false;
  MSG msg;
  while (!done && GetFocus() == edit) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT || msg.message == WM_CANCELMODE || msg.message == WM_MBUTTONDOWN ||
        msg.message == WM_MOUSEWHEEL || (IsButtonPress(msg.message) && msg.hwnd != edit)) {
      accepted = done = true;  // the press stays queued and then acts as usual
      break;
    }
    if (msg.message == WM_SYSKEYDOWN && !(msg.wParam == VK_BACK)) {
      accepted = done = true;
      break;
    }
    PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
    if (msg.message == WM_KEYDOWN && msg.hwnd == edit) {
      if (msg.wParam == VK_RETURN || msg.wParam == VK_TAB) {
        accepted = done = true;
        break;
      }
      if (msg.wParam == VK_ESCAPE) {
        done = true;
        break;
      }
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!done) accepted = true;  // the edit lost the focus
  if (accepted) GetWindowTextW(edit, buffer, capacity);
  DestroyWindow(edit);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  return accepted;
}

void OpenVelocityBox(Trackview* view, const ItemPath* note) {
  PianoRoll* roll = Roll(view);
  int32_t row = view->firstRow;
  int x = view->dataRect.left;
  int velocity = 64;
  MidiEvent shown{};
  if (note && SUCCEEDED(ReadNote(view, *note, &shown))) {
    row = std::max(RowOfPitch(shown.data[0]), 0);
    x = view->TimeToX(shown.start);
    velocity = shown.data[1];
  }
  int size = KvGetUIFontSize(100);
  int cw = LOWORD(size), ch = HIWORD(size);
  int rowTop = view->RowToY(row);
  RECT rect{x + 4, rowTop + 3, x + 4 + 10 * cw, rowTop + ch + 6};
  wchar_t text[8];
  std::swprintf(text, 8, L"%d", velocity);
  HWND window = view->window;
  bool accepted = InPlaceEdit(window, rect, KvGetUIFont(100), text, 8);
  if (!StillAlive(window, roll)) return;  // the loop may have seen the window go
  if (accepted && text[0]) {
    wchar_t* end = nullptr;
    long value = std::wcstol(text, &end, 10);
    if (end == text) value = 64;
    SetSelectedVelocity(Store(view), static_cast<uint8_t>(std::clamp<long>(value, 1, 127)));
  }
  InvalidateNotes(roll);
  PostStateRefresh(view);
}
