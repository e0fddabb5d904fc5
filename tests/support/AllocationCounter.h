#pragma once

// Counts heap allocations made anywhere in the test program. Linking the
// vulpane_allocation_counter library replaces the global allocation functions: every form of
// operator new is counted, and on glibc also malloc, calloc, realloc and the aligned allocators
// (so C-style allocations inside a library are caught too). In a sanitizer build it counts every
// allocation through the sanitizer allocator's hook instead of replacing anything.
//
//     AllocationCounter counter;
//     chain.ProcessBlock(...);
//     EXPECT_EQ(counter.Allocations(), 0);

class AllocationCounter {
public:
    AllocationCounter();
    // Allocations since construction (or the last Restart), on every thread.
    long long Allocations() const;
    void Restart();

    // Allocations since the program started.
    static long long Total();
    // Whether malloc-family calls are counted as well as operator new.
    static bool CountsMalloc();

private:
    long long start;
};
