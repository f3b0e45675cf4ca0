#include "engine/system/parallel_pair.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "engine/system/platform.hpp"

// Without threads (D2D_NO_THREADS) every start fails, and each pair of
// pieces runs one after the other on the calling thread (thread_count.cpp
// counts one core there).
#if defined(D2D_NO_THREADS)
#elif defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#include <time.h>
#endif

namespace d2d::thread_support {
namespace {

std::atomic<bool> starts_refused{false};

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
