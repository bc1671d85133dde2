// Counts the C++ allocations that are alive, so that a test can see a
// leak: the global allocation functions are replaced in alloc_count.cpp.
#pragma once

namespace test {

long LiveAllocations();

}  // namespace test
