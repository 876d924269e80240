// Walking the items of one level under a parent. The cursor is the id of the
// next item to return (0: nothing left): EnumFirst returns the first item and
// the cursor of the following one; EnumNext returns the item the cursor names
// and advances; EnumPrev returns it and steps back. Events whose type is not in
// the filter are skipped in either direction.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/song.h"

namespace refhost {

enum class EnumStep { First, Next, Prev };

struct EnumResult {
  uint32_t id = 0;      // the item returned; 0 when nothing is left
  uint32_t cursor = 0;  // the item after (Prev: before) it; 0 at the end
};

// S_OK with an item, S_FALSE when nothing is left, E_INVALIDARG for an unknown
// level or parent.
HRESULT Enumerate(const Song& song, int32_t level, const ItemPath& parent, uint32_t filter, EnumStep step,
                  uint32_t cursor, EnumResult* out);

}  // namespace refhost
