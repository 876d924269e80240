// The About box: product name, version, maker and legal notice.
#include <string>

#include "kvlib/module.h"
#include "resources/resource_ids.h"
#include "shell/dialogs/dialogs.h"
#include "shell/module_strings.h"

namespace {

constexpr wchar_t kVersion[] = L"Version 1.0 (Build 571)";
constexpr wchar_t kMaker[] = L"Made by the Velora piano roll team";

// A format string of the module with one string argument.
std::wstring FormatWith(UINT format, const std::wstring& argument) {
  const std::wstring pattern = LoadModuleString(format);
  std::wstring out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's') {
      out += argument;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreOnOwner(dialog);
    const std::wstring product = LoadModuleString(IDS_PRODUCT_NAME);
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, kVersion);
    SetDlgItemTextW(dialog, IDC_ABOUT_NAME, FormatWith(IDS_ABOUT_NAME, product).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_MAKER, kMaker);
    SetWindowTextW(dialog, FormatWith(IDS_ABOUT_CAPTION, product).c_str());
    SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, LoadModuleString(IDS_LEGAL_NOTICE).c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunAboutBox(HWND owner) {
  return DialogBoxParamW(KvModule_Handle(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}
