// Every named input of tests/fixtures/ (one per fault found: merges that went
// wrong, rescaling that rounded subnormal points, repeats, non-finite and
// collinear points, cocircular ties, every magnitude) through every front
// end: the index-array call on one, two and any number of threads, and both
// traced entry points, each result checked by the independent exact checker.
// A new fixture file is a new case here, and in the Python and JavaScript
// tests, with no code.
#include <gtest/gtest.h>

#include <cctype>
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

class Fixtures : public testing::TestWithParam<Fixture> {};

// The folder is read when the tests are listed: a missing or emptied folder
// must fail, not quietly leave nothing to run.
TEST(FixtureFolder, HoldsTheFixturesAndEachReads) {
    const std::vector<Fixture> fixtures = d2dtest::fixture_files();
    EXPECT_GE(fixtures.size(), 30u) << DELAUNAY2D_FIXTURES_DIR;
    for (const Fixture& f : fixtures) EXPECT_FALSE(d2dtest::read_fixture(f.path).empty()) << f.name;
}

TEST_P(Fixtures, IndexArrayCallIsSoundOnAnyNumberOfThreads) {
    Points points = d2dtest::read_fixture(GetParam().path);
    const auto one = d2dtest::run_index_arrays(points, 1);
    d2dtest::expect_sound(points, *one, GetParam().name);
    for (const unsigned threads : {2u, 0u}) {
        const auto other = d2dtest::run_index_arrays(points, threads);
        ASSERT_EQ(other->status, DELAUNAY2D_OK);
        d2dtest::expect_same_arrays(one->r, other->r, GetParam().name + " on " + std::to_string(threads) + " threads");
    }
}

// The array and the list entry point, from the same rand() state (which
// decides only among records at one place): both exact, record for record
// the same mesh.
TEST_P(Fixtures, TracedEntryPointsAreExactAndAgree) {
    Points points = d2dtest::read_fixture(GetParam().path);
    if (points.size() < 3) GTEST_SKIP() << "the traced entry points take three records or more";
    const std::string& name = GetParam().name;

    std::srand(11);
    const MeshPtr by_array(d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); }));
    const d2dtest::MeshCheck array_check = d2dtest::check_mesh(by_array.get(), points.data(), points.size());
    ASSERT_TRUE(array_check.ok()) << name << " (array): " << array_check.failure;

    Point3DList* list = d2dtest::make_record_list(points.data(), points.size());
    std::srand(11);
    const MeshPtr by_list(
        d2dcommon::discarding_stdout([&] { return create_triangle_mesh_2d(list, d2dtest::make_empty_mesh(1)); }));
    std::free(list);
    const d2dtest::MeshCheck list_check = d2dtest::check_mesh(by_list.get(), points.data(), points.size());
    ASSERT_TRUE(list_check.ok()) << name << " (list): " << list_check.failure;
    EXPECT_TRUE(d2dtest::same_records(d2dtest::records_of(by_array.get(), points.data()),
                                      d2dtest::records_of(by_list.get(), points.data())))
        << name;
}

// Test names from file names: letters, digits and '_' only.
std::string test_name(const testing::TestParamInfo<Fixture>& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Every, Fixtures, testing::ValuesIn(d2dtest::fixture_files()), test_name);

}  // namespace
