// Out-of-memory injection: this program replaces the nothrow operator new,
// through which the module makes its COM objects.
#pragma once

namespace shelltest {

// The nth nothrow allocation from now on (1-based) fails; 0 fails none.
void FailNthAllocation(int nth);
// Nothrow allocations since the last FailNthAllocation.
int AllocationsSinceArmed();

}  // namespace shelltest
