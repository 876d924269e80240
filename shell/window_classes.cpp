#include "shell/window_classes.h"

#include "trackview/trackview.h"

namespace {

constexpr wchar_t kLogoClassName[] = L"pianorollBld0LogoClass";

// The logo strip draws nothing of its own yet: the class gives the editor frame
// a window of the right name, style and background to lay out.
void RegisterLogoClass(HINSTANCE module) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.cbWndExtra = 4;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kLogoClassName;
  RegisterClassExW(&wc);
}

}  // namespace

// Registration may fail (a class of the name exists already); the module loads
// regardless, and the window that needs the class fails to be created.
void RegisterWindowClasses(HINSTANCE module) {
  RegisterLogoClass(module);
  RegisterTrackviewClass(module);
}

void UnregisterWindowClasses(HINSTANCE module) {
  UnregisterClassW(kLogoClassName, module);
  UnregisterTrackviewClass(module);
}
