// The mesh as a picture worth looking at: triangles shaded by elevation (a
// perceptual ramp, with its legend), each edge drawn once, the hull, the
// points, constraint segments in their own stroke, a title, a scale bar and
// the coordinate range (the page's layout is in svg_page.hpp).
//
// Common renderers give up on large files and on very long attributes
// (librsvg refuses files above about 10 MB), so the file keeps to a byte
// budget, and every layer is cut into paths of at most a few thousand
// pieces. What does not fit is sampled evenly (every k-th edge and point),
// and the footer says so; a shading too fine for the budget is drawn on a
// grid of small squares whose z the library interpolates.
#include "formats/picture/svg_picture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "formats/picture/region_fills.hpp"
#include "formats/picture/svg_page.hpp"
#include "formats/raster/raster_files.hpp"

namespace d2dcli {

namespace {

using namespace svg;

// Bytes that one piece of each layer takes at most (coordinates to a
// tenth of a pixel on a page under 10000 px): what the budget is split by,
// so that the file never exceeds it.
constexpr std::size_t fill_bytes = 44;    // M1016.0 1048.0L1016.0 1048.0L1016.0 1048.0Z
constexpr std::size_t edge_bytes = 29;    // M1016.0 1048.0L1016.0 1048.0
constexpr std::size_t dot_bytes = 17;     // M1016.0 1048.0h0
constexpr std::size_t square_bytes = 27;  // M1016.0 1048.0h4.0v4h-4.0z
constexpr std::size_t fixed_bytes = 24000;  // header, legend, texts
constexpr std::size_t most_outline = 20000;  // hull vertices, and constraint segments

void put_count(TextSink& sink, std::size_t count) { sink.put_integer(static_cast<std::int64_t>(count)); }

// Writes pieces into paths of at most `most` pieces each: one path element
// with a very long "d" attribute is what renderers choke on.
class PathPieces {
public:
    PathPieces(TextSink& sink, std::string opening, std::size_t most = 5000)
        : sink_(sink), opening_(std::move(opening)), most_(most) {}
    ~PathPieces() { close(); }
    TextSink& next() {
        if (count_ == most_) {
            close();
        }
        if (count_ == 0) {
            sink_.put(opening_);
            sink_.put(" d=\"");
        }
        ++count_;
        return sink_;
    }
    void close() {
        if (count_ > 0) {
            sink_.put("\"/>\n");
            count_ = 0;
        }
    }

private:
    TextSink& sink_;
    std::string opening_;
    std::size_t most_;
    std::size_t count_ = 0;
};

void put_xy(TextSink& sink, const Page& page, double x, double y) {
    sink.put_fixed(page.x(x), 1);
    sink.put(' ');
    sink.put_fixed(page.y(y), 1);
}

void put_vertex(TextSink& sink, const Page& page, const MeshView& mesh, std::uint32_t i) {
    put_xy(sink, page, mesh.x(i), mesh.y(i));
}

// Each triangle filled with the colour of its mean z, one group of paths
// per band; a hairline of the same colour closes the seams that
// anti-aliasing leaves between neighbours.
void put_triangle_fills(TextSink& sink, const Page& page, const MeshView& mesh, const ZRange& range,
                        ProgressSteps& steps) {
    const std::size_t count = mesh.triangle_count();
    std::vector<std::uint32_t> start(bands + 1, 0);
    std::vector<std::uint8_t> band_of(count);
    for (std::size_t t = 0; t < count; ++t) {
        const std::uint32_t* v = &mesh.triangles[3 * t];
        band_of[t] = static_cast<std::uint8_t>(range.band((mesh.z(v[0]) + mesh.z(v[1]) + mesh.z(v[2])) / 3.0));
        ++start[band_of[t] + 1u];
    }
    for (int b = 0; b < bands; ++b) {
        start[static_cast<std::size_t>(b) + 1] += start[static_cast<std::size_t>(b)];
    }
    std::vector<std::uint32_t> order(count);
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::size_t t = 0; t < count; ++t) {
        order[next[band_of[t]]++] = static_cast<std::uint32_t>(t);
    }
    for (int b = 0; b < bands; ++b) {
        const std::string colour = band_colour(b);
        PathPieces paths(sink, "<path fill=\"" + colour + "\" stroke=\"" + colour +
                                   "\" stroke-width=\"0.35\" stroke-linejoin=\"round\"");
        for (std::size_t k = start[static_cast<std::size_t>(b)]; k < start[static_cast<std::size_t>(b) + 1]; ++k) {
            const std::uint32_t* v = &mesh.triangles[3 * std::size_t{order[k]}];
            TextSink& out = paths.next();
            out.put('M');
            put_vertex(out, page, mesh, v[0]);
            out.put('L');
            put_vertex(out, page, mesh, v[1]);
            out.put('L');
            put_vertex(out, page, mesh, v[2]);
            out.put('Z');
            steps.advance();
        }
    }
}

// The shading of a mesh too fine to fill triangle by triangle: squares of
// a few pixels, each coloured by z at its centre (interpolated by the
// library on the triangles), runs of one colour along a row as one
// rectangle.
void put_grid_fills(TextSink& sink, const Page& page, const MeshView& mesh, const ZRange& range, unsigned threads) {
    RasterGrid grid;
    // The squares cover the drawing from its north-west corner.
    grid.west = page.min_x - page.shift_x / page.scale();
    grid.north = page.max_y + page.shift_y / page.scale();
    grid.cell = grid_pixels / page.scale();
    grid.columns = static_cast<std::size_t>(std::ceil(page.width / grid_pixels));
    grid.rows = static_cast<std::size_t>(std::ceil(page.height / grid_pixels));
    grid.nodata = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> z(grid.cell_count());
    surface_rows(mesh, grid, SurfaceMethod::linear, threads)(0, grid.rows, z.data());
    std::vector<int> band_of(z.size());
    for (std::size_t k = 0; k < z.size(); ++k) {
        band_of[k] = std::isfinite(z[k]) ? range.band(z[k]) : -1;
    }
    for (int b = 0; b < bands; ++b) {
        const std::string colour = band_colour(b);
        PathPieces paths(sink, "<path fill=\"" + colour + "\" stroke=\"none\"");
        for (std::size_t r = 0; r < grid.rows; ++r) {
            const int* row = band_of.data() + r * grid.columns;
            for (std::size_t c = 0; c < grid.columns;) {
                if (row[c] != b) {
                    ++c;
                    continue;
                }
                std::size_t end = c + 1;
                while (end < grid.columns && row[end] == b) {
                    ++end;
                }
                TextSink& out = paths.next();
                out.put('M');
                out.put_fixed(page.left + static_cast<double>(c) * grid_pixels, 1);
                out.put(' ');
                out.put_fixed(page.top + static_cast<double>(r) * grid_pixels, 1);
                out.put('h');
                out.put_fixed(static_cast<double>(end - c) * grid_pixels, 1);
                out.put("v4h-");
                out.put_fixed(static_cast<double>(end - c) * grid_pixels, 1);
                out.put('z');
                c = end;
            }
        }
    }
}

// Each edge once: from the triangle with the lower number, or from its
// only triangle on the hull; every stride-th of them.
std::size_t put_edges(TextSink& sink, const Page& page, const MeshView& mesh, const std::string& opening,
                      std::size_t stride, ProgressSteps& steps) {
    PathPieces paths(sink, opening);
    std::size_t seen = 0;
    std::size_t drawn = 0;
    for (std::size_t t = 0; t < mesh.triangle_count(); ++t) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t across = mesh.neighbours[3 * t + k];
            if (across >= 0 && static_cast<std::size_t>(across) < t) {
                continue;
            }
            if (seen++ % stride != 0) {
                continue;
            }
            TextSink& out = paths.next();
            out.put('M');
            put_vertex(out, page, mesh, mesh.triangles[3 * t + k]);
            out.put('L');
            put_vertex(out, page, mesh, mesh.triangles[3 * t + (k + 1) % 3]);
            ++drawn;
        }
        steps.advance();
    }
    return drawn;
}

