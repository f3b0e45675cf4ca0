// What the user asked for on the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "formats/read/input_format.hpp"
#include "formats/mesh_write/mesh_output.hpp"

namespace d2dcli {

struct CommandOptions {
    std::string input = "-";  // a path, or "-" for standard input
    std::optional<std::string> output;
    OutputFormat format = OutputFormat::off;  // meaningful with output
    InputFormat input_format = InputFormat::automatic;
    bool keep_all_points = false;
    bool zero_based = false;
    bool verbose = false;
    bool strict = false;  // a left-out point or an empty mesh is an error
    unsigned threads = 0;  // 0: as many as help
    std::optional<std::string> trace;
    std::optional<std::string> generate;  // a sample kind instead of an input
    std::size_t sample_size = 100000;
    std::uint64_t seed = 1;
    std::string id_column;  // empty: none
    VectorRequest vector;   // --layer, --z-column (text inputs too), --attribute
    std::vector<unsigned> classes;  // --classes: the LAS classes kept; empty: all
    TerrainOptions terrain;
    bool also_png = false;  // with an SVG, its PNG beside it
    std::string svg_title;
    bool no_points = false;  // pictures: leave out the points
    bool no_edges = false;   // pictures: leave out the edges
    std::optional<std::string> clip;  // --clip: the polygon file
    // "inside" or "hull"; unset: inside for .poly and GeoJSON input, hull
    // for point files.
    std::optional<std::string> region;
    // Quality refinement of a .poly or GeoJSON input (0: not asked for).
    double min_angle = 0.0;          // degrees
    double max_area = 0.0;
    std::uint64_t max_steiner = 0;   // 0: no limit of the user's
    bool conforming = false;
    // --memory: make the output tile by tile within this many bytes.
    std::optional<std::uint64_t> memory;
};

// Why a run with these options cannot go tile by tile, or empty when it can.
std::string why_not_tiled(const CommandOptions& options);

// Parses the command line. Returns the options, or the exit status when the
// program is done: 0 after --help or --version (printed on standard output),
// 2 after a usage error (one line on standard error).
std::variant<CommandOptions, int> parse_command_line(int argc, char** argv);

}  // namespace d2dcli
