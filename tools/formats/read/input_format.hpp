// Which reader an input needs, and read_input, the one entry the program
// reads every input through. An input with segments is told by its
// extension (.poly is Triangle's, .geojson GeoJSON, .shp, .gpkg and the
// other vector formats go to OGR) or by --input-format ogr; a point file
// by the format the user names, else by its extension (.node is Triangle's;
// .las is LAS, .ply PLY; .txt, .csv, .xyz and the like are text), else, for
// standard input and other names, by the first bytes of the content ('{'
// opens GeoJSON, "LASF" LAS, "ply" PLY).
//
//   name ──┬── .poly, .geojson, .shp, ... ──> read_poly, read_geojson,
//          │                                  read_vector_file (OGR):
//          │                                  points, segments, holes
//          └── --input-format, else the ────> read_node_points,
//              extension, else the content    read_text_points,
//                                             read_las_points,
//                                             read_ply_points: points
//
// GeoJSON is read by the program's own reader whether or not GDAL is
// there: files and standard input alike, with the same messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"
#include "formats/read/vector_features.hpp"

namespace d2dcli {

enum class InputFormat { automatic, text, node, poly, geojson, ogr, las, ply };

// Whether a format's files carry segments (and hole points) besides points.
inline bool carries_segments(InputFormat format) {
    return format == InputFormat::poly || format == InputFormat::geojson || format == InputFormat::ogr;
}

// What a read asks beside the format: columns of a text file, and the
// layer, z and label of a vector input (z_column serves both).
struct ReadRequest {
    std::string id_column;
    VectorRequest vector;
    std::vector<unsigned> classes;  // LAS classes to keep (--classes); empty: all
};

// "auto", "text", "node", "geojson", "ogr", "las" or "ply", the formats a user may name;
// nothing for another name.
std::optional<InputFormat> input_format_named(std::string_view name);

// The format that a path's extension stands for (.las and .laz are LAS, the
// second to be refused as compressed); automatic when it says none.
InputFormat input_format_of_path(std::string_view path);

// The format that the start of a file looks like: LAS when it begins with
// "LASF", PLY with a line "ply", GeoJSON with '{'; node when its first
// values line is a .node header (counts, dimension 2) and the next begins
// with vertex number 0 or 1; text otherwise.
InputFormat input_format_of_content(std::string_view start);

// Reads every point of source in the given format, finding it out from the
// source's name and content when it is automatic. Throws InputError.
// id_column as for read_text_points.
PointSet read_points(LineSource& source, InputFormat format, const std::string& id_column = {});
PointSet read_points(LineSource& source, InputFormat format, const ReadRequest& request);

struct InputRead {
    InputFormat format = InputFormat::automatic;  // the reader's: never automatic
    ConstrainedInput content;                     // segments and holes only where carries_segments(format)
};

// Reads source, whose name is its path (standard input has none, so only
// its content counts), with the reader the diagram above picks: format is
// what the user named, or automatic. Throws InputError.
InputRead read_input(LineSource& source, InputFormat format, const std::string& id_column = {});
InputRead read_input(LineSource& source, InputFormat format, const ReadRequest& request);

}  // namespace d2dcli
