// Every named input of tests/fixtures/ (one per fault found: merges that went
// wrong, rescaling that rounded subnormal points, repeats, non-finite and
// collinear points, cocircular ties, every magnitude) through every front
// end: the index-array call on one, two and any number of threads, and both
// traced entry points, each result checked by the independent exact checker.
// A new fixture file is a new case here, and in the Python and JavaScript
// tests, with no code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/fixture_files.hpp"
#include "support/index_array_checks.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Fixture;
using Points = std::vector<Point3D>;

struct MeshDeleter {
    void operator()(Mesh2D* m) const { free_mesh(m); }
};
using MeshPtr = std::unique_ptr<Mesh2D, MeshDeleter>;

// One test per front end over the whole folder, read when the test runs, so
// that a fixture added after the build is run too (ctest lists tests when
// the program is built). An emptied folder fails instead of leaving nothing
// to check.
std::vector<Fixture> every_fixture() {
    std::vector<Fixture> fixtures = d2dtest::fixture_files();
    EXPECT_GE(fixtures.size(), 30u) << DELAUNAY2D_FIXTURES_DIR;
    return fixtures;
}

TEST(Fixtures, IndexArrayCallIsSoundOnAnyNumberOfThreads) {
    for (const Fixture& fixture : every_fixture()) {
        Points points = d2dtest::read_fixture(fixture.path);
        const auto one = d2dtest::run_index_arrays(points, 1);
        d2dtest::expect_sound(points, *one, fixture.name);
        for (const unsigned threads : {2u, 0u}) {
            const auto other = d2dtest::run_index_arrays(points, threads);
            ASSERT_EQ(other->status, DELAUNAY2D_OK) << fixture.name;
            d2dtest::expect_same_arrays(one->r, other->r, fixture.name + " on " + std::to_string(threads) + " threads");
        }
    }
}

// The array and the list entry point, from the same rand() state (which
// decides only among records at one place): both exact, record for record
// the same mesh.
TEST(Fixtures, TracedEntryPointsAreExactAndAgree) {
    for (const Fixture& fixture : every_fixture()) {
        Points points = d2dtest::read_fixture(fixture.path);
        if (points.size() < 3) continue;  // the traced entry points take three records or more
        std::srand(11);
        const MeshPtr by_array(
            d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); }));
        const d2dtest::MeshCheck array_check = d2dtest::check_mesh(by_array.get(), points.data(), points.size());
        EXPECT_TRUE(array_check.ok()) << fixture.name << " (array): " << array_check.failure;

        Point3DList* list = d2dtest::make_record_list(points.data(), points.size());
        std::srand(11);
        const MeshPtr by_list(
            d2dcommon::discarding_stdout([&] { return create_triangle_mesh_2d(list, d2dtest::make_empty_mesh(1)); }));
        std::free(list);
        const d2dtest::MeshCheck list_check = d2dtest::check_mesh(by_list.get(), points.data(), points.size());
        EXPECT_TRUE(list_check.ok()) << fixture.name << " (list): " << list_check.failure;
        EXPECT_TRUE(d2dtest::same_records(d2dtest::records_of(by_array.get(), points.data()),
                                          d2dtest::records_of(by_list.get(), points.data())))
            << fixture.name;
    }
}

}  // namespace
