#include "counting_allocator.h"

#include <malloc.h>

#include <cerrno>
#include <cstdlib>

// glibc's allocator under its internal names: forwarding to these never
// recurses into the definitions below.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

bool g_counting = false;
Allocation_Counts g_counts;

void* counted(void* pointer) {
    if (g_counting && pointer) {
        ++g_counts.allocations;
        g_counts.live_bytes += static_cast<long>(malloc_usable_size(pointer));
    }
    return pointer;
}

void release(void* pointer) {
    if (!pointer) return;
    if (g_counting) {
        ++g_counts.frees;
        g_counts.live_bytes -= static_cast<long>(malloc_usable_size(pointer));
    }
    __libc_free(pointer);
}

void* aligned(std::size_t alignment, std::size_t size) {
    return counted(__libc_memalign(alignment, size));
}

}  // namespace

void counting_start() {
    g_counts = Allocation_Counts{};
    g_counting = true;
}

Allocation_Counts counting_stop() {
    g_counting = false;
    return g_counts;
}

extern "C" {

void* malloc(std::size_t size) { return counted(__libc_malloc(size)); }
void* calloc(std::size_t count, std::size_t size) { return counted(__libc_calloc(count, size)); }
void free(void* pointer) { release(pointer); }

void* realloc(void* pointer, std::size_t size) {
    const long before = pointer ? static_cast<long>(malloc_usable_size(pointer)) : 0;
    void* grown = __libc_realloc(pointer, size);
    if (g_counting) {
        ++g_counts.reallocations;
        if (grown || size == 0) g_counts.live_bytes -= before;
        if (grown) g_counts.live_bytes += static_cast<long>(malloc_usable_size(grown));
    }
    return grown;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) { return aligned(alignment, size); }
void* memalign(std::size_t alignment, std::size_t size) { return aligned(alignment, size); }

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    void* pointer = aligned(alignment, size);
    if (!pointer) return ENOMEM;
    *out = pointer;
    return 0;
}

}  // extern "C"
