// Writing a mesh to the file (or, for Triangle's format, the three files) a
// user asked for, in the format that the name or --format calls for. Every
// file is written under a temporary name and renamed into place only after
// all of them are complete.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/controls/kept_triangles.hpp"
#include "formats/mesh_write/mesh_view.hpp"
#include "formats/mesh_write/terrain_options.hpp"
#include "formats/mesh_write/written_points.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"
#include "formats/picture/svg_picture.hpp"

namespace d2dcli {

enum class OutputFormat { off, obj, json, ele, svg, ply, geojson, asc, tif, png, vtu, msh };

// "off", "obj", "json", "ele", "svg", "ply", "geojson", "asc", "tif", "png", "vtu" or "msh".
std::optional<OutputFormat> output_format_named(std::string_view name);
// The format of a path's extension (also ".node" and ".neigh" for Triangle's
// files, ".tiff"); nothing when the extension names none.
std::optional<OutputFormat> output_format_of_path(std::string_view path);

struct OutputOptions {
    OutputFormat format = OutputFormat::off;
    bool keep_all_points = false;
    int first_number = 1;  // Triangle's files only
    SvgLimits svg;
    TerrainOptions terrain;  // rasters, GeoJSON, PLY
    bool also_png = false;   // with SVG: a PNG of it beside it (PATH's stem + .png)
};

struct WrittenFiles {
    std::vector<std::string> paths;
    SvgPicture picture;  // for an SVG or PNG file
    double interpolate_seconds = 0.0;  // of the write's time, spent interpolating a raster's cells
};

// The triangles that the mesh files and pictures show: mesh itself, or
// with --max-edge or --clip a copy held in kept without those left out.
MeshView shown_mesh(const MeshView& mesh, const TerrainOptions& terrain, KeptTriangles& kept);

// The SVG picture of the shown triangles, or with --voronoi of the
// Thiessen cells.
SvgPicture write_picture(TextSink& sink, const MeshView& mesh, const WrittenPoints& written,
                         const OutputOptions& options, const Progress& progress);

// Writes the formats that terrain work adds (PLY, GeoJSON, the rasters,
// PNG) to fd, through sink where the format is text.
void write_terrain_file(TextSink& sink, int fd, const MeshView& mesh, const WrittenPoints& written,
                        const OutputOptions& options, const Progress& progress, WrittenFiles& result);

// The paths that writing to path in the given format creates: the path
// itself, or for Triangle's format STEM.ele, STEM.node and STEM.neigh,
// where STEM is path without its extension, and STEM.poly for a mesh with
// segments; with also_png, an SVG and the PNG beside it (path with .png for
// its extension).
std::vector<std::string> output_paths(const std::string& path, OutputFormat format, bool also_png = false,
                                      bool with_segments = false);

// Writes the mesh; throws OutputError, after which no file was changed. A
// path of "-" writes the one file of the format to standard output.
WrittenFiles write_mesh(const std::string& path, const MeshView& mesh, const OutputOptions& options,
                        const Progress& progress);

}  // namespace d2dcli
