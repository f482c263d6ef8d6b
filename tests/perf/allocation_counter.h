#pragma once

#include <cstdint>

// Counts the process's heap allocations (malloc and every function that
// reserves memory, and so operator new) while counting is on. Threads other
// than the one that switched it on are counted apart: they are the GL
// driver's workers.
struct AllocationCount {
    std::uint64_t callingThread = 0;
    std::uint64_t otherThreads = 0;
};

// Sets both counts to zero.
void ResetAllocationCount() noexcept;
// Counting on or off; counts add up across several stretches of counting.
void CountAllocations(bool on) noexcept;
AllocationCount CountedAllocations() noexcept;
