// The short report of a run: how many points came in and how many of them
// the mesh uses, the size of the mesh, and the time of each stage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
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
    // Of a refined constrained mesh: what the kept triangles are like.
    struct Quality {
        double asked_min_angle = 0.0;  // degrees, 0 when not asked for
        std::uint64_t max_steiner = 0; // the user's budget, 0 for none
        double min_angle = 0.0;        // degrees
        double max_angle = 0.0;
        std::uint64_t added = 0;       // points refinement added
        std::uint64_t unrefined = 0;   // triangles still below or above a bound
        bool budget_reached = false;
        // Whether the smallest angle falls short of the one asked for.
        bool short_of_bound() const { return asked_min_angle > 0.0 && min_angle < asked_min_angle; }
    };
    std::optional<Quality> quality;
    // Of a run made tile by tile (--memory).
    struct Tiles {
        std::size_t count = 0;
        std::uint64_t halo_growths = 0;  // tiles triangulated again with a larger halo
        std::uint64_t peak_bytes = 0;    // estimate of the most data held at once
        std::uint64_t limit = 0;         // the memory limit
    };
    std::optional<Tiles> tiles;
};

// Fills in the counts of the mesh.
void count_mesh(const MeshView& mesh, RunSummary& summary);

void print_summary(std::FILE* out, const RunSummary& summary);

// One line on what refinement could not do (the angle reached below the
// one asked for, the budget spent), or empty when it did all.
std::string refinement_shortfall(const RunSummary::Quality& quality);

}  // namespace d2dcli
