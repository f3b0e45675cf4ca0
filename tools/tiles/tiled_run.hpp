// A DEM (.tif, .asc) or a TIN (.ply, Triangle's .ele and .node) made tile by
// tile within a memory limit, equal to what the one-pass run writes: the
// raster cell for cell, the TIN triangle for triangle, with the vertices
// numbered alike (input order, without repeats and non-finite points).
//
//   input --pass 1--> extent --pass 2--> points sorted into cores (scratch file)
//                                              |
//     for each row of cores, top down; for each core:                      |
//       triangulate core + halo; what touches the core certain? -- no --> halo x 2
//                                              | yes
//       TIN: the triangles whose least vertex lies in the core -> scratch
//       DEM: the core's cells -> the band of raster rows -> the writer
//                                              |
//   TIN: header, vertices (pass 3), triangles copied: one file, put in place whole
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/mesh_write/mesh_output.hpp"
#include "formats/read/point_passes.hpp"

namespace d2dcli {

struct TiledRequest {
    std::string output;       // the path (Triangle's: the stem's .ele and .node)
    OutputFormat format = OutputFormat::ply;  // ply, ele, tif or asc
    TerrainOptions terrain;   // the raster's grid and values; ascii PLY
    int first_number = 1;     // Triangle's files
    std::uint64_t memory = 0; // bytes the run may use
    unsigned threads = 0;
    bool show_progress = false;
};

struct TiledReport {
    std::uint64_t points_read = 0;
    std::uint64_t distinct = 0;
    std::uint64_t repeated = 0;
    std::uint64_t not_finite = 0;
    std::uint64_t triangles = 0;  // TIN: written; DEM: 0
    std::uint64_t hull = 0;       // TIN: vertices on the hull
    std::size_t tiles = 0;
    std::uint64_t halo_growths = 0;  // tiles triangulated again with a larger halo
    std::uint64_t peak_bytes = 0;    // the largest estimate of the data held at once
    double interpolate_seconds = 0.0;
    std::vector<std::string> written;
};

// The outputs a tiled run writes.
bool tiled_format(OutputFormat format);

// The least --memory a run can work in: one tile of the smallest size.
std::uint64_t least_tiled_memory();

// Runs over input; source names it in messages. Throws InputError,
// OutputError (also for a memory limit too small for the input's voids or
// density: the message says so), TriangulationError.
TiledReport run_tiled(PointPasses& input, const std::string& source, const TiledRequest& request);

}  // namespace d2dcli
