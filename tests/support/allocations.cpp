#include "allocations.h"

#include <cstdlib>
#include <new>

namespace {
long newCalls = 0;
}  // namespace

namespace testing_support {
long NewCalls() { return newCalls; }
}  // namespace testing_support

// The pairs below are each other's, whatever the compiler infers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++newCalls;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
