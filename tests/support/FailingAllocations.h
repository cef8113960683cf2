// Makes one chosen allocation of the calling thread fail, as a process out
// of memory would. A program that links FailingAllocations.cpp has its
// operator new replaced; other threads, and every allocation after the
// chosen one, are served as usual.
#ifndef TESTS_SUPPORT_FAILINGALLOCATIONS_H
#define TESTS_SUPPORT_FAILINGALLOCATIONS_H

namespace testbrowser {

// The `n`-th allocation with operator new on this thread from now on
// throws std::bad_alloc (or returns null for the nothrow forms); 0 disarms.
void FailNthAllocation(int n);
// Whether the armed failure has not been reached yet.
bool AllocationFailurePending();

}  // namespace testbrowser

#endif  // TESTS_SUPPORT_FAILINGALLOCATIONS_H
