// Generated point sets for demonstrations and timing: uniform in the unit
// square, gaussian clusters, a shuffled integer grid, or points on a circle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/read/point_set.hpp"

namespace d2dcli {

// kind is "uniform", "clusters", "grid" or "circle"; the same kind, count
// and seed give the same points on every machine.
PointSet generate_sample(std::string_view kind, std::size_t count, std::uint64_t seed);

}  // namespace d2dcli
