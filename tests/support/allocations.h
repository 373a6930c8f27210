// Counts the program's calls of operator new: a test binary that links allocations.cpp replaces the global
// allocation functions with counting ones.
#pragma once

namespace testing_support {
long NewCalls();
}  // namespace testing_support
