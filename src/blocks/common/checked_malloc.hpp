#ifndef DELAUNAY2D_BLOCKS_COMMON_CHECKED_MALLOC_HPP
#define DELAUNAY2D_BLOCKS_COMMON_CHECKED_MALLOC_HPP

#include <cstddef>
#include <cstdlib>

#include "blocks/common/fatal_stop.hpp"

namespace d2d {

// malloc that never returns null: a failed allocation ends the process with
// kMemberNotEnough. A request of zero bytes still yields a distinct block.
template <class T>
T* checked_malloc(std::size_t bytes) noexcept {
    void* block = std::malloc(bytes != 0 ? bytes : 1);
    if (block == nullptr) fatal_stop(kMemberNotEnough);
    return static_cast<T*>(block);
}

}  // namespace d2d

#endif
