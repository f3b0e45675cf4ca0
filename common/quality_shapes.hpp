// Planar inputs for quality refinement, written for the tests and the
// quality benchmark alike: the classic hard shapes of mesh generation (a
// comb, a key, a spiral, nested holes, small input angles, near-coincident
// points, a sliver) and the benchmark inputs. Each shape carries
// what both this library and the peers it is compared with need: points,
// segments, hole points (Triangle eats holes only from hole points), region
// points, and its rings, so that its area is known without any mesher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "delaunay2d.h"

namespace d2dcommon {

struct QualityShape {
    std::string name;
    std::vector<double> xy;                        // x, y pairs
    std::vector<uint32_t> segments;                // pairs of point indices
    std::vector<double> holes;                     // a point inside each hole, x, y
    std::vector<delaunay2d_region_point> regions;  // attributes and per-region area bounds
    // Keep the whole convex hull (DELAUNAY2D_REGION_HULL) rather than what
    // the rings enclose by even-odd nesting, for shapes whose inner rings
    // bound regions rather than holes.
    bool whole_hull = false;
    // Each closed ring of the boundary as x, y pairs: outer rings
    // counter-clockwise, holes clockwise, so that the signed areas add up to
    // the domain's. Empty when the domain is not given by rings alone.
    std::vector<std::vector<double>> rings;
};

// A polygon of `vertices` vertices around the origin whose radius waves
// (1 + 0.08 sin 23t), with hole_rows^2 square holes of side 0.04 on a grid
// inside it: the "wavy polygon with holes" at vertices = 10^4,
// hole_rows = 10.
QualityShape wavy_polygon_with_holes(std::size_t vertices, std::size_t hole_rows);
// The unit square, nothing else (the area-bound case).
QualityShape unit_square();
// `count` segments from (0, 0), `step_degrees` apart from angle 0, of
// length 0.9, in the box [-1, 1]^2.
QualityShape fan_in_box(std::size_t count, double step_degrees);
// A comb: a base of 10 x 1 with `teeth` teeth 0.5 wide and 4 high.
QualityShape comb(std::size_t teeth);
// A key: a round bow with a round hole, a shaft, and bits cut in it.
QualityShape key();
// A spiral band of `turns` turns, 0.15 wide, `per_turn` points a turn on
// each side.
QualityShape spiral(double turns, std::size_t per_turn);
// Four nested squares (sides 8, 6, 4, 2): a frame, then a hole, an
// island in it, and a hole in the island.
QualityShape nested_holes();
// [0, 2] x [0, 1] cut at x = 1 into two regions with their own area
// bounds (attributes 1 and 2, areas 0.002 and 0.02), and a small square
// in the second with attribute 3 and the global bound.
QualityShape regions_with_areas();
// The unit square with points 1e-11 apart near its centre and a segment
// ending 1e-10 from one of them.
QualityShape near_coincident_points();
// The rectangle [0, 1] x [0, 1e-3].
QualityShape thin_sliver();

}  // namespace d2dcommon
