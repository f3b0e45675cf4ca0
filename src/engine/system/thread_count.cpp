#include "engine/system/thread_count.hpp"

#include <cstdlib>

#include "engine/system/platform.hpp"

#if defined(D2D_NO_THREADS)
#elif defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#include <unistd.h>
#endif

namespace d2d::thread_support {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

ThreadCount traced_call_threads() noexcept {
    const bool host_wants_one = thread_limit(std::getenv("DELAUNAY2D_THREADS")) == 1;
    return ThreadCount(!host_wants_one && usable_cores() > 1 ? 2 : 1);
}

ThreadCount requested_call_threads(unsigned requested) noexcept {
    const unsigned usable = usable_cores();
    return ThreadCount(requested == 0 || requested > usable ? usable : requested);
}

unsigned thread_limit(const char* setting) noexcept {
    if (setting == nullptr) return 0;
    const char* c = setting;
    while (is_space(*c)) ++c;
    if (*c < '0' || *c > '9') return 0;
    unsigned limit = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
        const auto digit = static_cast<unsigned>(*c - '0');
        limit = limit > 100000 ? limit : limit * 10 + digit;  // large values all mean "more than two"
    }
    while (is_space(*c)) ++c;
    return *c == '\0' ? limit : 0;
}

unsigned usable_cores() noexcept {
#if defined(D2D_NO_THREADS)
    return 1;
#elif defined(_WIN32)
    DWORD_PTR process_mask = 0;
    DWORD_PTR system_mask = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask) == 0) return 1;
    unsigned cores = 0;
    for (; process_mask != 0; process_mask &= process_mask - 1) ++cores;
    return cores > 0 ? cores : 1;
#elif defined(__linux__)
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof(cores), &cores) != 0) return 1;
    const int count = CPU_COUNT(&cores);
    return count > 0 ? static_cast<unsigned>(count) : 1;
#else
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<unsigned>(count) : 1;
#endif
}

}  // namespace d2d::thread_support
