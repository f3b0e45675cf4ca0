// Inputs whose coordinates span the whole range of finite doubles, from the
// smallest subnormal (2^-1074) to near the largest double, in one call. The
// triangulation must be exact whatever the magnitudes: no point lost or
// merged with another, no triangle flipped, and the same mesh after any
// scaling by a power of two that is itself exact. The inputs that first
// showed rescaling rounding tiny coordinates (a subnormal step next to 1, a
// cloud at 1e-300 inside a triangle at 1e100) are files of tests/fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define D2D_WIDE_RANGE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer) || __has_feature(thread_sanitizer)
#define D2D_WIDE_RANGE_SANITIZED 1
#endif
#endif

namespace {

using Points = std::vector<Point3D>;

constexpr double kLeast = std::numeric_limits<double>::denorm_min();  // 2^-1074
constexpr double kMost = std::numeric_limits<double>::max();

struct MeshDeleter {
    void operator()(Mesh2D* m) const { free_mesh(m); }
};
using MeshPtr = std::unique_ptr<Mesh2D, MeshDeleter>;

MeshPtr triangulate(Points& points) {
    std::srand(5);  // equal keys aside, the split order does not depend on it
    return MeshPtr(d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); }));
}

MeshPtr expect_exact(Points& points, const std::string& label) {
    MeshPtr mesh = triangulate(points);
    const d2dtest::MeshCheck check = d2dtest::check_mesh(mesh.get(), points.data(), points.size());
    EXPECT_TRUE(check.ok()) << label << " (n = " << points.size() << "): " << check.failure;
    return mesh;
}

Point3D at(double x, double y) { return Point3D{x, y, 0.0, 0.0}; }

// A double with a random sign, 53 random bits and a binary exponent drawn
// evenly from every finite double's (those below -1022 are subnormal and
// keep fewer bits).
double any_magnitude(std::mt19937_64& rng) {
    const auto mantissa = static_cast<double>((rng() >> 11) | (std::uint64_t{1} << 52));
    const int exponent = std::uniform_int_distribution<int>(-1074, 1023)(rng);
    const double v = std::ldexp(mantissa, exponent - 52);
    return (rng() & 1) != 0 ? v : -v;
}

// Families that mix every magnitude in one input.
Points every_magnitude(size_t n, std::mt19937_64& rng) {
    Points p;
    for (size_t i = 0; i < n; ++i) {
        const double x = any_magnitude(rng);
        p.push_back(at(x, any_magnitude(rng)));
    }
    return p;
}

// Uniform clusters, each at its own power-of-two scale from 2^-1074 to
// 2^1022, around the origin or around a point far away: subnormal clusters
// are small integer lattices full of collinear and cocircular points.
Points clusters_at_every_scale(size_t n, std::mt19937_64& rng) {
    Points p;
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-1068, 1022);
    const size_t per_cluster = std::max<size_t>(2, n / 12);
    while (p.size() < n) {
        const double size = std::ldexp(1.0, scale(rng));
        const double cx = (rng() & 3) == 0 ? any_magnitude(rng) : 0.0;
        const double cy = (rng() & 3) == 0 ? any_magnitude(rng) : 0.0;
        for (size_t i = 0; i < per_cluster && p.size() < n; ++i) {
            const double x = cx + size * u(rng);
            p.push_back(at(x, cy + size * u(rng)));
        }
    }
    return p;
}

// Integer multiples of 2^-1074 (a lattice of 48 x 48 steps) with points at
// 1, 1e100 and near +-DBL_MAX, whose differences overflow.
Points subnormal_lattice_and_far_points(size_t n, std::mt19937_64& rng) {
    Points p;
    const double far[] = {1.0, -1.0, 1e100, -1e100, kMost, -kMost, std::nextafter(kMost, 0.0)};
    std::uniform_int_distribution<int> step(0, 47);
    std::uniform_int_distribution<size_t> pick(0, std::size(far) - 1);
    for (size_t i = 0; i < n; ++i) {
        if (i % 16 == 3) {
            p.push_back(at(far[pick(rng)], far[pick(rng)]));
        } else {
            p.push_back(at(step(rng) * kLeast, step(rng) * kLeast));
        }
    }
    return p;
}

