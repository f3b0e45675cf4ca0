// Arrays handed to the host in a result record: blocks from malloc, so that
// the library's free functions (and a host that frees them one by one)
// release them with free. Every such allocation passes the test hook that
// makes allocations fail, so that the out-of-memory path of each call can be
// tested.
#ifndef DELAUNAY2D_ENGINE_SYSTEM_HOST_ARRAY_HPP
#define DELAUNAY2D_ENGINE_SYSTEM_HOST_ARRAY_HPP

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>

#include "engine/system/allocation_faults.hpp"

namespace d2d {

// count elements of T, never null (a distinct block for zero); throws
// std::bad_alloc when memory runs out or the size overflows.
template <class T>
T* allocate_host_array(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T) || allocation_faults::next_fails()) {
        throw std::bad_alloc();
    }
    void* block = std::malloc(count == 0 ? 1 : count * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
}

}  // namespace d2d

#endif
