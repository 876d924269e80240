// Toolbar image strips stored as PNG: one row of square images decoded into
// the three image lists a toolbar uses (normal, hot, disabled).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

enum KvStripList { kStripNormal = 0, kStripHot = 1, kStripDisabled = 2, kStripLists = 3 };

// Decodes a strip imageSize pixels high whose width is a whole number of
// imageSize squares. On success the three lists hold one image per square;
// on any failure (damaged or unsupported data, a strip of another shape, no
// memory) all three are null and the result says why. The caller destroys
// the lists.
HRESULT KvImageStrip_FromPng(const void* bytes, size_t size, int imageSize, HIMAGELIST (&lists)[kStripLists]);
// The same from a resource of the module.
HRESULT KvImageStrip_FromResource(HMODULE module, LPCWSTR name, LPCWSTR type, int imageSize,
                                  HIMAGELIST (&lists)[kStripLists]);
void KvImageStrip_Destroy(HIMAGELIST (&lists)[kStripLists]);
