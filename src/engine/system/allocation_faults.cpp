#include "engine/system/allocation_faults.hpp"

#include <atomic>

namespace d2d::allocation_faults {
namespace {

// Negative: no failures. A plain counter that only tests ever set; the
// allocators read it with one relaxed load when it is off.
std::atomic<long> remaining{-1};

}  // namespace

void fail_after(long successes) noexcept { remaining.store(successes < 0 ? -1 : successes); }

bool next_fails() noexcept {
    if (remaining.load(std::memory_order_relaxed) < 0) return false;
    return remaining.fetch_sub(1) <= 0;
}

}  // namespace d2d::allocation_faults
