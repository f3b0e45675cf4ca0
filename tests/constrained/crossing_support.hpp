// What the crossing tests share: one constrained call with its result
// freed, an exact count of proper crossings (GMP behind a quick filter,
// none of the library's arithmetic), and a reader for 0-based .poly files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "support/constrained_call.hpp"
#include "support/constrained_checker.hpp"
#include "support/exact_rational.hpp"

namespace crossing_tests {

using Call = d2dtest::ConstrainedCall;

inline int orient(const std::vector<double>& xy, uint32_t a, uint32_t b, uint32_t c) {
    const double ax = xy[2 * a], ay = xy[2 * a + 1], bx = xy[2 * b], by = xy[2 * b + 1], cx = xy[2 * c], cy = xy[2 * c + 1];
    const int quick = d2dtest::orient_sign_quick(ax, ay, bx, by, cx, cy);
    return quick != 0 ? quick : d2dtest::orient_sign_rational(ax, ay, bx, by, cx, cy);
}

// The pairs of segments that cross at one point inside both.
inline size_t proper_crossings(const d2dtest::ConstrainedInput& in) {
    const size_t n = in.segments.size() / 2;
    struct Box {
        double lx, ly, hx, hy;
    };
    std::vector<Box> boxes(n);
    for (size_t s = 0; s < n; ++s) {
        const uint32_t a = in.segments[2 * s], b = in.segments[2 * s + 1];
        boxes[s] = {std::min(in.xy[2 * a], in.xy[2 * b]), std::min(in.xy[2 * a + 1], in.xy[2 * b + 1]),
                    std::max(in.xy[2 * a], in.xy[2 * b]), std::max(in.xy[2 * a + 1], in.xy[2 * b + 1])};
    }
    size_t count = 0;
    for (size_t s = 0; s < n; ++s) {
        for (size_t t = s + 1; t < n; ++t) {
            if (boxes[t].lx > boxes[s].hx || boxes[t].hx < boxes[s].lx || boxes[t].ly > boxes[s].hy || boxes[t].hy < boxes[s].ly) {
                continue;
            }
            const uint32_t a = in.segments[2 * s], b = in.segments[2 * s + 1];
            const uint32_t c = in.segments[2 * t], d = in.segments[2 * t + 1];
            if (orient(in.xy, a, b, c) * orient(in.xy, a, b, d) < 0 && orient(in.xy, c, d, a) * orient(in.xy, c, d, b) < 0) {
                ++count;
            }
        }
    }
    return count;
}

// A 0-based Triangle .poly with its vertices in the file; comments after #.
inline bool read_poly(const std::string& path, d2dtest::ConstrainedInput& in) {
    std::ifstream file(path);
    if (!file) return false;
    std::vector<double> numbers;
    std::string line;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        double v;
        while (words >> v) numbers.push_back(v);
    }
    size_t at = 0;
    auto next = [&]() { return at < numbers.size() ? numbers[at++] : 0.0; };
    const auto points = static_cast<size_t>(next());
    next();  // dimension
    const auto attributes = static_cast<size_t>(next());
    const auto point_markers = static_cast<size_t>(next());
    for (size_t p = 0; p < points; ++p) {
        next();
        in.xy.push_back(next());
        in.xy.push_back(next());
        for (size_t k = 0; k < attributes + point_markers; ++k) next();
    }
    const auto segments = static_cast<size_t>(next());
    const auto segment_markers = static_cast<size_t>(next());
    for (size_t s = 0; s < segments; ++s) {
        next();
        in.segments.push_back(static_cast<uint32_t>(next()));
        in.segments.push_back(static_cast<uint32_t>(next()));
        for (size_t k = 0; k < segment_markers; ++k) next();
    }
    const auto holes = static_cast<size_t>(next());
    for (size_t h = 0; h < holes; ++h) {
        next();
        in.holes.push_back(next());
        in.holes.push_back(next());
    }
    return at <= numbers.size();
}

}  // namespace crossing_tests
