// Which reader an input needs, and read_input, the one entry the program
// reads every input through. An input with segments is told by its
// extension alone (.poly is Triangle's, .geojson is GeoJSON); a point file
// by the format the user names, else by its extension (.node is Triangle's;
// .txt, .csv, .xyz and the like are text), else, for standard input and
// other names, by the first lines of the content.
//
//   name ──┬── .poly, .geojson ──────────────> read_poly, read_geojson:
//          │                                   points, segments, holes
//          └── --input-format, else the ─────> read_node_points,
//              extension, else the content     read_text_points: points
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "formats/read/constrained_input.hpp"
#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

enum class InputFormat { automatic, text, node, poly, geojson };

// Whether a format's files carry segments (and hole points) besides points.
inline bool carries_segments(InputFormat format) {
    return format == InputFormat::poly || format == InputFormat::geojson;
}

// "auto", "text" or "node", the formats a user may name; nothing for
// another name.
std::optional<InputFormat> input_format_named(std::string_view name);

// The format that a path's extension stands for; automatic when it says none.
InputFormat input_format_of_path(std::string_view path);

// The format that the start of a file looks like: node when its first
// values line is a .node header (counts, dimension 2) and the next begins
// with vertex number 0 or 1; text otherwise.
InputFormat input_format_of_content(std::string_view start);

// Reads every point of source in the given format, finding it out from the
// source's name and content when it is automatic. Throws InputError.
// id_column as for read_text_points.
PointSet read_points(LineSource& source, InputFormat format, const std::string& id_column = {});

struct InputRead {
    InputFormat format = InputFormat::automatic;  // the reader's: never automatic
    ConstrainedInput content;                     // segments and holes only where carries_segments(format)
};

// Reads source, whose name is its path (standard input has none, so only
// its content counts), with the reader the diagram above picks: format is
// what the user named, or automatic. Throws InputError.
InputRead read_input(LineSource& source, InputFormat format, const std::string& id_column = {});

}  // namespace d2dcli
