// A uniform grid of cells over the segments' box, to find what may meet
// without testing every pair: two segments that cross, or a segment and a
// hot pixel it passes through, always share a cell.
//
// A segment is listed in every cell it may pass through, conservatively:
// column by column, the rows between the segment's heights at the column's
// two sides, widened by a margin that covers the rounding of this walk and
// the half-width of a hot pixel (a point is listed in the cell of its
// centre only). The grid works on the coordinates times a power of two
// that brings the largest below 1 (exact, and no difference can overflow),
// so the margin is one fixed number, unless the subnormals' coarse pixels
// are larger:
//
//       col c     col c+1
//     +---------+---------+
//     |       _/|         |   the segment is listed in the cells its
//     |    _/   |         |   widened column slices reach
//     | _/      |         |
//     +---------+---------+
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_GRID_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_GRID_HPP

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace d2d::operations::constrained {

class SegmentGrid {
 public:
    // A grid of about `cells` cells (at least one, at most 2^22) over the
    // box of finite points low - high.
    SegmentGrid(double low_x, double low_y, double high_x, double high_y, size_t cells) {
        const double largest = std::max(std::max(std::fabs(low_x), std::fabs(high_x)), std::max(std::fabs(low_y), std::fabs(high_y)));
        int exponent = 0;
        if (largest > 0.0) std::frexp(largest, &exponent);
        // Two factors: 2^-exponent alone overflows for subnormal inputs.
        scale_high_ = std::ldexp(1.0, -exponent / 2);
        scale_low_ = std::ldexp(1.0, -exponent - (-exponent / 2));  // largest * both < 1
        // Half a hot pixel is at most 2^-53 of a coordinate, or 2^-1075
        // (the subnormals' half gap), which scaling can make large.
        margin_ = std::max(kMargin, std::ldexp(1.0, -1072 - exponent));
        low_x_ = scaled(low_x);
        low_y_ = scaled(low_y);
        const double width = scaled(high_x) - low_x_, height = scaled(high_y) - low_y_;
        cells = std::clamp<size_t>(cells, 1, size_t{1} << 22);
        if (width > 0.0 && height > 0.0) {
            const double side = std::sqrt(static_cast<double>(cells) * width / height);
            columns_ = static_cast<size_t>(std::clamp(side, 1.0, static_cast<double>(cells)));
            rows_ = std::max<size_t>(1, cells / columns_);
        } else if (width > 0.0) {
            columns_ = cells;
        } else if (height > 0.0) {
            rows_ = cells;
        }
        // No cell narrower than the margin: that would only list every
        // segment in more cells.
        columns_ = std::max<size_t>(1, std::min(columns_, static_cast<size_t>(width / margin_)));
        rows_ = std::max<size_t>(1, std::min(rows_, static_cast<size_t>(height / margin_)));
        cell_width_ = width > 0.0 ? width / static_cast<double>(columns_) : 1.0;
        cell_height_ = height > 0.0 ? height / static_cast<double>(rows_) : 1.0;
        inverse_width_ = 1.0 / cell_width_;
        inverse_height_ = 1.0 / cell_height_;
    }

    size_t cell_count() const { return columns_ * rows_; }
    // x times the grid's power of two (exact unless it falls into the
    // subnormals, and monotone always).
    double scaled(double x) const { return x * scale_high_ * scale_low_; }

    size_t cell_of(double x, double y) const { return row(scaled(y)) * columns_ + column(scaled(x)); }

    // Calls visit(cell) for every cell the segment a - b may pass through,
    // each once.
    template <class Visit>
    void for_cells(double ax, double ay, double bx, double by, Visit&& visit) const {
        ax = scaled(ax), ay = scaled(ay), bx = scaled(bx), by = scaled(by);
        const double low_x = std::min(ax, bx), high_x = std::max(ax, bx);
        const double low_y = std::min(ay, by), high_y = std::max(ay, by);
        const size_t first = column(low_x - margin_), last = column(high_x + margin_);
        const double slope = bx != ax ? (by - ay) / (bx - ax) : 0.0;
        for (size_t c = first; c <= last; ++c) {
            double from = low_y, to = high_y;
            if (bx != ax && first != last) {
                // The segment's heights over the column, widened.
                const double left = std::max(low_x, low_x_ + static_cast<double>(c) * cell_width_ - margin_);
                const double right = std::min(high_x, low_x_ + static_cast<double>(c + 1) * cell_width_ + margin_);
                const double y1 = ay + (left - ax) * slope, y2 = ay + (right - ax) * slope;
                from = std::max(low_y, std::min(y1, y2));
                to = std::min(high_y, std::max(y1, y2));
                if (!(from <= to)) from = low_y, to = high_y;  // a NaN from a huge slope: the whole column
            }
            const size_t r0 = row(from - margin_), r1 = row(to + margin_);
            for (size_t r = r0; r <= r1; ++r) visit(r * columns_ + c);
        }
    }

 private:
    // Coordinates are below 1 here: the walk's rounding and half a hot
    // pixel of a normal double are each below 2^-50.
    static constexpr double kMargin = 0x1p-44;
    double margin_ = kMargin;

    size_t column(double x) const { return index((x - low_x_) * inverse_width_, columns_); }
    size_t row(double y) const { return index((y - low_y_) * inverse_height_, rows_); }
    static size_t index(double at, size_t count) {
        if (!(at > 0.0)) return 0;
        if (at >= static_cast<double>(count - 1)) return count - 1;
        return static_cast<size_t>(at);
    }

    double scale_high_ = 1.0, scale_low_ = 1.0;
    double low_x_ = 0.0, low_y_ = 0.0;
    double cell_width_ = 1.0, cell_height_ = 1.0;
    double inverse_width_ = 1.0, inverse_height_ = 1.0;
    size_t columns_ = 1, rows_ = 1;
};

}  // namespace d2d::operations::constrained

#endif
