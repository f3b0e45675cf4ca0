// Where refinement puts its points: on a segment (its midpoint, or a point
// on a shell around an input vertex) and in a bad triangle (its off-centre
// or circumcentre). Computed in doubles; the caller checks with exact
// orientations that each lies where the mesh needs it.
#ifndef DELAUNAY2D_OPERATIONS_REFINE_NEW_POINTS_HPP
#define DELAUNAY2D_OPERATIONS_REFINE_NEW_POINTS_HPP

#include "operations/common/circumcentre.hpp"

namespace d2d::operations::refine {

// The midpoint of a - b.
Vec2 midpoint(Vec2 a, Vec2 b);

// The point of segment w - b at a power-of-two distance from w, between a
// third and two thirds of the way to b. Segments that meet at w are split
// on the same circles around w, so the pieces beside a small angle end on
// one shell and never encroach on each other's circles again.
//
//        b'
//       /      the shells around w: radii 2^k, the same for every
//      / .     segment leaving w, so that neighbouring split points
//     w---:--b sit at equal distances and see each other under the
//       shells     input angle only
Vec2 shell_point(Vec2 w, Vec2 b);

// A point of segment a - b near `near` (a point close to the segment, well
// inside it), rounded as the crossings are: the exact crossing of a - b
// with a short cross-cut through `near`, each coordinate rounded to the
// nearest double. So the segment passes through the new vertex's rounding
// box, as through every vertex snap rounding puts on it. Returns false
// (and `near` unchanged) when the cross-cut does not cross a - b inside
// both, which only a segment near the doubles' resolution can cause.
bool rounded_on_segment(Vec2 a, Vec2 b, Vec2& near);

// The off-centre of triangle (p, q, r) whose shortest edge is p - q, for
// the angle bound whose half-angle cotangent is `cot_half` (Ungor): the
// point on the bisector of p - q, on r's side, at 0.475 cot_half |pq| from
// the edge's midpoint, so that the new triangle on p - q has an angle just
// above the bound at the new point; the circumcentre when that lies
// nearer. cot_half <= 0 gives the circumcentre.
Vec2 off_centre(Vec2 p, Vec2 q, Vec2 r, double cot_half);

}  // namespace d2d::operations::refine

#endif
