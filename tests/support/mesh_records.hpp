// A whole mesh as plain numbers, and its comparison with another that names
// the first record where they part.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

// A mesh in terms that do not depend on where its block or its points lie:
// vertices as indices into the points, links as triangle indices (-1 for
// none), and, when taken, each triangle's centroid and radius.
struct MeshRecords {
    size_t length = 0;
    size_t inner_length = 0;
    std::vector<long> vertices;   // three per triangle
    std::vector<long> links;      // three per triangle
    std::vector<double> numbers;  // centroid x, y, z, w and radius per triangle, or none
};

// `points` is the array the mesh's vertices point into. Leave the numbers
// out to compare meshes of points that differ only in their coordinates.
MeshRecords records_of(const Mesh2D* mesh, const Point3D* points, bool with_numbers = true);

// Success when both hold the same records in the same order (numbers bit for
// bit); otherwise the message names the first difference: the header field,
// or the triangle, its field and both values.
::testing::AssertionResult same_records(const MeshRecords& want, const MeshRecords& got);

}  // namespace d2dtest
