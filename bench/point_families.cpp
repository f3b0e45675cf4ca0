// Generators of the benchmark's point families.
#include "point_families.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace bench {
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

Point3D point(double x, double y) { return Point3D{x, y, 0.0, 0.0}; }

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

bool parse_family(const std::string& name, Family* f) {
    for (Family c : {Family::uniform, Family::clusters, Family::grid, Family::circle}) {
        if (name == family_name(c)) {
            *f = c;
            return true;
        }
    }
    return false;
}

std::vector<Point3D> make_points(Family f, std::size_t n, std::uint64_t seed) {
    Random rng(seed * 4 + static_cast<std::uint64_t>(f));
    std::vector<Point3D> pts;
    pts.reserve(n);
    switch (f) {
    case Family::uniform:
        for (std::size_t i = 0; i < n; ++i) {
            const double x = rng.unit();
            pts.push_back(point(x, rng.unit()));
        }
        break;
    case Family::clusters: {
        constexpr int k = 32;
        double cx[k], cy[k], sd[k];
        for (int c = 0; c < k; ++c) {
            cx[c] = rng.unit();
            cy[c] = rng.unit();
            sd[c] = 0.005 + 0.025 * rng.unit();
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t c = rng.below(k);
            const double x = cx[c] + sd[c] * rng.normal();
            pts.push_back(point(x, cy[c] + sd[c] * rng.normal()));
        }
        break;
    }
    case Family::grid: {
        std::size_t side = static_cast<std::size_t>(std::sqrt(static_cast<double>(n)));
        while (side * side < n) ++side;
        for (std::size_t i = 0; i < n; ++i)
            pts.push_back(point(static_cast<double>(i % side), static_cast<double>(i / side)));
        for (std::size_t i = n; i > 1; --i) std::swap(pts[i - 1], pts[rng.below(i)]);
        break;
    }
    case Family::circle:
        for (std::size_t i = 0; i < n; ++i) {
            const double t = 2.0 * std::numbers::pi * rng.unit();
            pts.push_back(point(std::cos(t), std::sin(t)));
        }
        break;
    }
    return pts;
}

}  // namespace bench
