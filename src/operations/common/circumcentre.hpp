// The centre of the circle through three points, in floating point.
//
// Taken relative to the first point, so that the result keeps its
// accuracy far from the origin: with b' = b - a and c' = c - a,
//
//     centre = a + ( c'y |b'|^2 - b'y |c'|^2,  b'x |c'|^2 - c'x |b'|^2 ) / (2 (b' x c'))
//
// A collinear triple divides by zero (infinite or NaN coordinates).
#ifndef DELAUNAY2D_OPERATIONS_COMMON_CIRCUMCENTRE_HPP
#define DELAUNAY2D_OPERATIONS_COMMON_CIRCUMCENTRE_HPP

namespace d2d::operations {

struct Vec2 {
    double x, y;
};

// Circumcentre of (0, b, c).
inline Vec2 circumcentre_from_origin(Vec2 b, Vec2 c) {
    const double d = 2.0 * (b.x * c.y - b.y * c.x);
    const double lb = b.x * b.x + b.y * b.y;
    const double lc = c.x * c.x + c.y * c.y;
    return Vec2{(c.y * lb - b.y * lc) / d, (b.x * lc - c.x * lb) / d};
}

inline Vec2 circumcentre(Vec2 a, Vec2 b, Vec2 c) {
    const Vec2 r = circumcentre_from_origin(Vec2{b.x - a.x, b.y - a.y}, Vec2{c.x - a.x, c.y - a.y});
    return Vec2{a.x + r.x, a.y + r.y};
}

}  // namespace d2d::operations

#endif
