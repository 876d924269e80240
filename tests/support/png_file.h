// Writes captured pixels (0x00RRGGBB, top row first) as a PNG file.
#pragma once

#include <cstdint>
#include <vector>

bool WritePng(const wchar_t* path, const std::vector<uint32_t>& pixels, int width, int height);
