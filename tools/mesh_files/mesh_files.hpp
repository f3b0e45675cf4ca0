// The writers of the mesh formats. Each writes one file to a sink: the
// written points (see written_points.hpp) in file order, then what the
// format holds of the triangles. Triangles keep the order of the mesh and
// list their vertices counter-clockwise; "neighbour k" is always the
// triangle across the edge opposite vertex k, -1 on the hull, as in
// Triangle's .neigh files.
#pragma once

#include <cstddef>

#include "mesh_view.hpp"
#include "text_sink.hpp"
#include "write_progress.hpp"
#include "written_points.hpp"

namespace d2dcli {

// OFF: "OFF", counts, "x y 0" per point, "3 a b c" per triangle (0-based).
void write_off(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// Wavefront OBJ: "v x y 0" per point, "f a b c" per triangle (1-based).
void write_obj(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// JSON: {"points": [[x, y], ...], "triangles": [[a, b, c], ...],
// "neighbours": [[n0, n1, n2], ...], "hull": [...]}, all 0-based; a
// coordinate that is not finite (only with every point kept) is null.
void write_json(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// Triangle's files, numbered from first_number (1 as Triangle writes them,
// or 0): .node "<number> x y <marker>" with marker 1 for a point on the
// hull; .ele "<number> a b c"; .neigh "<number> n0 n1 n2".
void write_node(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
                const Progress& progress);
void write_ele(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
               const Progress& progress);
void write_neigh(TextSink& sink, const MeshView& mesh, int first_number, const Progress& progress);

struct SvgLimits {
    // Above this many triangles the picture shows the hull and a sample of
    // the points instead: a page cannot show more edges than it has pixels.
    std::size_t most_triangles = 500000;
    std::size_t sample_points = 50000;
};

struct SvgPicture {
    bool sampled = false;        // true when only the hull and a sample are drawn
    std::size_t points_drawn = 0;
};

// A picture scaled to fit a page of at most 1000 px a side: the edges thin
// and light, the hull dark, the points as dots.
SvgPicture write_svg(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                     const Progress& progress);

}  // namespace d2dcli
