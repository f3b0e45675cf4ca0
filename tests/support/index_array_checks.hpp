// What the index-array call promises about one result, checked for any
// input: the rows, the neighbours, the hull and which point stands for
// which, with the geometry decided by the independent exact checker. Shared
// by the call's own tests and the tests over tests/fixtures/.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

// A result that frees itself.
struct IndexArrays {
    delaunay2d_result r{};
    delaunay2d_status status = DELAUNAY2D_OK;
    IndexArrays() = default;
    IndexArrays(const IndexArrays&) = delete;
    IndexArrays& operator=(const IndexArrays&) = delete;
    ~IndexArrays() { delaunay2d_result_free(&r); }
};

// The call on the records' x and y (stride 4), on `threads` threads.
std::unique_ptr<IndexArrays> run_index_arrays(const std::vector<Point3D>& points, unsigned threads = 1);

// True when every field is zero or null, as after a failed call.
bool is_zeroed(const delaunay2d_result& r);

// Exact sign of the turn a -> b -> c.
int orient_sign(const Point3D& a, const Point3D& b, const Point3D& c);

// GoogleTest failures naming `label` for everything the result breaks:
// status OK, vertex_of_point (first copy of equal x and y, -1 for
// non-finite), counter-clockwise rows over standing points, a valid
// Delaunay mesh with true links (exact checker), the neighbours by opposite
// vertex, and the hull (the boundary cycle, or the distinct points along
// their line when there is no triangle).
void expect_sound(std::vector<Point3D>& points, const IndexArrays& result, const std::string& label);

// The same arrays, field by field.
void expect_same_arrays(const delaunay2d_result& a, const delaunay2d_result& b, const std::string& label);

}  // namespace d2dtest
