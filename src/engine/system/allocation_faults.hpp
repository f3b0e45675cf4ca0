// Allocation failures made on purpose, so that tests can walk every path a
// call takes when memory runs out. Off unless a test turns it on.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_ALLOCATION_FAULTS_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_ALLOCATION_FAULTS_HPP

namespace d2d::allocation_faults {

// From now on, let `successes` more allocations succeed and fail every one
// after them; a negative count turns failures off again.
void fail_after(long successes) noexcept;

// Asked by the allocators before each request: true when this one is to fail.
bool next_fails() noexcept;

}  // namespace d2d::allocation_faults

#endif
