// The limits every triangulation shares: the id that stands for no triangle
// and the most points one call takes.
#ifndef DELAUNAY2D_ENGINE_MERGE_LIMITS_HPP
#define DELAUNAY2D_ENGINE_MERGE_LIMITS_HPP

#include <cstdint>

namespace d2d {

// No triangle: a hull edge's missing neighbour.
inline constexpr uint32_t kNone = 0xFFFFFFFFu;

// The most points one triangulation takes: record ids are 30-bit, and every
// point needs a few record slots.
inline constexpr uint32_t kMostPoints = (uint32_t{1} << 27) - 64;

}  // namespace d2d

#endif
