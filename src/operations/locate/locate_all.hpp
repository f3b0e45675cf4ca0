// Locating many queries at once: in curve order, chunk by chunk, each walk
// starting where the previous one in its chunk ended.
#ifndef DELAUNAY2D_OPERATIONS_LOCATE_LOCATE_ALL_HPP
#define DELAUNAY2D_OPERATIONS_LOCATE_LOCATE_ALL_HPP

#include <cstddef>
#include <cstdint>
#include <functional>

#include "operations/common/mesh_input.hpp"
#include "operations/locate/point_locator.hpp"

namespace d2d::operations {

struct LocatedQuery {
    uint32_t query;
    double x, y;
    int32_t triangle;  // -1 for none, and for a NaN or infinite coordinate
};

// Locates every query and hands them over chunk by chunk, in curve order,
// to work(first, last), from up to `threads` threads at once (each chunk to
// one of them). The triangles do not depend on `threads`. Throws
// std::bad_alloc.
void for_each_located_chunk(const PointLocator& locator, const double* queries, size_t count, unsigned threads,
                            const std::function<void(const LocatedQuery*, const LocatedQuery*)>& work);

// Writes the triangle of every query into triangle_of_query.
void locate_all(const MeshInput& mesh, const double* queries, size_t count, unsigned threads,
                int32_t* triangle_of_query);

}  // namespace d2d::operations

#endif
