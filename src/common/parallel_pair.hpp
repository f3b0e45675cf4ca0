// Two pieces of work at once, on the calling thread and on one more.
//
// The library uses a second thread only where the two pieces touch disjoint
// data, and only when the process may run on more than one core. A host can
// keep every call on its own thread by setting DELAUNAY2D_THREADS=1 in the
// environment (for instance when it already runs one triangulation per core).
#ifndef D2D_COMMON_PARALLEL_PAIR_HPP
#define D2D_COMMON_PARALLEL_PAIR_HPP

#include <exception>
#include <utility>

namespace d2d {

namespace thread_support {

// Opaque storage for the platform's thread handle.
struct ThreadHandle {
    alignas(8) unsigned char bytes[16];
};

// Whether a second thread is worth starting: more than one core is
// available to the process and the host has not asked for one thread.
bool second_thread_allowed() noexcept;

// Starts body(arg) on a new thread; false when no thread could be started.
bool start(void (*body)(void*), void* arg, ThreadHandle& handle) noexcept;

// Waits for a thread from start and releases it.
void join(ThreadHandle& handle) noexcept;

// Lets other threads run: the body of a short wait for another thread.
void relax() noexcept;

}  // namespace thread_support

// Runs `here` on the calling thread and `there` on a second one, and returns
// when both have finished. When no second thread may or can be used,
// `there` runs after `here` on the calling thread. An exception from either
// piece is rethrown here once both are done (the one from `here` first).
template <class Here, class There>
void run_pair(Here&& here, There&& there) {
    struct Job {
        There* work;
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
    if (!thread_support::second_thread_allowed() || !thread_support::start(&Job::run, &job, handle)) {
        here();
        there();
        return;
    }
    try {
        here();
    } catch (...) {
        thread_support::join(handle);
        throw;
    }
    thread_support::join(handle);
    if (job.error) std::rethrow_exception(job.error);
}

}  // namespace d2d

#endif
