#include "formats/picture/region_fills.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace d2dcli::svg {

namespace {

// Okabe and Ito's eight colours, which stay apart for colour-blind eyes,
// lightened so that the edges drawn over them show; then repeated.
constexpr std::array<const char*, 8> region_colours = {"#f4c06a", "#7fc1e8", "#5fbf9a", "#f6ec8c",
                                                       "#6f9fcf", "#e8a070", "#d8a2c0", "#c8c8c8"};
constexpr std::size_t most_legend_rows = 20;
constexpr std::size_t pieces_per_path = 5000;

const char* colour_of(std::size_t region) { return region_colours[region % region_colours.size()]; }

}  // namespace

std::vector<double> region_values(const MeshView& mesh) {
    std::vector<double> values(mesh.triangle_attributes.begin(), mesh.triangle_attributes.end());
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

void put_region_fills(TextSink& sink, const Page& page, const MeshView& mesh, const std::vector<double>& values,
                      ProgressSteps& steps) {
    // Triangles by region (a counting sort), so that each region is one
    // group of paths.
    const std::size_t count = mesh.triangle_count();
    std::vector<std::size_t> start(values.size() + 1, 0);
    std::vector<std::uint32_t> region_of(count);
    for (std::size_t t = 0; t < count; ++t) {
        region_of[t] = static_cast<std::uint32_t>(
            std::lower_bound(values.begin(), values.end(), mesh.triangle_attributes[t]) - values.begin());
        ++start[region_of[t] + 1];
    }
    for (std::size_t r = 0; r < values.size(); ++r) {
        start[r + 1] += start[r];
    }
    std::vector<std::uint32_t> order(count);
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t t = 0; t < count; ++t) {
        order[next[region_of[t]]++] = static_cast<std::uint32_t>(t);
    }
    for (std::size_t r = 0; r < values.size(); ++r) {
        const std::string colour = colour_of(r);
        for (std::size_t k = start[r]; k < start[r + 1]; ++k) {
            // A hairline of the fill's colour closes the seams that
            // anti-aliasing leaves between neighbours; a path holds at
            // most pieces_per_path triangles, as renderers choke on very
            // long attributes.
            if ((k - start[r]) % pieces_per_path == 0) {
                sink.put("<path fill=\"" + colour + "\" stroke=\"" + colour +
                         "\" stroke-width=\"0.35\" stroke-linejoin=\"round\" d=\"");
            }
            const std::uint32_t* v = &mesh.triangles[3 * std::size_t{order[k]}];
            for (std::size_t c = 0; c < 3; ++c) {
                sink.put(c == 0 ? 'M' : 'L');
                sink.put_fixed(page.x(mesh.x(v[c])), 1);
                sink.put(' ');
                sink.put_fixed(page.y(mesh.y(v[c])), 1);
            }
            sink.put('Z');
            if ((k - start[r]) % pieces_per_path == pieces_per_path - 1 || k + 1 == start[r + 1]) {
                sink.put("\"/>\n");
            }
            steps.advance();
        }
    }
}

void put_region_legend(TextSink& sink, const Page& page, const std::vector<double>& values) {
    const double x = page.left + page.width + 24.0;
    put_text(sink, x, page.top + 10.0, 13, "start", "bold");
    sink.put("region</text>\n");
    const std::size_t rows = std::min(values.size(), most_legend_rows);
    for (std::size_t r = 0; r < rows; ++r) {
        const double y = page.top + 22.0 + 24.0 * static_cast<double>(r);
        sink.put("<rect x=\"");
        sink.put_fixed(x, 1);
        sink.put("\" y=\"");
        sink.put_fixed(y, 1);
        sink.put("\" width=\"18\" height=\"18\" stroke=\"#444444\" stroke-width=\"0.8\" fill=\"");
        sink.put(colour_of(r));
        sink.put("\"/>\n");
        put_text(sink, x + 24.0, y + 13.5, 12, "start");
        sink.put_shortest(values[r]);
        sink.put("</text>\n");
    }
    if (values.size() > rows) {
        put_text(sink, x, page.top + 22.0 + 24.0 * static_cast<double>(rows) + 13.5, 11, "start");
        sink.put_integer(static_cast<std::int64_t>(values.size() - rows));
        sink.put(" more</text>\n");
    }
}

}  // namespace d2dcli::svg
