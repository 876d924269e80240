#include "shell/page/editor_window.h"

#include "kvlib/module.h"
#include "mididata/event_store.h"
#include "shell/page/editor_messages.h"
#include "shell/page/editor_page.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

constexpr wchar_t kClassName[] = L"pianorollBld0EditorWindow";

LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* page = reinterpret_cast<const EditorPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  MidiPluginBase* plugin = page ? page->plugin() : nullptr;
  switch (message) {
    case WM_PLUGIN_REFRESH:
      if (plugin) plugin->DrainNotifications(false);
      return 1;
    case WM_PLUGIN_POSITION:
      if (plugin) plugin->ClearStateBits(kStorePositionPosted);
      return 1;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool EnsureClass() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(KvModule_Handle(), kClassName, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = EditorWindowProc;
  wc.hInstance = KvModule_Handle();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

HWND CreateEditorWindow(HWND parent, EditorPage* page) {
  if (!EnsureClass()) return nullptr;
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                         nullptr, KvModule_Handle(), page);
}

void UnregisterEditorWindowClass() { UnregisterClassW(kClassName, KvModule_Handle()); }
