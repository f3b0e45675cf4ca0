// What a layer of polygons keeps. The library's "inside" counts the
// segments a path from outside crosses, so that rings nest even-odd: right
// for a .poly's outline and holes, wrong for a layer of adjacent polygons,
// where stepping from one country into the next crosses a second border
// and the neighbour would drop out like a hole:
//
//   +-----+-----+-----+        even-odd:  kept | gone | kept
//   |  A  |  B  |  C  |        polygons:  kept | kept | kept
//   +-----+-----+-----+
//
// A polygon layer is triangulated over the whole hull instead, and each
// face (the triangles one can reach from each other without crossing a
// segment) is kept when a point inside it lies inside one of the polygons
// (even-odd over that polygon's own rings, so its holes stay out).
#pragma once

#include <cstdint>
#include <vector>

#include <delaunay2d.h>

#include "formats/read/constrained_input.hpp"

namespace d2dcli {

struct PolygonFaces {
    std::vector<std::uint8_t> keep;  // per triangle: 1 when it lies in a polygon
    std::vector<double> label;       // per triangle: the label code of the last polygon holding it (0: none)
};

PolygonFaces polygon_faces(const delaunay2d_constrained_result& result, const std::vector<InputPolygon>& polygons);

}  // namespace d2dcli
