// Live GDI objects of this process. Wine answers GetGuiResources with 0, so
// there the handle table is probed through GetObjectType instead.
#pragma once

#include <cstddef>

size_t LiveGdiObjects();
