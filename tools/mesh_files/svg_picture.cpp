// The mesh as a picture. Everything is drawn as a handful of long paths
// (all edges in one, all dots in another) with coordinates rounded to a
// tenth of a pixel, which keeps 10^5 triangles to a few megabytes that a
// browser or rsvg-convert draws in well under a second.
#include <algorithm>
#include <cmath>
#include <limits>

#include "mesh_files.hpp"

namespace d2dcli {

namespace {

constexpr double page_side = 1000.0;  // the longer side of the drawing area
constexpr double margin = 12.0;
constexpr double caption_height = 28.0;

struct PageTransform {
    double min_x = 0.0;
    double max_y = 0.0;
    double scale = 1.0;
    double width = page_side;   // of the drawing area
    double height = page_side;

    double page_x(double x) const { return margin + (x - min_x) * scale; }
    double page_y(double y) const { return margin + (max_y - y) * scale; }  // y grows upward on paper
};

PageTransform fit_page(const MeshView& mesh, const WrittenPoints& written) {
    double min_x = std::numeric_limits<double>::infinity();
    double min_y = min_x;
    double max_x = -min_x;
    double max_y = -min_x;
    for (std::uint32_t i : written.input_index) {
        double x = mesh.x(i);
        double y = mesh.y(i);
        if (std::isfinite(x) && std::isfinite(y)) {
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
    }
    PageTransform page;
    if (!(min_x <= max_x)) {
        return page;  // nothing finite to draw
    }
    // The extents are computed in long double steps so that coordinates near
    // the top of the double range cannot overflow the span.
    double span_x = static_cast<double>(static_cast<long double>(max_x) - min_x);
    double span_y = static_cast<double>(static_cast<long double>(max_y) - min_y);
    double span = std::max(span_x, span_y);
    page.min_x = min_x;
    page.max_y = max_y;
    page.scale = span > 0.0 && std::isfinite(page_side / span) ? page_side / span : 1.0;
    // A flat or single-point set still gets a page a hand's width high.
    page.width = std::max(span_x * page.scale, 40.0);
    page.height = std::max(span_y * page.scale, 40.0);
    if (span_y == 0.0) {
        page.max_y = max_y + 20.0 / page.scale;
    }
    if (span_x == 0.0) {
        page.min_x = min_x - 20.0 / page.scale;
    }
    return page;
}

void put_point(TextSink& sink, const PageTransform& page, const MeshView& mesh, std::uint32_t i) {
    sink.put_fixed(page.page_x(mesh.x(i)), 1);
    sink.put(' ');
    sink.put_fixed(page.page_y(mesh.y(i)), 1);
}

double clamp(double value, double low, double high) { return std::min(std::max(value, low), high); }

void put_count(TextSink& sink, std::size_t count) { sink.put_integer(static_cast<std::int64_t>(count)); }

}  // namespace

SvgPicture write_svg(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                     const Progress& progress) {
    const std::size_t triangle_count = mesh.triangle_count();
    const std::size_t point_count = written.input_index.size();
    SvgPicture picture;
    picture.sampled = triangle_count > limits.most_triangles;
    ProgressSteps steps(progress, (picture.sampled ? 0 : triangle_count) + point_count);

    const PageTransform page = fit_page(mesh, written);
    const double page_width = page.width + 2 * margin;
    const double page_height = page.height + 2 * margin + (picture.sampled ? caption_height : 0.0);
    const double area = page.width * page.height;
    // Lines and dots get thinner as the mesh gets denser, so that a dense
    // mesh reads as a fine texture instead of a solid blot.
    const double edge_width =
        clamp(0.12 * std::sqrt(area / static_cast<double>(std::max<std::size_t>(triangle_count, 1))), 0.1, 1.0);
    const double dot_diameter =
        clamp(0.25 * std::sqrt(area / static_cast<double>(std::max<std::size_t>(point_count, 1))), 0.9, 5.0);

    sink.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"");
    sink.put_fixed(page_width, 0);
    sink.put("\" height=\"");
    sink.put_fixed(page_height, 0);
    sink.put("\" viewBox=\"0 0 ");
    sink.put_fixed(page_width, 0);
    sink.put(' ');
    sink.put_fixed(page_height, 0);
    sink.put("\">\n<title>delaunay2d: ");
    put_count(sink, point_count);
    sink.put(" points, ");
    put_count(sink, triangle_count);
    sink.put(" triangles</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");

