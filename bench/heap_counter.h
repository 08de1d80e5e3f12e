#pragma once
// Counts the bytes that the program holds through operator new: the live total and its peak.
// Counted are the requested sizes, not the allocator's own overhead.
#include <cstddef>

namespace heap_counter {

size_t LiveBytes();
size_t PeakBytes();
// Starts a new peak from the current live total.
void ResetPeak();

}  // namespace heap_counter
