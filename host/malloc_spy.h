// The task allocator's spy: forwards every request unchanged and reports each
// freed or reallocated block to the block accounting.
#pragma once

#include <objidl.h>

namespace refhost {

class BlockAccounting;

// Registers the process-wide spy once; S_OK or the registration's failure.
HRESULT RegisterTaskMemorySpy(BlockAccounting& accounting);

}  // namespace refhost
