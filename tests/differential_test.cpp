// Differential test: on inputs in general position where the merge built from
// the exported stage operations gives a valid Delaunay mesh with true links,
// the entry point must return exactly the same records in the same order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/exact_rational.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dcommon::DiscardStdout;

// ------------------------------------------------------------- reference

// Links, over all merges of the reference, that designate no record of the
// merged block (they would point into the freed halves).
size_t links_leaving_the_block = 0;

void count_links_leaving(const Mesh2D* mesh) {
    const std::less<const Triangle*> before;
    for (size_t i = 0; i < mesh->length; ++i) {
        for (const Triangle* link : mesh->triangles[i].vor) {
            if (link != nullptr && (before(link, mesh->triangles) || !before(link, mesh->triangles + mesh->length)))
                ++links_leaving_the_block;
        }
    }
}

// The records the reference triangulates, in split order, so that the
// points of every range are a slice of the array; and whether every merge
// so far gave the right mesh of its range.
const Point3D* reference_points = nullptr;
bool every_merge_right = true;

// The recursion of the triangulation written out here, joining the exported
// base meshes with the exported merge.
Mesh2D* reference_partition(PointRange* range, Mesh2D* mesh) {
    if (range->end - range->beg <= 3) {
        create_mesh_by_2_3_point(range, mesh);
        return mesh;
    }
    const size_t mid = (range->beg + range->end) / 2;
    PointRange left_range{range->beg, mid, range->list};
    Mesh2D* left = reference_partition(&left_range, d2dtest::make_empty_mesh(1));
    PointRange right_range{mid, range->end, range->list};
    Mesh2D* right = reference_partition(&right_range, d2dtest::make_empty_mesh(1));
    Mesh2D* merged = merge_mesh(range->beg, mid, range->end, left, right, mesh);
    count_links_leaving(merged);
    if (every_merge_right && reference_points != nullptr) {
        every_merge_right =
            d2dtest::check_mesh(merged, reference_points + range->beg, range->end - range->beg).ok();
    }
    return merged;
}

// Triangulates points[0 .. n - 1], which must already be in split order.
Mesh2D* reference_mesh(Point3D* points, size_t n) {
    reference_points = points;
    every_merge_right = true;
    Block<Point3DList> list(d2dtest::make_record_list(points, n));
    sort_point(list.get(), sort_point_x_maxY);
    PointRange range{0, n, list.get()};
    return reference_partition(&range, d2dtest::make_empty_mesh(1));
}

// ------------------------------------------------------- general position

// Exact sign tests with a floating-point filter in front of the rational
// oracle; the bounds are generous multiples of the rounding error of the
// plain evaluation.
bool collinear(const Point3D& a, const Point3D& b, const Point3D& c) {
    if (d2dtest::orient_sign_quick(a.x, a.y, b.x, b.y, c.x, c.y) != 0) return false;
    return d2dtest::orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y) == 0;
}

bool cocircular(const Point3D& a, const Point3D& b, const Point3D& c, const Point3D& d) {
    if (d2dtest::incircle_sign_quick(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) != 0) return false;
    return d2dtest::incircle_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y) == 0;
}

bool has_collinear_triple(const std::vector<Point3D>& p) {
    const size_t n = p.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            for (size_t k = j + 1; k < n; ++k)
                if (collinear(p[i], p[j], p[k])) return true;
    return false;
}

bool has_cocircular_quadruple(const std::vector<Point3D>& p) {
    const size_t n = p.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            for (size_t k = j + 1; k < n; ++k)
                for (size_t l = k + 1; l < n; ++l)
                    if (cocircular(p[i], p[j], p[k], p[l])) return true;
    return false;
}

// Whether a point lies on the circumcircle of one of the mesh's triangles:
// the degeneracy that would leave the Delaunay triangulation open to choice.
bool has_point_on_a_circle(const Mesh2D* mesh, const std::vector<Point3D>& p) {
    for (size_t t = 0; t < mesh->length; ++t) {
        const Triangle& tri = mesh->triangles[t];
        for (const Point3D& d : p) {
            if (&d == tri.points[0] || &d == tri.points[1] || &d == tri.points[2]) continue;
            if (cocircular(*tri.points[0], *tri.points[1], *tri.points[2], d)) return true;
        }
    }
    return false;
}

// -------------------------------------------------------------- comparison

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same_centroid(const Point3D& a, const Point3D& b) {
    return same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.z, b.z) && same_bits(a.w, b.w);
}

