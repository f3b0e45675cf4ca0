#include <cstdint>
#include <cstdlib>
#include <new>

#include "engine/system/allocation_faults.hpp"
#include "engine/system/page_buffer.hpp"
#include "engine/system/page_size.hpp"
#include "engine/system/platform.hpp"

// WebAssembly has one linear memory that only grows: there are no pages to
// map or give back, so every block comes from the C heap, whose freed space
// later calls reuse.
#if defined(D2D_HEAP_ONLY)
#elif defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace d2d::page_memory {
namespace {
#if defined(D2D_HEAP_ONLY)
constexpr bool kHeapOnly = true;
#else
constexpr bool kHeapOnly = false;
#endif
}  // namespace

void* allocate(size_t bytes) {
    if (bytes == 0) return nullptr;
    if (allocation_faults::next_fails()) throw std::bad_alloc();
    if (bytes < kMappedFrom || kHeapOnly) {
        void* block = std::calloc(1, bytes);
        if (block == nullptr) throw std::bad_alloc();
        return block;
    }
#if defined(D2D_HEAP_ONLY)
    void* block = nullptr;  // not reached: every block came from the heap above
#elif defined(_WIN32)
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block == nullptr) throw std::bad_alloc();
#else
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
#endif
    return block;
}

void release(void* block, size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes < kMappedFrom || kHeapOnly) {
        std::free(block);
        return;
    }
#if defined(D2D_HEAP_ONLY)
#elif defined(_WIN32)
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, bytes);
#endif
}

void populate(void* start, size_t bytes) noexcept {
#if defined(__linux__)
#if defined(MADV_POPULATE_WRITE)
    constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
    constexpr int kPopulateWrite = 23;  // Linux 5.14 and later
#endif
    // Older kernels refuse the request, harmlessly.
    const size_t page = system_pages::page_size();
    const auto first = system_pages::round_up(reinterpret_cast<uintptr_t>(start), page);
    const auto last = system_pages::round_down(reinterpret_cast<uintptr_t>(start) + bytes, page);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, kPopulateWrite);
#else
    (void)start;
    (void)bytes;
#endif
}

}  // namespace d2d::page_memory
