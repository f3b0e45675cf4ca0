// Two pieces of work at once, on the calling thread and on one more.
//
// A second thread runs only where the two pieces touch disjoint data, and
// only when the call's ThreadCount (thread_count.hpp), chosen once when the
// call starts, allows more than one. A piece that splits again hands each
// part its share of the count, so a call never has more threads at work
// than it was given.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_PARALLEL_PAIR_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_PARALLEL_PAIR_HPP

#include <cstddef>
#include <exception>
#include <type_traits>
#include <utility>

#include "engine/system/thread_count.hpp"

namespace d2d {

namespace thread_support {

// Opaque storage for the platform's thread handle.
struct ThreadHandle {
    alignas(8) unsigned char bytes[16];
};

// The stack a thread started here gets at the least, whatever the system's
// default (musl gives 128 KiB). The deepest a second thread goes is an exact
// in-circle evaluation (about 52 KiB of fixed arrays on its slowest path) at
// the bottom of nested hand-overs: each one a help call with a triangulator
// of its own and the recursion over a range of at most half the enclosing
// one, about 100 KiB in all at the largest input. Sanitizer-instrumented
// builds enlarge every frame; stacks are address space, backed with memory
// only where touched, so the margin costs nothing.
inline constexpr std::size_t kThreadStackBytes = std::size_t{2} << 20;

// Starts body(arg) on a new thread with a stack of at least
// kThreadStackBytes; false when no thread could be started.
bool start(void (*body)(void*), void* arg, ThreadHandle& handle) noexcept;

// Makes start() fail from now on (or work again), as it does when the
// system has no thread to give: lets tests take that path.
void refuse_starts(bool refuse) noexcept;

// Waits for a thread from start and releases it.
void join(ThreadHandle& handle) noexcept;

// The body of a wait for another thread: lets other threads run, and after
// many rounds (`rounds` counts them) sleeps a little in each, so that a
// long wait does not keep a core busy.
void relax(unsigned& rounds) noexcept;

}  // namespace thread_support

// Runs `here` on the calling thread and `there` on a second one at the same
// time, and returns true when both have finished. Returns false, having run
// neither, when `threads` allows only one or no second thread can be
// started: for pieces that wait for each other, which must not run one after
// the other. An exception from either piece is rethrown here once both are
// done (the one from `here` first).
template <class Here, class There>
bool run_pair_at_once(ThreadCount threads, Here&& here, There&& there) {
    struct Job {
        std::remove_reference_t<There>* work;
        std::exception_ptr error;
        static void run(void* self) noexcept {
            Job* job = static_cast<Job*>(self);
            try {
                (*job->work)();
            } catch (...) {
                job->error = std::current_exception();
            }
        }
    };
    Job job{&there, nullptr};
    thread_support::ThreadHandle handle{};
    if (!threads.several() || !thread_support::start(&Job::run, &job, handle)) return false;
    try {
        here();
    } catch (...) {
        thread_support::join(handle);
        throw;
    }
    thread_support::join(handle);
    if (job.error) std::rethrow_exception(job.error);
    return true;
}

// Runs `here` and `there` at once where run_pair_at_once can, and otherwise
// one after the other on the calling thread: for pieces that do not depend
// on each other.
template <class Here, class There>
void run_pair(ThreadCount threads, Here&& here, There&& there) {
    if (run_pair_at_once(threads, here, there)) return;
    here();
    there();
}

// Runs work(half, first, last) over both halves of [0, n): half 0 is
// [0, n / 2) and half 1 is [n / 2, n), at once as by run_pair.
template <class Work>
void run_halves(ThreadCount threads, std::size_t n, Work&& work) {
    const std::size_t half = n / 2;
    run_pair(threads, [&] { work(0, std::size_t{0}, half); }, [&] { work(1, half, n); });
}

}  // namespace d2d

#endif