// Whether `got` holds the same triangles as `want` (vertices in the same
// order within each, centroids bit for bit), in any order.
bool same_triangles(const Mesh2D* want, const Mesh2D* got) {
    if (want->length != got->length) return false;
    std::vector<bool> used(got->length, false);
    for (size_t i = 0; i < want->length; ++i) {
        const Triangle& w = want->triangles[i];
        bool found = false;
        for (size_t j = 0; j < got->length && !found; ++j) {
            const Triangle& g = got->triangles[j];
            if (used[j] || w.points[0] != g.points[0] || w.points[1] != g.points[1] || w.points[2] != g.points[2])
                continue;
            if (!same_centroid(w.inner_center, g.inner_center)) continue;
            used[j] = true;
            found = true;
        }
        if (!found) return false;
    }
    return true;
}

bool same_order(const Mesh2D* want, const Mesh2D* got) {
    if (want->length != got->length) return false;
    for (size_t i = 0; i < want->length; ++i)
        for (int k = 0; k < 3; ++k)
            if (want->triangles[i].points[k] != got->triangles[i].points[k]) return false;
    return true;
}

std::string describe_points(const std::vector<Point3D>& p) {
    std::string s;
    char buffer[128];
    for (const Point3D& q : p) {
        std::snprintf(buffer, sizeof buffer, "(%.17g, %.17g, %.17g, %.17g) ", q.x, q.y, q.z, q.w);
        s += buffer;
    }
    return s;
}

// ------------------------------------------------------------------ driver

struct Tally {
    size_t inputs = 0;
    size_t general = 0;          // general position (as far as decided)
    size_t reference_right = 0;  // valid, Delaunay, true links, true partition
    size_t identical = 0;
    size_t right_throughout = 0;  // reference right after every merge, not only the last
    size_t identical_throughout = 0;
    size_t reference_misses_links = 0;  // valid and Delaunay, links or partition not true
    size_t same_triangles = 0;
    size_t same_triangle_order = 0;
    std::vector<std::string> faults;       // identity required but not met
    std::vector<std::string> differences;  // identity only reported: the first few
};

std::vector<Point3D> random_points(std::mt19937_64& rng, size_t n) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> extra(-1.0, 1.0);
    std::vector<Point3D> p(n);
    for (Point3D& q : p) {
        q.x = unit(rng);
        q.y = unit(rng);
        q.z = extra(rng);
        q.w = extra(rng);
    }
    return p;
}

std::vector<Point3D> in_split_order(std::vector<Point3D> p) {
    std::sort(p.begin(), p.end(), [](const Point3D& a, const Point3D& b) { return sort_point_x_maxY(&a, &b) > 0; });
    return p;
}

// Runs one input. `full_general_position` checks every triple and quadruple;
// otherwise triples and the circles of the reference's triangles only.
// Puts the points in split order (which the entry point does anyway), so
// that the reference can check the mesh of every range it merges.
void run_input(std::vector<Point3D> p, bool full_general_position, bool identity_required, Tally& tally) {
    ++tally.inputs;
    p = in_split_order(std::move(p));
    const size_t n = p.size();
    if (full_general_position && (has_collinear_triple(p) || has_cocircular_quadruple(p))) return;

    Block<Mesh2D> reference(reference_mesh(p.data(), n));
    const bool right_throughout = every_merge_right;
    const d2dtest::MeshCheck check = d2dtest::check_mesh(reference.get(), p.data(), n);
    const bool right = check.ok();
    // Right triangles whose links (or inner part, which follows the links) are off.
    const bool misses_links = check.valid && check.delaunay && !right;
    if (!right && !misses_links) return;
    if (!full_general_position && (has_collinear_triple(p) || has_point_on_a_circle(reference.get(), p))) return;
    ++tally.general;

    Block<Mesh2D> entry(create_mesh_2d(p.data(), n));
    if (right) {
        ++tally.reference_right;
        if (right_throughout) ++tally.right_throughout;
        const ::testing::AssertionResult same = d2dtest::same_records(d2dtest::records_of(reference.get(), p.data()),
                                                                      d2dtest::records_of(entry.get(), p.data()));
        if (same) {
            ++tally.identical;
            if (right_throughout) ++tally.identical_throughout;
        } else {
            // Where some earlier merge of the reference went wrong (a link it
            // missed, say, that decided which merge promoted a triangle), the
            // order may differ even though the last mesh is right.
            std::vector<std::string>& list =
                identity_required || right_throughout ? tally.faults : tally.differences;
            if (list.size() < 5) list.push_back(std::to_string(n) + " points: " + same.message() + "; input " + describe_points(p));
        }
    } else {
        ++tally.reference_misses_links;
        if (same_triangles(reference.get(), entry.get())) {
            ++tally.same_triangles;
        } else if (identity_required && tally.faults.size() < 5) {
            tally.faults.push_back(std::to_string(n) + " points: other triangles where the reference only misses "
                                   "links; input " + describe_points(p));
        }
        if (same_order(reference.get(), entry.get())) ++tally.same_triangle_order;
    }
}

