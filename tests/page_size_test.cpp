// The library's memory follows the system's page size: with pages forced to
// 16 KiB and 64 KiB (as on many ARM64 kernels), the record block is set
// aside and backed at any slot, and calls on two threads give the mesh they
// give with the system's pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/system/page_size.hpp"
#include "engine/system/reserved_block.hpp"
#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "traced/4_triangulate/triangulate.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

namespace {

// Forces the page size for the lifetime of the object.
class ForcedPageSize {
public:
    explicit ForcedPageSize(std::size_t bytes) { d2d::system_pages::force_page_size(bytes); }
    ~ForcedPageSize() { d2d::system_pages::force_page_size(0); }
    ForcedPageSize(const ForcedPageSize&) = delete;
    ForcedPageSize& operator=(const ForcedPageSize&) = delete;
};

constexpr std::size_t kLargePages[] = {16384, 65536};

TEST(PageSize, IsTheSystemsUnlessForced) {
    const std::size_t system = d2d::system_pages::system_page_size();
    EXPECT_GE(system, 4096u);
    EXPECT_EQ(system & (system - 1), 0u);
    EXPECT_EQ(d2d::system_pages::page_size(), system);
    for (const std::size_t page : kLargePages) {
        if (page <= system) continue;
        const ForcedPageSize forced(page);
        EXPECT_EQ(d2d::system_pages::page_size(), page);
        EXPECT_GE(d2d::system_pages::reservation_unit(), page);
    }
    EXPECT_EQ(d2d::system_pages::page_size(), system);
}

// Stretches that start and end anywhere, made ready one after the other in
// an order that leaves gaps, as two triangulators do in one block.
TEST(PageSize, ReservedRecordsAreBackedFromAnySlot) {
    struct Record {
        std::uint32_t words[8];
    };
    for (const std::size_t page : kLargePages) {
        const ForcedPageSize forced(page);
        for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, std::size_t{70001}}) {
            d2d::ReservedBlock<Record> block(count);
            ASSERT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % d2d::system_pages::page_size(), 0u);
            std::mt19937 rng(static_cast<unsigned>(count));
            std::vector<std::size_t> cuts = {0, count};
            for (int i = 0; i < 12; ++i) cuts.push_back(rng() % count);
            std::sort(cuts.begin(), cuts.end());
            for (std::size_t k = cuts.size() - 1; k-- > 0;) {  // the stretches from the last one back
                const std::size_t first = cuts[k], last = cuts[k + 1];
                ASSERT_NO_THROW(block.make_ready(first, last)) << "page " << page << ", slots " << first << " to " << last;
                for (std::size_t i = first; i < last; ++i) {
                    EXPECT_EQ(block.data()[i].words[7], 0u);
                    block.data()[i].words[7] = static_cast<std::uint32_t>(i);
                }
            }
            for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(block.data()[i].words[7], static_cast<std::uint32_t>(i));
        }
    }
}

std::vector<Point3D> uniform_points(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Point3D> p;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = u(rng);
        p.push_back(Point3D{x, u(rng), 0.0, 0.0});
    }
    return p;
}

struct CallImage {
    d2dtest::MeshRecords records;
    std::string trace;
};

CallImage call_image(std::vector<Point3D>& points) {
    std::srand(11);
    Mesh2D* mesh = nullptr;
    CallImage r;
    r.trace = d2dcommon::captured_stdout([&] { mesh = create_mesh_2d(points.data(), points.size()); });
    const d2dtest::MeshCheck check = d2dtest::check_mesh(mesh, points.data(), points.size());
    EXPECT_TRUE(check.ok()) << check.failure;
    r.records = d2dtest::records_of(mesh, points.data());
    free_mesh(mesh);
    return r;
}

// Calls large enough for two threads, whose triangulators back their slots
// of one shared block a stretch at a time.
TEST(PageSize, TwoThreadCallsWithLargePages) {
    std::vector<Point3D> points = uniform_points(30011, 3);
    const CallImage usual = call_image(points);
    std::vector<std::size_t> order(points.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return points[a].x < points[b].x; });
    std::vector<double> sorted;
    for (const std::size_t i : order) {
        sorted.push_back(points[i].x);
        sorted.push_back(points[i].y);
    }
    for (const std::size_t page : kLargePages) {
        const ForcedPageSize forced(page);
        // The triangulation itself reports running out of memory by an
        // exception, which the entry points turn into the end of the process.
        EXPECT_NO_THROW(d2d::traced::triangulate_sorted_points(sorted.data(), static_cast<std::uint32_t>(order.size()),
                                                       d2d::thread_support::traced_call_threads(), [] {}))
            << "page " << page;
        const CallImage forced_run = call_image(points);
        EXPECT_TRUE(d2dtest::same_records(usual.records, forced_run.records)) << "page " << page;
        EXPECT_EQ(forced_run.trace, usual.trace) << "page " << page;
    }
}

}  // namespace
