#include "crossing_heights.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace d2dcli {

namespace {

// A bucket grid over the segments' extent, each segment filed in the cells
// its bounding box covers; a segment whose box covers more than a few rows
// of cells goes to a list checked for every point instead, so that filing
// costs at most a few rows per segment.
//
//   +---+---+---+---+
//   |   | s | s |   |   s: cells of segment s's box
//   +---+---+---+---+
//   |   | s | s |   |
//   +---+---+---+---+
class SegmentGrid {
public:
    SegmentGrid(const ConstrainedInput& input) : input_(input) {
        const std::size_t count = input.segments.size() / 2;
        side_ = std::clamp<std::size_t>(static_cast<std::size_t>(std::sqrt(static_cast<double>(count))), 1, 512);
        west_ = south_ = std::numeric_limits<double>::infinity();
        double east = -west_;
        double north = -west_;
        for (std::uint32_t v : input.segments) {
            west_ = std::min(west_, x(v));
            south_ = std::min(south_, y(v));
            east = std::max(east, x(v));
            north = std::max(north, y(v));
        }
        width_ = std::max(east - west_, std::numeric_limits<double>::min()) / static_cast<double>(side_);
        height_ = std::max(north - south_, std::numeric_limits<double>::min()) / static_cast<double>(side_);
        cells_.resize(side_ * side_);
        for (std::size_t s = 0; s < count; ++s) {
            const std::uint32_t a = input.segments[2 * s];
            const std::uint32_t b = input.segments[2 * s + 1];
            const std::size_t c0 = column(std::min(x(a), x(b))), c1 = column(std::max(x(a), x(b)));
            const std::size_t r0 = row(std::min(y(a), y(b))), r1 = row(std::max(y(a), y(b)));
            if ((c1 - c0 + 1) * (r1 - r0 + 1) > 4 * side_) {
                long_.push_back(s);
                continue;
            }
            for (std::size_t r = r0; r <= r1; ++r) {
                for (std::size_t c = c0; c <= c1; ++c) {
                    cells_[r * side_ + c].push_back(s);
                }
            }
        }
    }

    // The segment (a, b) listed first among those nearest to (px, py)
    // within `slack`, else the nearest; and where along it (0 at a, 1 at b).
    std::pair<std::size_t, double> nearest(double px, double py) const {
        std::size_t best = 0;
        double best_distance = std::numeric_limits<double>::infinity();
        double best_t = 0.0;
        // Rounding puts a crossing within half a gap between doubles of its
        // segments: a few gaps of the largest coordinate count as on it.
        const double slack = 8.0 * std::numeric_limits<double>::epsilon() *
                             std::max({std::fabs(px), std::fabs(py), std::numeric_limits<double>::min()});
        auto consider = [&](std::size_t s) {
            const std::uint32_t a = input_.segments[2 * s];
            const std::uint32_t b = input_.segments[2 * s + 1];
            const double dx = x(b) - x(a), dy = y(b) - y(a);
            const double length2 = dx * dx + dy * dy;
            double t = length2 > 0.0 ? ((px - x(a)) * dx + (py - y(a)) * dy) / length2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double distance = std::hypot(px - (x(a) + t * dx), py - (y(a) + t * dy));
            const bool on_both = distance <= slack && best_distance <= slack;
            if (on_both ? s < best : distance < best_distance) {
                best = s;
                best_distance = distance;
                best_t = t;
            }
        };
        const std::size_t c = column(px), r = row(py);
        for (std::size_t s : cells_[r * side_ + c]) {
            consider(s);
        }
        for (std::size_t s : long_) {
            consider(s);
        }
        if (best_distance > slack) {
            // Off every segment filed here: look at them all.
            for (std::size_t s = 0; s < input_.segments.size() / 2; ++s) {
                consider(s);
            }
        }
        return {best, best_t};
    }

private:
    double x(std::uint32_t v) const { return input_.points.xy[2 * v]; }
    double y(std::uint32_t v) const { return input_.points.xy[2 * v + 1]; }
    std::size_t column(double at) const {
        const double c = std::floor((at - west_) / width_);
        return c < 0.0 ? 0 : std::min(static_cast<std::size_t>(c), side_ - 1);
    }
    std::size_t row(double at) const {
        const double r = std::floor((at - south_) / height_);
        return r < 0.0 ? 0 : std::min(static_cast<std::size_t>(r), side_ - 1);
    }

    const ConstrainedInput& input_;
    std::size_t side_ = 1;
    double west_ = 0.0, south_ = 0.0, width_ = 1.0, height_ = 1.0;
    std::vector<std::vector<std::size_t>> cells_;
    std::vector<std::size_t> long_;
};

}  // namespace

void add_crossing_heights(const ConstrainedInput& input, std::span<const double> all_xy, std::vector<double>& zw) {
    const std::size_t total = all_xy.size() / 2;
    const std::size_t count = input.points.size();
    if (zw.empty() || total <= count || input.segments.empty()) {
        if (!zw.empty()) {
            zw.resize(2 * total, 0.0);
        }
        return;
    }
    const SegmentGrid grid(input);
    zw.resize(2 * total);
    for (std::size_t i = count; i < total; ++i) {
        const auto [s, t] = grid.nearest(all_xy[2 * i], all_xy[2 * i + 1]);
        const std::uint32_t a = input.segments[2 * s];
        const std::uint32_t b = input.segments[2 * s + 1];
        for (int k = 0; k < 2; ++k) {
            zw[2 * i + k] = zw[2 * a + k] + t * (zw[2 * b + k] - zw[2 * a + k]);
        }
    }
}

}  // namespace d2dcli