void report(const char* name, const Tally& t) {
    std::printf(
        "[ %s ] inputs %zu, reference right %zu, identical %zu (%.2f%%); right after every merge %zu, "
        "identical %zu; reference missing links only %zu, same triangles %zu, same order %zu\n",
        name, t.inputs, t.reference_right, t.identical,
        t.reference_right ? 100.0 * static_cast<double>(t.identical) / static_cast<double>(t.reference_right) : 0.0,
        t.right_throughout, t.identical_throughout, t.reference_misses_links, t.same_triangles,
        t.same_triangle_order);
    for (const std::string& difference : t.differences) std::printf("  not identical: %s\n", difference.c_str());
    testing::Test::RecordProperty(std::string(name) + "_reference_right", std::to_string(t.reference_right));
    testing::Test::RecordProperty(std::string(name) + "_identical", std::to_string(t.identical));
    testing::Test::RecordProperty(std::string(name) + "_links_missing", std::to_string(t.reference_misses_links));
    testing::Test::RecordProperty(std::string(name) + "_same_triangles", std::to_string(t.same_triangles));
}

TEST(Differential, ReferenceReproducesTheFivePointMerge) {
    std::vector<Point3D> p = {{3, 0, 0, 0}, {1.8, -1, 0, 0}, {0, 0, 0, 0}, {2, 1, 0, 0}, {1, 0, 0, 0}};
    Block<Mesh2D> mesh(nullptr);
    {
        DiscardStdout quiet;
        mesh.reset(reference_mesh(p.data(), p.size()));
    }
    ASSERT_EQ(mesh->length, 4u);
    EXPECT_EQ(mesh->inner_length, 0u);
    EXPECT_EQ(mesh->triangles[0].points[0], &p[2]);
    EXPECT_EQ(mesh->triangles[0].points[1], &p[1]);
    EXPECT_EQ(mesh->triangles[0].points[2], &p[4]);
    EXPECT_EQ(mesh->triangles[3].points[1], &p[3]);
    const d2dtest::MeshCheck check = d2dtest::check_mesh(mesh.get(), p.data(), p.size());
    EXPECT_TRUE(check.valid) << check.failure;
    EXPECT_TRUE(check.delaunay) << check.failure;
    EXPECT_FALSE(check.links_true);  // [0] and [3] share (0, 0)-(1, 0) unlinked
}

TEST(Differential, UpToEightPointsTheEntryPointIsIdenticalWhereTheReferenceIsRight) {
    std::mt19937_64 rng(20240601);
    Tally tally;
    {
        DiscardStdout quiet;
        for (int i = 0; i < 20000; ++i) {
            const size_t n = 3 + static_cast<size_t>(i % 6);
            run_input(random_points(rng, n), true, true, tally);
        }
    }
    report("up_to_8", tally);
    for (const std::string& fault : tally.faults) ADD_FAILURE() << fault;
    EXPECT_EQ(tally.identical, tally.reference_right);
    EXPECT_EQ(tally.same_triangles, tally.reference_misses_links);
    // The reference is right on most small inputs; far fewer would mean a
    // broken reference rather than a broken entry point.
    EXPECT_GT(tally.reference_right, tally.inputs / 2);
}

TEST(Differential, NineToSixtyFourPointsReportTheIdenticalShare) {
    std::mt19937_64 rng(977);
    std::uniform_int_distribution<size_t> size(9, 64);
    Tally tally;
    links_leaving_the_block = 0;
    {
        DiscardStdout quiet;
        for (int i = 0; i < 3000; ++i) run_input(random_points(rng, size(rng)), false, false, tally);
    }
    report("9_to_64", tally);
    // Where every merge of the reference was right, so is the order.
    for (const std::string& fault : tally.faults) ADD_FAILURE() << fault;
    EXPECT_EQ(tally.identical_throughout, tally.right_throughout);
    // Enough inputs where that applies; none would mean a broken reference.
    EXPECT_GT(tally.right_throughout, tally.inputs / 100);
    // Wrong as its meshes may be there, the reference's merges never leave a
    // link into a freed half.
    EXPECT_EQ(links_leaving_the_block, 0u);
}

}  // namespace
