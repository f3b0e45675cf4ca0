#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/system/allocation_faults.hpp"
#include "engine/system/page_size.hpp"
#include "engine/system/platform.hpp"
#include "engine/system/reserved_block.hpp"

// WebAssembly has no address space to set aside apart from memory: its one
// linear memory grows, and the engine that runs it backs a page only when it
// is first touched. A reservation there is a plain heap block, and making a
// stretch ready clears just that stretch.
#if defined(D2D_HEAP_ONLY)
#elif defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace d2d::reserved_memory {
namespace {

using system_pages::round_down;
using system_pages::round_up;

std::atomic<ReadyRefusal> refusal{nullptr};

// The size a reservation of `bytes` takes: whole units of reservation, so
// that the whole pages around any span inside it lie inside it too.
size_t reserved_size(size_t bytes) { return round_up(std::max<size_t>(bytes, 1), system_pages::reservation_unit()); }

// Makes the whole pages [first, first + length) readable and writable. A
// range that does not start on a page fails, as the system's own request
// does: with a page size forced larger than the system's, the library
// meets the same refusals as on a system with such pages.
bool make_read_write(uintptr_t first, size_t length) {
    if (first % system_pages::page_size() != 0) return false;
#if defined(D2D_HEAP_ONLY)
    (void)length;
    return true;
#elif defined(_WIN32)
    return VirtualAlloc(reinterpret_cast<void*>(first), length, MEM_COMMIT, PAGE_READWRITE) != nullptr;
#else
    return mprotect(reinterpret_cast<void*>(first), length, PROT_READ | PROT_WRITE) == 0;
#endif
}

}  // namespace

void* reserve(size_t bytes) {
    const size_t size = reserved_size(bytes);
    if (allocation_faults::next_fails()) throw std::bad_alloc();
#if defined(D2D_HEAP_ONLY)
    void* block = std::malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
#elif defined(_WIN32)
    // Reservations start on the allocation granularity, which no page size
    // exceeds.
    void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
    if (block == nullptr) throw std::bad_alloc();
    return block;
#else
    // Mappings start on the system's page; a larger page (forced by a test)
    // needs a larger mapping, trimmed to start on that page.
    const size_t page = system_pages::page_size();
    const size_t slack = page - std::min(page, system_pages::system_page_size());
    void* mapped = mmap(nullptr, size + slack, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t block = round_up(start, page);
    if (block != start) munmap(mapped, block - start);
    if (start + slack != block) munmap(reinterpret_cast<void*>(block + size), start + slack - block);
    return reinterpret_cast<void*>(block);
#endif
}

void refuse_for_testing(ReadyRefusal refuse) noexcept { refusal.store(refuse); }

void make_ready(void* start, size_t bytes) {
    if (bytes == 0) return;
    if (allocation_faults::next_fails()) throw std::bad_alloc();
    const ReadyRefusal refuse = refusal.load(std::memory_order_relaxed);
    if (refuse != nullptr && refuse(start, bytes)) throw std::bad_alloc();
#if defined(D2D_HEAP_ONLY)
    std::memset(start, 0, bytes);
    return;
#endif
    const size_t page = system_pages::page_size();
    const auto first = round_down(reinterpret_cast<uintptr_t>(start), page);
    const auto last = round_up(reinterpret_cast<uintptr_t>(start) + bytes, page);
    if (!make_read_write(first, last - first)) throw std::bad_alloc();
}

void discard(void* start, size_t bytes) noexcept {
    const size_t page = system_pages::page_size();
    const uintptr_t first = round_up(reinterpret_cast<uintptr_t>(start), page);
    const uintptr_t last = round_down(reinterpret_cast<uintptr_t>(start) + bytes, page);
    if (last <= first) return;
#if defined(D2D_HEAP_ONLY)
#elif defined(_WIN32)
    VirtualFree(reinterpret_cast<void*>(first), last - first, MEM_DECOMMIT);
#else
    madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#endif
}

void release(void* block, size_t bytes) noexcept {
    if (block == nullptr) return;
#if defined(D2D_HEAP_ONLY)
    (void)bytes;
    std::free(block);
#elif defined(_WIN32)
    (void)bytes;
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, reserved_size(bytes));
#endif
}

}  // namespace d2d::reserved_memory
