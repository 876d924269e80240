// The UTF-16 code unit of all user-visible text: wchar_t on Windows, where it is
// 16 bits and the system calls take it; char16_t elsewhere so that the
// platform-free code keeps the same width when built natively.
#pragma once

#ifdef _WIN32
using kvchar = wchar_t;
#define KVTEXT(s) L##s
#else
using kvchar = char16_t;
#define KVTEXT(s) u##s
#endif

static_assert(sizeof(kvchar) == 2, "text is UTF-16");
