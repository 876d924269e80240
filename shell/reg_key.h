// An open registry key, closed when the scope ends.
#pragma once

#include <windows.h>

#include <utility>

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

  LSTATUS Open(HKEY parent, const wchar_t* path, REGSAM access) {
    Close();
    return RegOpenKeyExW(parent, path, 0, access, &key_);
  }
  LSTATUS Create(HKEY parent, const wchar_t* path, REGSAM access) {
    Close();
    return RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr);
  }
  HKEY get() const { return key_; }
  void Close() {
    if (HKEY key = std::exchange(key_, nullptr)) RegCloseKey(key);
  }

 private:
  HKEY key_ = nullptr;
};
