// An independent check of a triangulation returned by the library, decided
// exactly (GMP integers behind a conservative floating-point filter; the
// library's own predicates are never used).
#pragma once

#include <cstddef>
#include <string>

#include "delaunay2d.h"

namespace d2dtest {

struct MeshCheck {
    // Every triangle has nonzero area (either orientation), its vertices are
    // records of the input array with finite coordinates, radius >= 0, the
    // centroid is ((P0 + P1) + P2) / 3.0 bit for bit in all four components,
    // the triangles do not overlap and tile exactly the convex hull of the
    // distinct finite points, and every distinct finite point (records with
    // equal x and y count once) is a vertex of exactly one record. When the
    // distinct finite points are fewer than three or all collinear, the mesh
    // must be empty.
    bool valid = false;
    // No input point lies strictly inside the circumcircle of any triangle.
    bool delaunay = false;
    // vor[i] is the record across edge i, null exactly on hull edges.
    bool links_true = false;
    // triangles[0 .. inner_length) are exactly the triangles with three links.
    bool partition_true = false;
    // The first problem found, empty when everything holds.
    std::string failure;

    bool ok() const { return valid && delaunay && links_true && partition_true; }
};

// Checks mesh, built from the n records at points. The later properties are
// only checked when the earlier ones hold (delaunay and links need a valid
// mesh; partition needs true links).
MeshCheck check_mesh(const Mesh2D* mesh, const Point3D* points, size_t n);

}  // namespace d2dtest
