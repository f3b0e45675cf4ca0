#include "delaunay2d.h"

// Closed segments a-b and c-d meet when both parameters of the meeting point
// of their lines lie in [0, 1]. Parallel segments (zero denominator) never
// meet; NaN parameters fail the range tests.
extern "C" bool line_is_cross_2d(Point3D a, Point3D b, Point3D c, Point3D d) {
    const double dx1 = b.x - a.x;
    const double dy1 = b.y - a.y;
    const double dx2 = d.x - c.x;
    const double dy2 = d.y - c.y;
    const double den = dx1 * dy2 - dx2 * dy1;
    if (den == 0.0) return false;

    const double t = (dx2 * (a.y - c.y) - dy2 * (a.x - c.x)) / den;
    if (!(t >= 0.0 && t <= 1.0)) return false;

    const double u = (dx1 * (a.y - c.y) - dy1 * (a.x - c.x)) / den;
    return u >= 0.0 && u <= 1.0;
}
