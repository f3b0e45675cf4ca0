// The limits every triangulation shares: the id that stands for no triangle
// and the most points one call takes.
#ifndef DELAUNAY2D_ENGINE_MERGE_LIMITS_HPP
#define DELAUNAY2D_ENGINE_MERGE_LIMITS_HPP

#include <cstdint>

#include "delaunay2d.h"

namespace d2d {

// No triangle: a hull edge's missing neighbour.
inline constexpr uint32_t kNone = 0xFFFFFFFFu;

// The most points one triangulation takes, exported as DELAUNAY2D_MAX_POINTS:
// record ids are 30-bit, and every point needs a few record slots
// (records.hpp checks that the slots of this many points fit).
inline constexpr uint32_t kMostPoints = DELAUNAY2D_MAX_POINTS;

}  // namespace d2d

#endif
