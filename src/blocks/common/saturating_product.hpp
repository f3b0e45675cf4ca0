// A product of counts that stops at the largest size_t instead of wrapping.
#ifndef DELAUNAY2D_BLOCKS_COMMON_SATURATING_PRODUCT_HPP
#define DELAUNAY2D_BLOCKS_COMMON_SATURATING_PRODUCT_HPP

#include <cstddef>

namespace d2d {

// The building blocks bound their loops by products of list lengths that a
// host controls; a bound that wrapped around would end a loop too early.
inline size_t saturating_product(size_t a, size_t b) {
    size_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) return static_cast<size_t>(-1);
    return product;
}

}  // namespace d2d

#endif
