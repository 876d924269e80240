// PNG files of pictures: captured pixels, or a window as it stands on the
// screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Pixels are 0x00RRGGBB, top row first.

bool WritePng(const wchar_t* path, const std::vector<uint32_t>& pixels, int width, int height);
// The window's client area as it stands on the screen, children included,
// after everything pending has been painted.
bool WriteWindowPng(HWND window, const wchar_t* path);
