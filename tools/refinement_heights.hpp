// z and w for the points refinement adds. A refined terrain must keep the
// surface it refines: each added point takes the linear interpolation of
// z and w over the mesh before refinement (the input points, the crossing
// points, the segments as edges), so that the refined mesh's surface is the
// unrefined one, breaklines included.
#pragma once

#include <vector>

#include "delaunay2d.h"
#include "formats/read/constrained_input.hpp"

namespace d2dcli {

// zw: z and w of every point of `refined` (the input points, the crossing
// points, then refinement's), the crossing points' already set. Each of
// refinement's points is given the values the unrefined constrained mesh
// interpolates there; one found in no triangle of it (never expected: a
// refinement point lies inside the kept mesh, or on its border) keeps what
// zw held.
void add_refinement_heights(const ConstrainedInput& input, const delaunay2d_constrained_result& refined,
                            std::vector<double>& zw);

}  // namespace d2dcli
