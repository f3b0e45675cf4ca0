#include "engine/system/page_size.hpp"

#include <algorithm>
#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace d2d::system_pages {
namespace {

struct SystemUnits {
    std::size_t page = 4096;
    std::size_t reservation = 4096;

    SystemUnits() {
#if defined(_WIN32)
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page = info.dwPageSize;
        reservation = std::max<std::size_t>(info.dwAllocationGranularity, page);
#else
        const long size = sysconf(_SC_PAGESIZE);
        if (size > 0) page = static_cast<std::size_t>(size);
        reservation = page;
#endif
    }
};

const SystemUnits& system_units() noexcept {
    static const SystemUnits units;
    return units;
}

std::atomic<std::size_t> forced_page{0};

}  // namespace

std::size_t page_size() noexcept {
    const std::size_t forced = forced_page.load(std::memory_order_relaxed);
    return forced != 0 ? forced : system_units().page;
}

std::size_t system_page_size() noexcept { return system_units().page; }

std::size_t reservation_unit() noexcept { return std::max(page_size(), system_units().reservation); }

void force_page_size(std::size_t bytes) noexcept {
    forced_page.store(bytes > system_units().page ? bytes : 0, std::memory_order_relaxed);
}

}  // namespace d2d::system_pages
