// Inputs that carry segments as well as points: Triangle's .poly files,
// GeoJSON and the vector files OGR reads. Each is read whole into points
// (with z where given), segments (pairs of point indices, from 0), hole
// points, and for vector inputs their polygons and labelled regions. Which
// files they are is told in input_format.hpp.
#pragma once

#include <delaunay2d.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// A polygon of a vector input, kept to tell which faces of the mesh it
// covers (polygon_faces.hpp): its rings as x, y pairs (not closed), the
// code of its label (0: none) and its bounding box.
struct InputPolygon {
    std::vector<std::vector<double>> rings;
    double label = 0.0;
    std::array<double, 4> box{};  // west, south, east, north
};

struct ConstrainedInput {
    PointSet points;  // z (and w) per point where the input gives them
    std::vector<std::uint32_t> segments;
    std::vector<double> holes;
    // Vector inputs with --attribute: a point inside each labelled polygon,
    // its attribute the code of its label.
    std::vector<delaunay2d_region_point> regions;
    RegionLabels labels;
    std::string crs;  // "EPSG:code" when the input names one
    std::vector<InputPolygon> polygons;  // a vector input's polygons, which its inside is the union of
};

// Triangle's .poly: a node section (count, dimension 2, attributes, marker
// flag; or a count of 0, then the points come from STEM.node, which this
// reader does not follow), a segment section (count, marker flag; each line
// number, two endpoints, optional marker), a hole section (count; each line
// number, x, y). Numbering starts at 0 or 1, as the first vertex says; a
// vertex's first attribute is its z and the second its w (as the program
// writes .node files); markers are read and dropped. '#' starts a comment.
// Throws InputError.
ConstrainedInput read_poly(LineSource& source);

// GeoJSON: a FeatureCollection, a Feature or a bare geometry, read as
// vector_features.hpp tells (points, lines, polygons; z from a third
// coordinate or request.z_column; labels from request.attribute; the
// legacy "crs" member). Throws InputError.
struct VectorRequest;
ConstrainedInput read_geojson(LineSource& source, const VectorRequest& request);

}  // namespace d2dcli
