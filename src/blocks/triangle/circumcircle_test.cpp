#include <cmath>

#include "blocks/common/tolerance.hpp"
#include "delaunay2d.h"

namespace {

// Inside the computed circumcircle by at least the building blocks'
// tolerance. A marked radius (-1.0) or 0.0 never has a point inside; NaN
// distances are never inside.
inline bool strictly_inside(const Point3D& point, const Triangle& t) {
    const double distance = point_2d_distance(point, t.outer_center);
    const double radius = t.radius;
    if (std::fabs(radius - distance) < d2d::kBuildingBlockTolerance) return false;
    return radius > distance;
}

}  // namespace

extern "C" int point_inner_triangle_circular(Point3D point, Triangle t) {
    return strictly_inside(point, t) ? 1 : 0;
}

// Every vertex occurrence of the edge triangles (from inner_length on), in
// triangle order and vertex order, until one lies inside.
extern "C" bool point_inner_triangle_list_circular(Triangle t, const Mesh2D* mesh) {
    for (size_t k = mesh->inner_length; k < mesh->length; ++k) {
        const Triangle& edge_triangle = mesh->triangles[k];
        for (const Point3D* vertex : edge_triangle.points) {
            if (strictly_inside(*vertex, t)) return true;
        }
    }
    return false;
}
