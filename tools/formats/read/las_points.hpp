// The points of a LAS file: each record's X, Y and Z integers turned into
// coordinates by the header's scale and offset (x = X * scale + offset),
// z the point's elevation, and only the classes asked for. The whole-file
// read and the passes of a tiled run share this one decoder.
#pragma once

#include "formats/read/las_header.hpp"
#include "formats/read/line_source.hpp"
#include "formats/read/point_classes.hpp"
#include "formats/read/point_passes.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// Hands over the point records of source, which is at the first of them
// (after read_las_header), in blocks of at most block_points points, and
// leaves source after the last. Throws InputError when the file ends first.
void read_las_records(LineSource& source, const LasHeader& header, const PointClasses& classes,
                      const PointBlock& block, std::size_t block_points = std::size_t{1} << 16);

// Every point of the LAS file source (at its start) that classes keeps:
// x, y and z (extra_columns 1); crs is set to "EPSG:code" when the file
// names one. Throws InputError.
PointSet read_las_points(LineSource& source, const PointClasses& classes, std::string& crs);

}  // namespace d2dcli
