// The short report of a run: how many points came in and how many of them
// the mesh uses, the size of the mesh, and the time of each stage.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

struct RunSummary {
    std::string source;          // the input's name, or the sample's description
    std::size_t points_read = 0;
    std::size_t distinct = 0;    // vertices: distinct points with finite coordinates
    std::size_t repeated = 0;    // points with the same x and y as an earlier one
    std::size_t not_finite = 0;  // points with a NaN or infinite coordinate
    std::size_t triangles = 0;
    std::size_t hull = 0;
    bool generated = false;      // the points were generated, not read
    double read_seconds = 0.0;   // reading, or generating, the points
    double triangulate_seconds = 0.0;
    double interpolate_seconds = 0.0;  // a raster's interpolation, part of writing it
    double write_seconds = 0.0;        // writing, interpolation included
    std::vector<std::string> written;  // files written, if any
};

// Fills in the counts of the mesh.
void count_mesh(const MeshView& mesh, RunSummary& summary);

void print_summary(std::FILE* out, const RunSummary& summary);

}  // namespace d2dcli
