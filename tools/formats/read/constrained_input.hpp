// Inputs that carry segments as well as points: Triangle's .poly files and
// GeoJSON polygons. Both are read whole into points, segments (pairs of
// point indices, from 0) and hole points. Which files they are is told in
// input_format.hpp.
#pragma once

#include <delaunay2d.h>

#include <cstdint>
#include <vector>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

struct ConstrainedInput {
    PointSet points;
    std::vector<std::uint32_t> segments;
    std::vector<double> holes;
    // Triangle's regional attributes and area bounds (.poly only): a point,
    // its region's attribute, and max_area > 0 or 0 for none.
    std::vector<delaunay2d_region_point> regions;
};

// Triangle's .poly: a node section (count, dimension 2, attributes, marker
// flag; or a count of 0, then the points come from STEM.node, which this
// reader does not follow), a segment section (count, marker flag; each line
// number, two endpoints, optional marker), a hole section (count; each line
// number, x, y), and a regional section (count; each line number, x, y,
// attribute, and optionally a maximum area, which is none when 0 or less),
// both optional. Numbering starts at 0 or 1, as the first vertex says;
// vertex attributes and markers are read and dropped, as Triangle does
// with -p when nothing asks for them. '#' starts a comment. Throws
// InputError.
ConstrainedInput read_poly(LineSource& source);

// GeoJSON: a FeatureCollection, a Feature or a bare geometry; every Polygon
// and MultiPolygon becomes its rings (outer ring and holes, the closing
// position dropped), each a closed chain of segments. Other geometries are
// passed over. Throws InputError.
ConstrainedInput read_geojson(LineSource& source);

}  // namespace d2dcli
