// Point files read in passes (point_passes.hpp): LAS, PLY and text files,
// opened by path, since each pass reads the file again from its start. A
// pass decodes with the same code as the whole-file read, a block of at
// most 65536 points (1.5 MB of doubles) at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/read/input_format.hpp"
#include "formats/read/point_passes.hpp"

namespace d2dcli {

struct PassRequest {
    InputFormat format = InputFormat::automatic;  // automatic: by extension, then content
    std::vector<unsigned> classes;                // LAS classes to keep; empty: all
    std::string z_column;                         // text: the column z is read from; empty: by the header
};

// Opens the LAS, PLY or text file at path (text: "x y z" lines or columns
// a header names; z is 0 where a line has none). Its extent comes from a
// first pass (a LAS header's bounds are often rounded or stale). crs_wkt() is
// the file's WKT when it records one, else "EPSG:code" from its GeoTIFF
// keys, else empty. Throws InputError for another format (.node, inputs
// with segments), a file that cannot be opened, a malformed header, or
// classes asked of a file that has none.
std::unique_ptr<PointPasses> open_point_passes(const std::string& path, const PassRequest& request);

// The coordinate system of passes as the outputs record it ("EPSG:code",
// what TerrainOptions::crs takes), or empty when crs_wkt() names no EPSG
// code.
std::string crs_of_passes(const PointPasses& passes);

// The extent of the points a pass hands over, found by one pass.
PointExtent extent_by_pass(PointPasses& passes);

}  // namespace d2dcli
