// The memory the program holds, counted allocation by allocation, so that
// a check can say how much one action took at its peak: deterministic,
// unlike a clock.
#pragma once

#include <cstddef>

namespace bwfuzz {

// Bytes allocated and not yet freed.
size_t LiveBytes();
// The most there were since the last RestartPeak (at least what is live).
size_t PeakBytes();
void RestartPeak();
// False where allocations are not counted (the counts are then 0).
bool MeterWorks();

}  // namespace bwfuzz
