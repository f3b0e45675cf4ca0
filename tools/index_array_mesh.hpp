// The triangulation through the library's index-array call: indices, no output,
// no exit, on as many threads as asked.
#pragma once

#include <delaunay2d.h>

#include <stdexcept>

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

class TriangulationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IndexArrayMesh {
public:
    // Triangulates points (which must outlive this object); throws
    // TriangulationError with the library's message when the call fails.
    IndexArrayMesh(const PointSet& points, unsigned threads);
    IndexArrayMesh(const IndexArrayMesh&) = delete;
    IndexArrayMesh& operator=(const IndexArrayMesh&) = delete;
    ~IndexArrayMesh();

    MeshView view() const;

private:
    const PointSet& points_;
    delaunay2d_result result_{};
};

}  // namespace d2dcli
