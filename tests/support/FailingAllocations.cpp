// The replacement operator new behind FailNthAllocation.
#include "FailingAllocations.h"

#include <cstdlib>
#include <new>

namespace testbrowser {

namespace {

thread_local int tCountdown = 0;  // 0: nothing armed

// Null when this allocation is the one to fail.
void* Allocate(std::size_t size) {
  if (tCountdown != 0 && --tCountdown == 0) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void FailNthAllocation(int n) { tCountdown = n; }
bool AllocationFailurePending() { return tCountdown > 0; }

}  // namespace testbrowser

void* operator new(std::size_t size) {
  void* block = testbrowser::Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return testbrowser::Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
