#include "index_array_mesh.hpp"

#include <string>

namespace d2dcli {

IndexArrayMesh::IndexArrayMesh(const PointSet& points, unsigned threads) : points_(points) {
    delaunay2d_status status = delaunay2d_triangulate(points.xy.data(), points.size(), 2, threads, &result_);
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate: ") + delaunay2d_status_message(status));
    }
}

IndexArrayMesh::~IndexArrayMesh() { delaunay2d_result_free(&result_); }

MeshView IndexArrayMesh::view() const {
    return {points_.xy,
            {result_.triangles, 3 * result_.triangle_count},
            {result_.neighbours, 3 * result_.triangle_count},
            {result_.hull, result_.hull_count},
            {result_.vertex_of_point, result_.point_count}};
}

}  // namespace d2dcli