// The Thiessen cells, every stride-th: filled with the colour of their
// point's z when shaded, outlined when opening is not empty.
void put_cells(TextSink& sink, const Page& page, const MeshView& mesh, const ThiessenCells& cells,
               const ZRange* range, const std::string& outline, std::size_t stride) {
    auto put_cell = [&](TextSink& out, std::size_t i) {
        for (std::size_t p = cells.part_offsets[i]; p < cells.part_offsets[i + 1]; ++p) {
            for (std::size_t r = cells.part_rings[p]; r < cells.part_rings[p + 1]; ++r) {
                for (std::size_t k = cells.ring_offsets[r]; k < cells.ring_offsets[r + 1]; ++k) {
                    out.put(k == cells.ring_offsets[r] ? 'M' : 'L');
                    put_xy(out, page, cells.vertices[2 * k], cells.vertices[2 * k + 1]);
                }
                out.put('Z');
            }
        }
    };
    if (range != nullptr) {
        for (int b = 0; b < bands; ++b) {
            const std::string colour = band_colour(b);
            PathPieces paths(sink, "<path fill=\"" + colour + "\" fill-rule=\"evenodd\" stroke=\"" + colour +
                                       "\" stroke-width=\"0.35\" stroke-linejoin=\"round\"");
            for (std::size_t i = 0; i < cells.point_count(); i += stride) {
                if (cells.part_offsets[i] != cells.part_offsets[i + 1] && range->band(mesh.z(i)) == b) {
                    put_cell(paths.next(), i);
                }
            }
        }
    }
    if (!outline.empty()) {
        PathPieces paths(sink, outline);
        for (std::size_t i = 0; i < cells.point_count(); i += stride) {
            if (cells.part_offsets[i] != cells.part_offsets[i + 1]) {
                put_cell(paths.next(), i);
            }
        }
    }
}

