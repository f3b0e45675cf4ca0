#include <cmath>

#include "delaunay2d.h"

extern "C" double point_2d_distance(Point3D a, Point3D b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}
