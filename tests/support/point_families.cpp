#include "support/point_families.hpp"

#include <algorithm>
#include <cmath>
#include <random>

#include "support/predicate_inputs.hpp"

namespace d2dtest {


Points uniform(std::size_t n, std::uint64_t seed, double low, double high) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(low, high);
    Points p;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = u(rng);
        p.push_back(point(x, u(rng), static_cast<double>(i), 0.5));
    }
    return p;
}

Points clusters(std::size_t n, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> g(0.0, 1.0);
    const std::size_t k = 1 + n / 500;
    std::vector<Point3D> centres;
    for (std::size_t i = 0; i < k; ++i) {
        const double x = u(rng);
        centres.push_back(point(x, u(rng), 1e-3 + 0.02 * u(rng)));
    }
    Points p;
    for (std::size_t i = 0; i < n; ++i) {
        const Point3D& c = centres[i % k];
        const double x = c.x + c.z * g(rng);
        p.push_back(point(x, c.y + c.z * g(rng)));
    }
    return p;
}

Points grid(std::size_t k, std::uint64_t seed) {
    Points p;
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) p.push_back(point(static_cast<double>(i), static_cast<double>(j)));
    }
    std::mt19937_64 rng(seed);
    std::shuffle(p.begin(), p.end(), rng);
    return p;
}

Points rotated_grid(std::size_t k, double angle) {
    Points p;
    const double c = std::cos(angle), s = std::sin(angle);
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) {
            const double x = static_cast<double>(i), y = static_cast<double>(j);
            p.push_back(point(c * x - s * y, s * x + c * y));
        }
    }
    return p;
}

Points circle(std::size_t n, double radius, double cx, double cy) {
    Points p;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 6.283185307179586 * static_cast<double>(i) / static_cast<double>(n);
        p.push_back(point(cx + radius * std::cos(t), cy + radius * std::sin(t)));
    }
    return p;
}

// All integer points on x^2 + y^2 = 5^2 * 13^2 * 17^2 (108 of them).
Points lattice_circle_points() {
    Points p;
    for (const d2dtest::P q : d2dtest::lattice_circle()) p.push_back(point(q.x, q.y));
    return p;
}

Points transformed(Points p, double scale, double offset) {
    for (Point3D& q : p) {
        q.x = q.x * scale + offset;
        q.y = q.y * scale + offset;
    }
    return p;
}

}  // namespace d2dtest
