// The mesh as an SVG picture (the drawing is in svg_picture.cpp, its page
// and captions in svg_page.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/controls/thiessen_cells.hpp"
#include "formats/mesh_write/mesh_view.hpp"
#include "formats/mesh_write/written_points.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"

namespace d2dcli {

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
    bool points = true;  // draw the points (--no-points: not)
    bool edges = true;   // draw the triangles' edges or the cells' outlines (--no-edges: not)
    // With --voronoi: the Thiessen cells, drawn (and shaded by their
    // point's z) instead of the triangles.
    const ThiessenCells* cells = nullptr;
};

struct SvgPicture {
    bool sampled = false;  // only every k-th edge or point is drawn; note says how many
    std::string note;
    std::size_t edge_count = 0;
    std::size_t edges_drawn = 0;
    std::size_t points_drawn = 0;
};

// A picture with the drawing 1000 px on its longer side: triangles coloured
// by region when the mesh has regions, else triangles (or Thiessen cells)
// shaded by z when the input has z (with a legend), every edge once, the
// mesh's boundary (the edges with no triangle on one side: the hull, or the
// outline of a region, of --clip and --max-edge), the
// points, a title, a scale bar and the coordinate range.
SvgPicture write_svg(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                     const Progress& progress);

}  // namespace d2dcli
