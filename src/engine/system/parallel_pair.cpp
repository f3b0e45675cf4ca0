#include "engine/system/parallel_pair.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>

// A WebAssembly build (the JavaScript package) has no threads to start: it
// counts one core, every start fails, and each pair of pieces runs one after
// the other on the calling thread.
#if defined(__wasm__)
#define D2D_NO_THREADS 1
#endif

#if defined(D2D_NO_THREADS)
#elif defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>
#endif

namespace d2d::thread_support {
namespace {

std::atomic<bool> starts_refused{false};

bool host_wants_one_thread() noexcept { return thread_limit(std::getenv("DELAUNAY2D_THREADS")) == 1; }

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

#if !defined(D2D_NO_THREADS)
// What a new thread runs; allocated by start and freed by the thread.
struct Start {
    void (*body)(void*);
    void* arg;
};

void run_start(void* start) noexcept {
    const Start s = *static_cast<Start*>(start);
    std::free(start);
    s.body(s.arg);
}

Start* new_start(void (*body)(void*), void* arg) noexcept {
    Start* s = static_cast<Start*>(std::malloc(sizeof(Start)));
    if (s != nullptr) *s = Start{body, arg};
    return s;
}
#endif

#if defined(D2D_NO_THREADS)
using NativeThread = int;
#elif defined(_WIN32)
DWORD WINAPI thread_main(LPVOID start) {
    run_start(start);
    return 0;
}
using NativeThread = HANDLE;
#else
void* thread_main(void* start) {
    run_start(start);
    return nullptr;
}
using NativeThread = pthread_t;
#endif
static_assert(sizeof(NativeThread) <= sizeof(ThreadHandle::bytes));

}  // namespace

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

bool second_thread_allowed() noexcept { return !host_wants_one_thread() && usable_cores() > 1; }

void refuse_starts(bool refuse) noexcept { starts_refused.store(refuse); }

bool start(void (*body)(void*), void* arg, ThreadHandle& handle) noexcept {
    if (starts_refused.load()) return false;
#if defined(D2D_NO_THREADS)
    (void)body;
    (void)arg;
    (void)handle;
    return false;
#else
    Start* s = new_start(body, arg);
    if (s == nullptr) return false;
    NativeThread thread;
#if defined(_WIN32)
    // The size is the stack's reservation; pages are committed as it grows.
    thread = CreateThread(nullptr, kThreadStackBytes, &thread_main, s, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    const bool started = thread != nullptr;
#else
    bool started = false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) == 0) {
        // Never smaller than the system's default (glibc's follows the stack
        // limit, often 8 MiB).
        std::size_t size = 0;
        if (pthread_attr_getstacksize(&attributes, &size) != 0 || size < kThreadStackBytes) {
            pthread_attr_setstacksize(&attributes, kThreadStackBytes);
        }
        started = pthread_create(&thread, &attributes, &thread_main, s) == 0;
        pthread_attr_destroy(&attributes);
    }
#endif
    if (!started) {
        std::free(s);
        return false;
    }
    std::memcpy(handle.bytes, &thread, sizeof(thread));
    return true;
#endif
}

void join(ThreadHandle& handle) noexcept {
    NativeThread thread;
    std::memcpy(&thread, handle.bytes, sizeof(thread));
#if defined(D2D_NO_THREADS)
    (void)thread;
#elif defined(_WIN32)
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    pthread_join(thread, nullptr);
#endif
}

void relax(unsigned& rounds) noexcept {
    // About a millisecond of yielding, then short sleeps.
    constexpr unsigned kYieldingRounds = 2000;
    if (rounds < kYieldingRounds) {
        ++rounds;
#if defined(D2D_NO_THREADS)
#elif defined(_WIN32)
        SwitchToThread();
#else
        sched_yield();
#endif
        return;
    }
#if defined(D2D_NO_THREADS)
#elif defined(_WIN32)
    Sleep(1);
#else
    const timespec pause{0, 50000};  // 50 microseconds
    nanosleep(&pause, nullptr);
#endif
}

}  // namespace d2d::thread_support
