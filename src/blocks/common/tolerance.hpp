// The building blocks' fixed tolerance. The exported building blocks follow
// their own definitions in plain floating point, with one absolute
// tolerance for every "is it zero" question; the engine never uses it (its
// decisions are exact, see engine/exact/).
#ifndef DELAUNAY2D_BLOCKS_COMMON_TOLERANCE_HPP
#define DELAUNAY2D_BLOCKS_COMMON_TOLERANCE_HPP

namespace d2d {

// A quantity q counts as zero for a building block when
// |q| < kBuildingBlockTolerance (strictly). It is absolute, whatever the
// coordinate scale (the header states it as 1e-8).
inline constexpr double kBuildingBlockTolerance = 1e-8;

}  // namespace d2d

#endif
