// Writing a mesh to the file (or, for Triangle's format, the three files) a
// user asked for, in the format that the name or --format calls for. Every
// file is written under a temporary name and renamed into place only after
// all of them are complete.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mesh_files.hpp"
#include "mesh_view.hpp"
#include "write_progress.hpp"

namespace d2dcli {

enum class OutputFormat { off, obj, json, ele, svg };

// "off", "obj", "json", "ele" or "svg".
std::optional<OutputFormat> output_format_named(std::string_view name);
// The format of a path's extension (also ".node" and ".neigh" for Triangle's
// files); nothing when the extension names none.
std::optional<OutputFormat> output_format_of_path(std::string_view path);

struct OutputOptions {
    OutputFormat format = OutputFormat::off;
    bool keep_all_points = false;
    int first_number = 1;  // Triangle's files only
    SvgLimits svg;
};

struct WrittenFiles {
    std::vector<std::string> paths;
    SvgPicture picture;  // for an SVG file
};

// The paths that writing to path in the given format creates: the path
// itself, or for Triangle's format STEM.ele, STEM.node and STEM.neigh,
// where STEM is path without its extension, and STEM.poly for a mesh with
// segments.
std::vector<std::string> output_paths(const std::string& path, OutputFormat format, bool with_segments = false);

// Writes the mesh; throws OutputError, after which no file was changed.
WrittenFiles write_mesh_files(const std::string& path, const MeshView& mesh, const OutputOptions& options,
                              const Progress& progress);

}  // namespace d2dcli