    if (!picture.sampled && triangle_count > 0) {
        // Every edge once: from the triangle with the lower number, or from
        // its only triangle on the hull.
        sink.put("<path fill=\"none\" stroke=\"#8fa9c9\" stroke-linecap=\"round\" stroke-width=\"");
        sink.put_fixed(edge_width, 2);
        sink.put("\" d=\"");
        for (std::size_t t = 0; t < triangle_count; ++t) {
            for (std::size_t k = 0; k < 3; ++k) {
                std::int32_t across = mesh.neighbours[3 * t + k];
                if (across < 0 || static_cast<std::size_t>(across) > t) {
                    sink.put('M');
                    put_point(sink, page, mesh, mesh.triangles[3 * t + k]);
                    sink.put('L');
                    put_point(sink, page, mesh, mesh.triangles[3 * t + (k + 1) % 3]);
                }
            }
            steps.advance();
        }
        sink.put("\"/>\n");
    }

    if (!mesh.segments.empty()) {
        // Segments in a stroke of their own, over the edges.
        sink.put("<path fill=\"none\" stroke=\"#e07a1f\" stroke-linecap=\"round\" stroke-width=\"");
        sink.put_fixed(2.0 * edge_width, 2);
        sink.put("\" d=\"");
        for (std::size_t s = 0; s + 1 < mesh.segments.size(); s += 2) {
            sink.put('M');
            put_point(sink, page, mesh, mesh.segments[s]);
            sink.put('L');
            put_point(sink, page, mesh, mesh.segments[s + 1]);
        }
        sink.put("\"/>\n");
    }

    if (!mesh.hull.empty()) {
        sink.put("<path fill=\"none\" stroke=\"#1d3557\" stroke-linejoin=\"round\" stroke-width=\"1.5\" d=\"");
        char command = 'M';
        for (std::uint32_t v : mesh.hull) {
            sink.put(command);
            put_point(sink, page, mesh, v);
            command = 'L';
        }
        sink.put(mesh.hull.size() > 2 ? "Z\"/>\n" : "\"/>\n");
    }

    // Dots as zero-length round-capped strokes: one path for all of them.
    const std::size_t stride =
        picture.sampled ? std::max<std::size_t>(1, (point_count + limits.sample_points - 1) / limits.sample_points)
                        : 1;
    sink.put("<path fill=\"none\" stroke=\"#d1495b\" stroke-linecap=\"round\" stroke-width=\"");
    sink.put_fixed(dot_diameter, 2);
    sink.put("\" d=\"");
    for (std::size_t k = 0; k < point_count; k += stride) {
        std::uint32_t i = written.input_index[k];
        if (std::isfinite(mesh.x(i)) && std::isfinite(mesh.y(i))) {
            sink.put('M');
            put_point(sink, page, mesh, i);
            sink.put("h0");
            ++picture.points_drawn;
        }
        steps.advance();
    }
    sink.put("\"/>\n");

    if (picture.sampled) {
        sink.put("<text x=\"");
        sink.put_fixed(margin, 0);
        sink.put("\" y=\"");
        sink.put_fixed(page_height - 10.0, 0);
        sink.put("\" font-family=\"sans-serif\" font-size=\"14\" fill=\"#333333\">");
        put_count(sink, triangle_count);
        sink.put(" triangles are too many to draw: the hull and ");
        put_count(sink, picture.points_drawn);
        sink.put(" of the ");
        put_count(sink, point_count);
        sink.put(" points are shown</text>\n");
    }
    sink.put("</svg>\n");
    return picture;
}

}  // namespace d2dcli
