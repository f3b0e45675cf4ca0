// How many threads one call may use: chosen once when the call starts and
// handed down, as one value, to every piece of it that could split its work.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_THREAD_COUNT_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_THREAD_COUNT_HPP

namespace d2d {

// At least one thread. A piece of work that splits in two gives each part
// its share; a piece too small to be worth a second thread asks for one.
class ThreadCount {
 public:
    explicit constexpr ThreadCount(unsigned count) : count_(count > 1 ? count : 1) {}

    constexpr unsigned count() const { return count_; }
    // Whether a second thread may be started.
    constexpr bool several() const { return count_ > 1; }
    // These threads where the work is worth them, else one.
    constexpr ThreadCount when(bool worth_it) const { return worth_it ? *this : ThreadCount(1); }
    // The shares of the two parts of a split: the first part gets the odd
    // thread.
    constexpr ThreadCount first_share() const { return ThreadCount((count_ + 1) / 2); }
    constexpr ThreadCount second_share() const { return ThreadCount(count_ / 2); }

 private:
    unsigned count_;
};

namespace thread_support {

// The threads of one call of a traced entry point: two when the process may
// run on more than one core and the host has not set DELAUNAY2D_THREADS to
// 1, else one. The only place where the library reads that setting; an
// entry point asks once, when it starts. (The traced entry points' work
// splits in two at most; the index-array call takes its count as an argument.)
ThreadCount traced_call_threads() noexcept;

// The threads of one index-array call or operation on a finished triangulation,
// from its `threads` argument: as many as asked, 0 standing for the cores the
// process may run on, and never more than those.
ThreadCount requested_call_threads(unsigned requested) noexcept;

// The most threads a value of DELAUNAY2D_THREADS allows a call, 0 standing
// for the library's choice. The value is a decimal number, spaces around it
// allowed: 1 keeps every call on the calling thread, 0 leaves the choice to
// the library, and a larger number allows that many (the traced entry points
// use two at most). An unset, empty or other value is the library's choice.
unsigned thread_limit(const char* setting) noexcept;

// How many cores the process may run on; at least one.
unsigned usable_cores() noexcept;

}  // namespace thread_support
}  // namespace d2d

#endif