std::size_t count_edges(const MeshView& mesh) {
    std::size_t hull_edges = 0;
    for (std::int32_t across : mesh.neighbours) {
        hull_edges += across < 0 ? 1 : 0;
    }
    return (mesh.neighbours.size() + hull_edges) / 2;
}

}  // namespace

SvgPicture write_svg(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& given,
                     const Progress& progress) {
    // A constrained mesh's segments are drawn unless the caller names others.
    SvgLimits limits = given;
    if (limits.segments.empty()) {
        limits.segments = mesh.segments;
    }
    const std::size_t triangle_count = mesh.triangle_count();
    const std::size_t point_count = written.input_index.size();
    SvgPicture picture;
    picture.edge_count = count_edges(mesh);
    ProgressSteps steps(progress, 2 * triangle_count + point_count);

    Page page = fit_page(mesh, written);
    // Regions (the materials of a model) take the fill before z does.
    const std::vector<double> regions = region_values(mesh);
    // (while the triangles fit in 60% of the file's budget; past that the
    // picture is drawn as without regions)
    const std::size_t fill_budget = limits.max_bytes > fixed_bytes ? (limits.max_bytes - fixed_bytes) / 10 * 6 : 0;
    const bool by_region = !regions.empty() && triangle_count > 0 && triangle_count * fill_bytes <= fill_budget;
    const bool shaded = mesh.has_z() && triangle_count > 0 && !by_region;
    const ZRange range = shaded ? z_range(mesh, written) : ZRange{};
    const double page_width = page.width + 2 * margin + (shaded || by_region ? legend_width : 0.0);
    const double page_height = page.height + header_height + footer_height;
    const double area = page.width * page.height;

    // The budget, layer by layer: the shading first (triangles while they
    // fit in 60% of it, else the grid), then points and edges, none denser
    // than the page can show.
    std::size_t budget = limits.max_bytes > fixed_bytes ? limits.max_bytes - fixed_bytes : 0;
    bool fill_triangles = false;
    if (by_region) {
        budget -= std::min(budget, triangle_count * fill_bytes);
    }
    if (shaded) {
        fill_triangles = triangle_count * fill_bytes <= budget / 10 * 6;
        const std::size_t squares = static_cast<std::size_t>(area / (grid_pixels * grid_pixels));
        budget -= std::min(budget, fill_triangles ? triangle_count * fill_bytes : squares * square_bytes);
    }
    const std::size_t most_dots = std::min<std::size_t>(
        {static_cast<std::size_t>(area / (shaded || by_region ? 60.0 : 20.0)), budget / 5 / dot_bytes});
    const std::size_t dot_stride = std::max<std::size_t>(1, (point_count + most_dots - 1) / std::max<std::size_t>(most_dots, 1));
    budget -= std::min(budget, point_count / dot_stride * dot_bytes);
    // The hull and the constraint segments are outlines: a few thousand
    // vertices trace one as well as a million on a page this size (points
    // on a circle make a hull of all of them).
    std::size_t boundary_edges = 0;
    for (std::int32_t across : mesh.neighbours) {
        boundary_edges += across < 0 ? 1 : 0;
    }
    if (triangle_count == 0) {
        boundary_edges = mesh.hull.size();  // drawn as the line the points lie on
    }
    const std::size_t hull_stride = std::max<std::size_t>(1, (boundary_edges + most_outline - 1) / most_outline);
    const std::size_t segment_count = limits.segments.size() / 2;
    const std::size_t segment_stride = std::max<std::size_t>(1, (segment_count + most_outline - 1) / most_outline);
    budget -= std::min(budget, (boundary_edges / hull_stride + segment_count / segment_stride) * edge_bytes);
    // The cells (with --voronoi) take what is left, in place of the edges.
    std::size_t cell_stride = 1;
    if (limits.cells != nullptr) {
        const std::size_t cell_bytes = limits.cells->vertices.size() / 2 * 16 * (shaded ? 2 : 1);
        cell_stride = std::max<std::size_t>(1, (cell_bytes + budget - 1) / std::max<std::size_t>(budget, 1));
    }
    const std::size_t most_edges =
        std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(area / 6.0), budget / edge_bytes));
    const std::size_t edge_stride = std::max<std::size_t>(1, (picture.edge_count + most_edges - 1) / most_edges);

    sink.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"");
    sink.put_fixed(page_width, 0);
    sink.put("\" height=\"");
    sink.put_fixed(page_height, 0);
    sink.put("\" viewBox=\"0 0 ");
    sink.put_fixed(page_width, 0);
    sink.put(' ');
    sink.put_fixed(page_height, 0);
    sink.put("\">\n");
    std::string title = limits.title;
    if (title.empty()) {
        title = "delaunay2d: " + std::to_string(point_count) + " points, " + std::to_string(triangle_count) +
                " triangles";
    }
    sink.put("<title>");
    put_xml_text(sink, title);
    sink.put("</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");
    put_text(sink, margin, 24.0, 17, "start", "bold");
    put_xml_text(sink, title);
    sink.put("</text>\n");
    put_text(sink, margin, 42.0, 12, "start");
    put_count(sink, point_count);
    sink.put(" points, ");
    if (limits.cells != nullptr) {
        std::size_t with_cell = 0;
        for (std::size_t i = 0; i < limits.cells->point_count(); ++i) {
            with_cell += limits.cells->part_offsets[i] != limits.cells->part_offsets[i + 1] ? 1 : 0;
        }
        put_count(sink, with_cell);
        sink.put(" Thiessen cells");
        if (shaded) {
            sink.put("; cells coloured by their point's z");
        }
    } else {
        put_count(sink, triangle_count);
        sink.put(" triangles");
        if (by_region) {
            sink.put("; triangles coloured by region");
        }
    }
    if (shaded && limits.cells == nullptr) {
        sink.put(fill_triangles ? "; triangles coloured by their mean z"
                                : "; colour: z interpolated on the triangles, in 4-px squares");
    }
    sink.put("</text>\n");

    if (limits.cells != nullptr) {
        put_cells(sink, page, mesh, *limits.cells, shaded ? &range : nullptr,
                  limits.edges ? std::string("<path fill=\"none\" stroke=\"#5d7fb0\" stroke-linejoin=\"round\" "
                                             "stroke-width=\"0.6\"")
                               : std::string(),
                  cell_stride);
    } else if (by_region) {
        put_region_fills(sink, page, mesh, regions, steps);
    } else if (shaded) {
        if (fill_triangles) {
            put_triangle_fills(sink, page, mesh, range, steps);
        } else {
            put_grid_fills(sink, page, mesh, range, limits.threads);
        }
    }
    if (triangle_count > 0 && limits.edges && limits.cells == nullptr) {
        const double edge_width = std::clamp(
            0.12 * std::sqrt(area / static_cast<double>(std::max<std::size_t>(picture.edge_count / edge_stride, 1))),
            0.25, 1.0);
        std::string opening = shaded || by_region ? "<path fill=\"none\" stroke=\"#1b1b1b\" stroke-opacity=\"0.35\""
                                     : "<path fill=\"none\" stroke=\"#5d7fb0\"";
        opening += " stroke-linecap=\"round\" stroke-width=\"" + std::to_string(edge_width).substr(0, 4) + "\"";
        picture.edges_drawn = put_edges(sink, page, mesh, opening, edge_stride, steps);
    }
    if (limits.cells == nullptr && triangle_count == 0 && mesh.hull.size() > 1) {
        // No triangles (points on one line): the hull is the line.
        PathPieces line(sink, "<path fill=\"none\" stroke=\"#1d3557\" stroke-linejoin=\"round\" stroke-width=\"1.5\"",
                        std::numeric_limits<std::size_t>::max());
        for (std::size_t k = 0; k < mesh.hull.size(); k += hull_stride) {
            TextSink& out = line.next();
            out.put(k == 0 ? 'M' : 'L');
            put_vertex(out, page, mesh, mesh.hull[k]);
        }
    } else if (limits.cells == nullptr) {
        // The boundary, not the convex hull: a region, --clip and
        // --max-edge leave outlines of their own, and holes.
        PathPieces boundary(sink, "<path fill=\"none\" stroke=\"#1d3557\" stroke-linecap=\"round\" stroke-width=\"1.5\"");
        std::size_t seen = 0;
        for (std::size_t e = 0; e < mesh.neighbours.size(); ++e) {
            if (mesh.neighbours[e] >= 0 || seen++ % hull_stride != 0) {
                continue;
            }
            const std::size_t t = e / 3;
            TextSink& out = boundary.next();
            out.put('M');
            put_vertex(out, page, mesh, mesh.triangles[e]);
            out.put('L');
            put_vertex(out, page, mesh, mesh.triangles[3 * t + (e % 3 + 1) % 3]);
        }
    }
    if (!limits.segments.empty()) {
        PathPieces segments(sink, "<path fill=\"none\" stroke=\"#e63946\" stroke-linecap=\"round\" stroke-width=\"2\"");
        for (std::size_t s = 0; s + 1 < limits.segments.size(); s += 2 * segment_stride) {
            TextSink& out = segments.next();
            out.put('M');
            put_vertex(out, page, mesh, limits.segments[s]);
            out.put('L');
            put_vertex(out, page, mesh, limits.segments[s + 1]);
        }
    }
    {
        // Dots as zero-length round-capped strokes.
        const double dot_diameter = std::clamp(
            0.25 * std::sqrt(area / static_cast<double>(std::max<std::size_t>(point_count / dot_stride, 1))), 0.9,
            shaded || by_region ? 2.5 : 5.0);
        PathPieces dots(sink, std::string("<path fill=\"none\" stroke=\"") + (shaded || by_region ? "#111111" : "#d1495b") +
                                  "\" stroke-linecap=\"round\" stroke-width=\"" +
                                  std::to_string(dot_diameter).substr(0, 4) + "\"");
        for (std::size_t k = 0; k < point_count && limits.points; k += dot_stride) {
            const std::uint32_t i = written.input_index[k];
            if (std::isfinite(mesh.x(i)) && std::isfinite(mesh.y(i))) {
                TextSink& out = dots.next();
                out.put('M');
                put_vertex(out, page, mesh, i);
                out.put("h0");
                ++picture.points_drawn;
            }
            steps.advance();
        }
    }
    if (by_region) {
        put_region_legend(sink, page, regions);
    }
    if (shaded) {
        put_legend(sink, page, range, limits.z_label.empty() ? std::string("z") : limits.z_label);
    }
    put_scale_and_range(sink, page);

    // Only what is drawn at all counts as thinned.
    const bool edges_thinned = edge_stride > 1 && limits.edges && limits.cells == nullptr;
    const bool dots_thinned = dot_stride > 1 && limits.points;
    const bool outline_thinned = hull_stride > 1 && limits.cells == nullptr;
    picture.sampled = edges_thinned || dots_thinned || outline_thinned || segment_stride > 1 || cell_stride > 1;
    if (picture.sampled) {
        // Name only what was thinned: "59973 of 59973 edges" reads as if
        // something were missing.
        std::string drawn;
        if (edges_thinned) {
            drawn = std::to_string(picture.edges_drawn) + " of " + std::to_string(picture.edge_count) + " edges";
        }
        if (dots_thinned) {
            drawn += (drawn.empty() ? "" : " and ") + std::to_string(picture.points_drawn) + " of " +
                     std::to_string(point_count) + " points";
        }
        picture.note = "sampled to stay readable";
        if (!drawn.empty()) {
            picture.note += ": " + drawn + " drawn";
        }
        if (outline_thinned) {
            picture.note += "; 1 in " + std::to_string(hull_stride) + " boundary edges";
        }
        if (cell_stride > 1) {
            picture.note += "; 1 in " + std::to_string(cell_stride) + " Thiessen cells";
        }
        if (segment_stride > 1) {
            picture.note += "; 1 in " + std::to_string(segment_stride) + " constraint segments";
        }
        put_text(sink, margin, page.top + page.height + 48.0, 11, "start");
        sink.put(picture.note);
        sink.put("</text>\n");
    }
    sink.put("</svg>\n");
    return picture;
}

}  // namespace d2dcli
