// Inputs that carry segments as well as points: Triangle's .poly files and
// GeoJSON polygons. Both are read whole into points, segments (pairs of
// point indices, from 0) and hole points. Which files they are is told in
// input_format.hpp.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

struct ConstrainedInput {
    PointSet points;
    std::vector<std::uint32_t> segments;
    std::vector<double> holes;
};

// Triangle's .poly: a node section (count, dimension 2, attributes, marker
// flag; or a count of 0, then the points come from STEM.node, which this
// reader does not follow), a segment section (count, marker flag; each line
// number, two endpoints, optional marker), a hole section (count; each line
// number, x, y). Numbering starts at 0 or 1, as the first vertex says;
// attributes and markers are read and dropped, as Triangle does with -p
// when nothing asks for them. '#' starts a comment. Throws InputError.
ConstrainedInput read_poly(LineSource& source);

// GeoJSON: a FeatureCollection, a Feature or a bare geometry; every Polygon
// and MultiPolygon becomes its rings (outer ring and holes, the closing
// position dropped), each a closed chain of segments. Other geometries are
// passed over. Throws InputError.
ConstrainedInput read_geojson(LineSource& source);

}  // namespace d2dcli
