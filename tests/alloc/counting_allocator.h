// A counting allocator for the test executable: malloc, calloc, realloc,
// free, aligned_alloc, posix_memalign and memalign are defined here, forward
// to glibc's own allocator, and count what they do while counting is on.
// The executable exports them (ENABLE_EXPORTS, -rdynamic), so the libraries
// it dlopens call them too, and so does every operator new and delete of
// the C++ library, which allocate through them.
#pragma once

#include <cstddef>

struct Allocation_Counts {
    long allocations = 0;    // malloc, calloc and aligned calls
    long reallocations = 0;  // realloc calls
    long frees = 0;          // free calls with a pointer
    long live_bytes = 0;     // usable bytes of blocks obtained while counting
                             // minus those of the blocks freed while counting
};

// Starts counting from zero.
void counting_start();
// Stops counting and returns what was counted since counting_start.
Allocation_Counts counting_stop();
