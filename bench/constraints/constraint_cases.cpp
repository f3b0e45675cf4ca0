#include "constraint_cases.h"

#include <cmath>
#include <random>

namespace bench {

ConstraintCase random_segments_case(std::size_t points, std::size_t segments, std::uint64_t seed) {
    ConstraintCase c;
    c.name = "random points + non-crossing segments";
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const std::size_t side = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(segments))));
    const double cell = 1.0 / static_cast<double>(side);
    for (std::size_t s = 0; s < segments; ++s) {
        const double x0 = static_cast<double>(s % side) * cell;
        const double y0 = static_cast<double>(s / side) * cell;
        for (int end = 0; end < 2; ++end) {
            c.xy.push_back(x0 + cell * (0.05 + 0.9 * unit(rng)));
            c.xy.push_back(y0 + cell * (0.05 + 0.9 * unit(rng)));
        }
        c.segments.push_back(static_cast<std::uint32_t>(2 * s));
        c.segments.push_back(static_cast<std::uint32_t>(2 * s + 1));
    }
    while (c.xy.size() < 2 * points) c.xy.push_back(unit(rng));
    return c;
}

ConstraintCase polygon_with_holes_case(std::size_t vertices, std::size_t holes, std::uint64_t seed) {
    ConstraintCase c;
    c.name = "polygon with holes, inside";
    c.inside = true;
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> wobble(1.0, 1.02);
    auto ring = [&](double cx, double cy, double r, std::size_t n, double spread) {
        const std::uint32_t first = static_cast<std::uint32_t>(c.xy.size() / 2);
        for (std::size_t k = 0; k < n; ++k) {
            const double angle = 2.0 * M_PI * static_cast<double>(k) / static_cast<double>(n);
            const double radius = r * (spread > 0.0 ? wobble(rng) : 1.0);
            c.xy.push_back(cx + radius * std::cos(angle));
            c.xy.push_back(cy + radius * std::sin(angle));
            c.segments.push_back(first + static_cast<std::uint32_t>(k));
            c.segments.push_back(first + static_cast<std::uint32_t>((k + 1) % n));
        }
    };
    ring(0.0, 0.0, 1.0, vertices, 1.0);
    // Holes on a grid inside radius 0.7.
    const double step = 1.3 / std::ceil(std::sqrt(static_cast<double>(holes) * 4.0 / M_PI));
    std::size_t made = 0;
    for (double y = -0.7; y <= 0.7 && made < holes; y += step) {
        for (double x = -0.7; x <= 0.7 && made < holes; x += step) {
            if (x * x + y * y > 0.49) continue;
            ring(x, y, 0.3 * step, 16, 0.0);
            c.holes.insert(c.holes.end(), {x, y});
            ++made;
        }
    }
    return c;
}

ConstraintCase crossing_segments_case(std::size_t segments, double length, std::uint64_t seed) {
    ConstraintCase c;
    c.name = "long crossing segments";
    c.crossings = true;
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t s = 0; s < segments; ++s) {
        const double angle = 2.0 * M_PI * unit(rng);
        const double x = length / 2 + (1.0 - length) * unit(rng), y = length / 2 + (1.0 - length) * unit(rng);
        const double dx = 0.5 * length * std::cos(angle), dy = 0.5 * length * std::sin(angle);
        c.xy.insert(c.xy.end(), {x - dx, y - dy, x + dx, y + dy});
        c.segments.push_back(static_cast<std::uint32_t>(2 * s));
        c.segments.push_back(static_cast<std::uint32_t>(2 * s + 1));
    }
    return c;
}

ConstraintCase random_unit_segments_case(std::size_t segments, std::uint64_t seed) {
    ConstraintCase c;
    c.name = std::to_string(segments) + " random segments";
    c.crossings = true;
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t k = 0; k < 4 * segments; ++k) c.xy.push_back(unit(rng));
    for (std::size_t k = 0; k < 2 * segments; ++k) c.segments.push_back(static_cast<std::uint32_t>(k));
    return c;
}

}  // namespace bench
