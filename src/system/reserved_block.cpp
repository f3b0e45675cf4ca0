#include <cstdint>
#include <new>

#include "system/allocation_faults.hpp"
#include "system/reserved_block.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace d2d::reserved_memory {
namespace {

constexpr uintptr_t kPage = 4096;

}  // namespace

void* reserve(size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (allocation_faults::next_fails()) throw std::bad_alloc();
#if defined(_WIN32)
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS);
    if (block == nullptr) throw std::bad_alloc();
#else
    void* block = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
#endif
    return block;
}

void make_ready(void* start, size_t bytes) {
    if (bytes == 0) return;
    if (allocation_faults::next_fails()) throw std::bad_alloc();
    const auto first = reinterpret_cast<uintptr_t>(start) & ~(kPage - 1);
    const auto last = (reinterpret_cast<uintptr_t>(start) + bytes + kPage - 1) & ~(kPage - 1);
#if defined(_WIN32)
    if (VirtualAlloc(reinterpret_cast<void*>(first), last - first, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        throw std::bad_alloc();
    }
#else
    if (mprotect(reinterpret_cast<void*>(first), last - first, PROT_READ | PROT_WRITE) != 0) throw std::bad_alloc();
#endif
}

void discard(void* start, size_t bytes) noexcept {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const uintptr_t page = info.dwPageSize;
#else
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
#endif
    const uintptr_t first = (reinterpret_cast<uintptr_t>(start) + page - 1) & ~(page - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(page - 1);
    if (last <= first) return;
#if defined(_WIN32)
    VirtualFree(reinterpret_cast<void*>(first), last - first, MEM_DECOMMIT);
#else
    madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#endif
}

void release(void* block, size_t bytes) noexcept {
    if (block == nullptr) return;
#if defined(_WIN32)
    (void)bytes;
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, bytes == 0 ? 1 : bytes);
#endif
}

}  // namespace d2d::reserved_memory
