// The page fitted to the drawing, and the range of z its shading spans.
#include "formats/picture/svg_page.hpp"

#include <cmath>
#include <limits>

namespace d2dcli::svg {

Page fit_page(const MeshView& mesh, const WrittenPoints& written) {
    Page page;
    double min_x = std::numeric_limits<double>::infinity(), min_y = min_x, max_x = -min_x, max_y = -min_x;
    for (std::uint32_t i : written.input_index) {
        if (std::isfinite(mesh.x(i)) && std::isfinite(mesh.y(i))) {
            min_x = std::min(min_x, mesh.x(i));
            max_x = std::max(max_x, mesh.x(i));
            min_y = std::min(min_y, mesh.y(i));
            max_y = std::max(max_y, mesh.y(i));
        }
    }
    if (!(min_x <= max_x)) {
        return page;  // nothing finite to draw
    }
    const double half_span_x = 0.5 * max_x - 0.5 * min_x;
    const double half_span_y = 0.5 * max_y - 0.5 * min_y;
    const double half_span = std::max(half_span_x, half_span_y);
    page.min_x = min_x;
    page.max_x = max_x;
    page.min_y = min_y;
    page.max_y = max_y;
    // drawing_side / span, times two; a span too small to divide by draws
    // at one pixel per unit.
    const double double_scale = drawing_side / half_span;
    page.double_scale = half_span > 0.0 && std::isfinite(double_scale) ? double_scale : 2.0;
    page.width = half_span_x * page.double_scale;
    page.height = half_span_y * page.double_scale;
    // A flat or single-point set still gets a drawing a hand's width high.
    if (page.width < 40.0) {
        page.shift_x = (40.0 - page.width) / 2;
        page.width = 40.0;
    }
    if (page.height < 40.0) {
        page.shift_y = (40.0 - page.height) / 2;
        page.height = 40.0;
    }
    return page;
}

ZRange z_range(const MeshView& mesh, const WrittenPoints& written) {
    ZRange range{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (std::uint32_t i : written.input_index) {
        if (std::isfinite(mesh.z(i)) && std::isfinite(mesh.x(i)) && std::isfinite(mesh.y(i))) {
            range.low = std::min(range.low, mesh.z(i));
            range.high = std::max(range.high, mesh.z(i));
        }
    }
    if (!(range.low <= range.high)) {
        range = {0.0, 0.0};
    }
    return range;
}

}  // namespace d2dcli::svg