// Points on circles of radius 2^k for k over the whole range, rounded to
// doubles, all about the origin: near-cocircular at every magnitude.
Points nested_circles(size_t n, std::mt19937_64& rng) {
    Points p;
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586);
    std::uniform_int_distribution<int> radius(-1060, 1021);
    const int k = radius(rng);
    for (size_t i = 0; i < n; ++i) {
        const double r = std::ldexp(1.0, i % 8 == 0 ? radius(rng) : k);
        const double t = angle(rng);
        p.push_back(at(r * std::cos(t), r * std::sin(t)));
    }
    return p;
}

using Family = Points (*)(size_t, std::mt19937_64&);

struct NamedFamily {
    const char* name;
    Family make;
};

const NamedFamily kFamilies[] = {
    {"every magnitude", every_magnitude},
    {"clusters at every scale", clusters_at_every_scale},
    {"subnormal lattice and far points", subnormal_lattice_and_far_points},
    {"nested circles", nested_circles},
};

std::vector<size_t> family_sizes() {
#if defined(D2D_WIDE_RANGE_SANITIZED)
    return {4, 5, 6, 7, 9, 16, 33, 100, 1000, 4000};
#else
    return {4, 5, 6, 7, 9, 16, 33, 100, 1000, 20000};
#endif
}

TEST(WideRange, FamiliesMixingEveryMagnitudeAreExact) {
    for (const NamedFamily& family : kFamilies) {
        for (const size_t n : family_sizes()) {
            const int seeds = n <= 16 ? 30 : (n <= 1000 ? 3 : 1);
            for (int seed = 0; seed < seeds; ++seed) {
                std::mt19937_64 rng(n * 1000 + static_cast<size_t>(seed));
                Points p = family.make(n, rng);
                expect_exact(p, std::string(family.name) + ", seed " + std::to_string(seed));
                if (HasFailure()) return;
            }
        }
    }
}

// The exponents k for which every coordinate times 2^k is exact and finite.
struct ExactShifts {
    int lowest;
    int highest;
};

ExactShifts exact_shifts(const Points& points) {
    int low = 1 << 20;   // lowest set bit, as an exponent
    int high = -(1 << 20);  // highest set bit
    for (const Point3D& q : points) {
        for (const double v : {q.x, q.y}) {
            if (v == 0.0) continue;
            int e = 0;
            const double f = std::frexp(v, &e);  // v = f 2^e, 0.5 <= |f| < 1
            auto m = static_cast<std::int64_t>(std::ldexp(f, 53));
            int bottom = e - 53;
            while (m % 2 == 0) {
                m /= 2;
                ++bottom;
            }
            low = std::min(low, bottom);
            high = std::max(high, e - 1);
        }
    }
    return {-1074 - low, 1023 - high};
}

// Scaling by a power of two that rounds nothing keeps every sign of every
// test, so it must keep the mesh record for record.
TEST(WideRange, ExactPowerOfTwoScalingKeepsTheMesh) {
    for (const NamedFamily& family : kFamilies) {
        for (const size_t n : {4u, 7u, 40u, 600u, 3000u}) {
            std::mt19937_64 rng(n + 77);
            Points p = family.make(n, rng);
            const ExactShifts shifts = exact_shifts(p);
            ASSERT_LE(shifts.lowest, 0);
            ASSERT_GE(shifts.highest, 0);
            const MeshPtr reference = expect_exact(p, family.name);
            const d2dtest::MeshRecords expected = d2dtest::records_of(reference.get(), p.data(), false);
            std::uniform_int_distribution<int> shift(shifts.lowest, shifts.highest);
            for (const int k : {shifts.lowest, shifts.highest, shift(rng), shift(rng)}) {
                Points q = p;
                for (Point3D& r : q) {
                    r.x = std::ldexp(r.x, k);
                    r.y = std::ldexp(r.y, k);
                }
                // The same records as the checked reference mesh: valid too.
                const MeshPtr mesh = triangulate(q);
                EXPECT_TRUE(d2dtest::same_records(expected, d2dtest::records_of(mesh.get(), q.data(), false)))
                    << family.name << ", n = " << n << ", times 2^" << k;
            }
        }
    }
}

}  // namespace
