// The executable's own malloc family, which every library of the process
// (SDL, the GL driver, libstdc++'s operator new) binds to; each forwards to
// glibc's allocator under its internal name.
#include "allocation_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> callingThread{0};
std::atomic<std::uint64_t> otherThreads{0};
thread_local bool isCountingThread = false;

void Count() noexcept {
    if (!counting.load(std::memory_order_relaxed)) return;
    (isCountingThread ? callingThread : otherThreads).fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void ResetAllocationCount() noexcept {
    callingThread = 0;
    otherThreads = 0;
}

void CountAllocations(bool on) noexcept {
    isCountingThread = on;
    counting = on;
}

AllocationCount CountedAllocations() noexcept { return {callingThread.load(), otherThreads.load()}; }

extern "C" {

void* malloc(std::size_t size) {
    Count();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Count();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    Count();  // a shrink or a grow in place counts too: the caller asked for memory
    return __libc_realloc(pointer, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    Count();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr && size != 0) return ENOMEM;
    *out = pointer;
    return 0;
}
void* valloc(std::size_t size) {
    Count();
    return __libc_valloc(size);
}
void* pvalloc(std::size_t size) {
    Count();
    return __libc_pvalloc(size);
}
void free(void* pointer) { __libc_free(pointer); }

}  // extern "C"
