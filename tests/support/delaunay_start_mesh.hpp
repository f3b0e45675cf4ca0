// The library's editable constrained mesh made from the Delaunay
// triangulation of a few points, with no segment yet: where the tests of
// point and piece insertion start.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delaunay2d.h"
#include "operations/constrained/constrained_mesh.hpp"

namespace d2dtest {

// Fills an empty mesh (the mesh owns its arrays and does not move).
inline void make_delaunay_start_mesh(d2d::operations::constrained::ConstrainedMesh& mesh, const std::vector<double>& xy) {
    delaunay2d_result base{};
    EXPECT_EQ(delaunay2d_triangulate(xy.data(), xy.size() / 2, 2, 1, &base), DELAUNAY2D_OK);
    mesh.xy = xy;
    mesh.tri.adopt(base.triangles, 3 * base.triangle_count);
    mesh.nbr.adopt(base.neighbours, 3 * base.triangle_count);
    base.triangles = nullptr;
    base.neighbours = nullptr;
    delaunay2d_result_free(&base);
    mesh.con.assign(mesh.tri.size(), 0);
    mesh.corner.assign(xy.size() / 2, -1);
    for (size_t c = 0; c < mesh.tri.size(); ++c) mesh.corner[mesh.tri[c]] = static_cast<int32_t>(c);
}

}  // namespace d2dtest
