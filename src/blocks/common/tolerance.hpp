#ifndef DELAUNAY2D_BLOCKS_COMMON_TOLERANCE_HPP
#define DELAUNAY2D_BLOCKS_COMMON_TOLERANCE_HPP

namespace d2d {

// The library's single tolerance: a quantity q counts as zero when
// |q| < EPSILON (strictly). It is absolute, whatever the coordinate scale.
inline constexpr double EPSILON = 1e-8;

}  // namespace d2d

#endif
