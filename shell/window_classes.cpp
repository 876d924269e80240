#include "shell/window_classes.h"

#include <atomic>

#include "kvlib/logo_strip.h"
#include "resources/resource_ids.h"
#include "shell/reg_key.h"
#include "trackview/trackview.h"

namespace {

constexpr wchar_t kLogoClassName[] = L"pianorollBld0LogoClass";
constexpr wchar_t kLocaleKey[] = L"Software\\Orvane\\Shared Information";

std::atomic<bool> gLogoRegistered{false};
std::atomic<bool> gLogoChosen{false};

// The installation locale; a missing key or value reads as 0.
DWORD InstallationLocale() {
  RegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kLocaleKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return 0;
  DWORD value = 0, type = 0, size = sizeof value;
  if (RegQueryValueExW(key.get(), L"Locale", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return 0;
  }
  return value;
}

}  // namespace

// Registration may fail (a class of the name exists already); the module loads
// regardless, and the window that needs the class fails to be created.
void RegisterWindowClasses(HINSTANCE module) {
  gLogoRegistered = KvLogoStrip_Register(module, kLogoClassName) != 0;
  RegisterTrackviewClass(module);
}

void ChooseLogoBitmaps() {
  if (!gLogoRegistered || gLogoChosen.exchange(true)) return;
  switch (InstallationLocale()) {
    case 0:
      KvLogoStrip_SetLogo(IDB_LOGO, IDB_LOGO_HOT);
      break;
    case 1:
      KvLogoStrip_SetLogo(IDB_LOGO_LOCALE1, IDB_LOGO_HOT_LOCALE1);
      break;
    default:
      break;  // the library's own logo
  }
}

void UnregisterWindowClasses(HINSTANCE module) {
  KvLogoStrip_Unregister(module, kLogoClassName);
  gLogoRegistered = false;
  gLogoChosen = false;
  UnregisterTrackviewClass(module);
}
