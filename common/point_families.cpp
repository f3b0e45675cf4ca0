#include "common/point_families.hpp"

#include <cmath>
#include <numbers>
#include <utility>

namespace d2dcommon {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform in [0, bound).
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(unit() * static_cast<double>(bound)); }
    // Standard normal (Box-Muller).
    double normal() {
        const double u1 = 1.0 - unit();  // (0, 1]
        const double u2 = unit();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::uint64_t state_;
};

// Each family draws from its own stream of the seed, so that one seed gives
// unrelated sets in the four families.
Random stream(Family f, std::uint64_t seed) { return Random(seed * 4 + static_cast<std::uint64_t>(f)); }

constexpr Family kFamilies[] = {Family::uniform, Family::clusters, Family::grid, Family::circle};

}  // namespace

const char* family_name(Family f) {
    switch (f) {
    case Family::uniform: return "uniform";
    case Family::clusters: return "clusters";
    case Family::grid: return "grid";
    case Family::circle: return "circle";
    }
    return "?";
}

bool parse_family(std::string_view name, Family* f) {
    for (Family c : kFamilies) {
        if (name == family_name(c)) {
            *f = c;
            return true;
        }
    }
    return false;
}

Points make_points(Family f, std::size_t n, std::uint64_t seed) {
    switch (f) {
    case Family::uniform: return uniform(n, seed);
    case Family::clusters: return clusters(n, seed);
    case Family::grid: return grid(n, seed);
    case Family::circle: return circle(n, seed);
    }
    return {};
}

Points uniform(std::size_t n, std::uint64_t seed, double low, double high) {
    Random rng = stream(Family::uniform, seed);
    const double width = high - low;
    Points pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = low + width * rng.unit();
        pts.push_back(point(x, low + width * rng.unit()));
    }
    return pts;
}

Points clusters(std::size_t n, std::uint64_t seed, std::size_t cluster_count) {
    Random rng = stream(Family::clusters, seed);
    std::vector<Point3D> centres(cluster_count);  // x, y and the deviation in z
    for (Point3D& c : centres) {
        c.x = rng.unit();
        c.y = rng.unit();
        c.z = 0.005 + 0.025 * rng.unit();
    }
    Points pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Point3D& c = centres[rng.below(cluster_count)];
        const double x = c.x + c.z * rng.normal();
        pts.push_back(point(x, c.y + c.z * rng.normal()));
    }
    return pts;
}

Points grid(std::size_t n, std::uint64_t seed) {
    Random rng = stream(Family::grid, seed);
    std::size_t side = static_cast<std::size_t>(std::sqrt(static_cast<double>(n)));
    while (side * side < n) ++side;
    Points pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        pts.push_back(point(static_cast<double>(i % side), static_cast<double>(i / side)));
    for (std::size_t i = n; i > 1; --i) std::swap(pts[i - 1], pts[rng.below(i)]);
    return pts;
}

Points circle(std::size_t n, std::uint64_t seed) {
    Random rng = stream(Family::circle, seed);
    Points pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2.0 * std::numbers::pi * rng.unit();
        pts.push_back(point(std::cos(t), std::sin(t)));
    }
    return pts;
}

Points regular_polygon(std::size_t n, double radius, double cx, double cy) {
    Points pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
        pts.push_back(point(cx + radius * std::cos(t), cy + radius * std::sin(t)));
    }
    return pts;
}

Points rotated_grid(std::size_t k, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    Points pts;
    pts.reserve(k * k);
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) {
            const double x = static_cast<double>(i), y = static_cast<double>(j);
            pts.push_back(point(c * x - s * y, s * x + c * y));
        }
    }
    return pts;
}

Points transformed(Points p, double scale, double offset) {
    for (Point3D& q : p) {
        q.x = q.x * scale + offset;
        q.y = q.y * scale + offset;
    }
    return p;
}

Points numbered(Points p) {
    for (std::size_t i = 0; i < p.size(); ++i) {
        p[i].z = static_cast<double>(i);
        p[i].w = 0.5;
    }
    return p;
}

}  // namespace d2dcommon
