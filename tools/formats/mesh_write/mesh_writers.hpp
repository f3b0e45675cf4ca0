// The writers of the mesh formats. Each writes one file to a sink: the
// written points (see written_points.hpp) in file order, then what the
// format holds of the triangles. Triangles keep the order of the mesh and
// list their vertices counter-clockwise; "neighbour k" is always the
// triangle across the edge opposite vertex k, -1 on the hull, as in
// Triangle's .neigh files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"
#include "formats/mesh_write/written_points.hpp"

namespace d2dcli {

// OFF: "OFF", counts, "x y z" per point (z 0 without z), "3 a b c" per triangle (0-based).
void write_off(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// Wavefront OBJ: "v x y z" per point, "f a b c" per triangle (1-based).
void write_obj(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// JSON: {"points": [[x, y], ...] ([x, y, z] with z), "triangles": [[a, b, c], ...],
// "neighbours": [[n0, n1, n2], ...], "hull": [...]} and with ids "ids":
// ["...", ...] in the points' order, all 0-based; a
// coordinate that is not finite (only with every point kept) is null.
void write_json(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);
// A JSON string literal of text.
void put_json_string(TextSink& sink, std::string_view text);

// Triangle's files, numbered from first_number (1 as Triangle writes them,
// or 0): .node "<number> x y [z [w]] [id] <marker>" with marker 1 for a
// point on the hull, z and w (as far as the input gave them) and the id as
// attributes; .ele "<number> a b c"; .neigh "<number> n0 n1 n2".
void write_node(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
                const Progress& progress);
void write_ele(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
               const Progress& progress);
void write_neigh(TextSink& sink, const MeshView& mesh, int first_number, const Progress& progress);

struct SvgLimits {
    // The file stays under this many bytes: above about 10 MB common
    // renderers (librsvg, hence rsvg-convert and many viewers) refuse it.
    std::size_t max_bytes = 7500000;
    // Constraint segments, as pairs of input indices, drawn in their own
    // stroke over the mesh.
    std::span<const std::uint32_t> segments;
    std::string title;  // default: the counts
    std::string z_label = "z";  // the legend's heading
    unsigned threads = 0;
};

struct SvgPicture {
    bool sampled = false;  // only every k-th edge or point is drawn; note says how many
    std::string note;
    std::size_t edge_count = 0;
    std::size_t edges_drawn = 0;
    std::size_t points_drawn = 0;
};

// A picture with the drawing 1000 px on its longer side: triangles shaded by
// z when the input has z (with a legend), every edge once, the hull, the
// points, a title, a scale bar and the coordinate range.
SvgPicture write_svg(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                     const Progress& progress);

// PLY with x, y, z (0 without z) per point as doubles and the triangles as
// faces: binary little-endian, or ASCII.
void write_ply(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, bool ascii,
               const Progress& progress);

}  // namespace d2dcli
