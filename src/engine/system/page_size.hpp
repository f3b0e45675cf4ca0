// The size of the pages in which the library maps, protects and commits
// memory: the system's own, never assumed. Kernels for ARM64 commonly use
// 16 KiB or 64 KiB pages, and a protection request must start on a page.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_PAGE_SIZE_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_PAGE_SIZE_HPP

#include <cstddef>

namespace d2d::system_pages {

// The page size (a power of two): the system's, or a larger one that a
// test forced.
std::size_t page_size() noexcept;

// The system's own page size, whatever a test forced.
std::size_t system_page_size() noexcept;

// The unit in which the system hands out address space for a reservation:
// the allocation granularity on Windows (64 KiB), the page size elsewhere.
// Never smaller than page_size().
std::size_t reservation_unit() noexcept;

// For tests: makes the library work as if the system's pages were `bytes`
// large (a power of two, at least the system's page size; 0 returns to the
// system's; on Windows at most the allocation granularity). Reserved memory
// then comes aligned to that size, and a request to protect memory that does
// not start on such a page fails, as it would on such a system. Only while
// no call of the library runs.
void force_page_size(std::size_t bytes) noexcept;

// Rounds an address or a size down or up to a multiple of `unit` (a power
// of two).
constexpr std::size_t round_down(std::size_t value, std::size_t unit) { return value & ~(unit - 1); }
constexpr std::size_t round_up(std::size_t value, std::size_t unit) { return (value + unit - 1) & ~(unit - 1); }

}  // namespace d2d::system_pages

#endif
