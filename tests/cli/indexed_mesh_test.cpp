// Records of the traced entry point turned into indices, on hand-built
// meshes: a clockwise triangle is turned, a segment record dropped, links
// renumbered, the hull read off, and the repeated point that the mesh uses
// stands for its twins.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "formats/mesh_write/indexed_mesh.hpp"

namespace {

using Indices = std::vector<std::uint32_t>;
using Links = std::vector<std::int32_t>;

// A block laid out as the library lays out a mesh: header, then records.
struct MeshBlock {
    explicit MeshBlock(std::size_t count)
        : mesh(static_cast<Mesh2D*>(std::calloc(1, sizeof(Mesh2D) + count * sizeof(Triangle)))) {
        mesh->length = count;
    }
    ~MeshBlock() { std::free(mesh); }
    MeshBlock(const MeshBlock&) = delete;
    MeshBlock& operator=(const MeshBlock&) = delete;
    Mesh2D* mesh;
};

TEST(IndexedMesh, TurnsRenumbersAndReadsTheHullOffTheRecords) {
    // Point 4 repeats point 0, and it is the one the mesh uses.
    std::vector<Point3D> points = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}};
    MeshBlock block(3);
    Triangle* r = block.mesh->triangles;
    Point3D* p = points.data();
    // A two-point record, as merges leave none in a result but must be skipped.
    r[0] = {{&p[1], &p[3], &p[3]}, {nullptr, nullptr, nullptr}, {}, {}, -1.0};
    // Clockwise: 4, 2, 1; its edge 0 (4-2) is shared with record 2.
    r[1] = {{&p[4], &p[2], &p[1]}, {&r[2], nullptr, nullptr}, {}, {}, 0.0};
    r[2] = {{&p[4], &p[2], &p[3]}, {&r[1], nullptr, nullptr}, {}, {}, 0.0};

    d2dcli::IndexedMesh indexed = d2dcli::index_mesh_records(block.mesh, points.data(), points.size());
    EXPECT_EQ(indexed.triangles, (Indices{4, 1, 2, 4, 2, 3}));
    EXPECT_EQ(indexed.neighbours, (Links{-1, -1, 1, 0, -1, -1}));
    EXPECT_EQ(indexed.hull, (Indices{1, 2, 3, 4}));
    EXPECT_EQ(indexed.vertex_of_point, (Links{4, 1, 2, 3, 4}));
}

TEST(IndexedMesh, WithoutTrianglesTheHullRunsAlongTheLine) {
    const double nan = std::nan("");
    std::vector<Point3D> points = {{2, 2, 0, 0}, {0, 0, 0, 0}, {nan, 1, 0, 0}, {-0.0, 0, 0, 0}, {1, 1, 0, 0}};
    d2dcli::IndexedMesh indexed = d2dcli::index_mesh_records(nullptr, points.data(), points.size());
    EXPECT_TRUE(indexed.triangles.empty());
    EXPECT_EQ(indexed.hull, (Indices{1, 4, 0}));
    // -0.0 and +0.0 are one point; NaN is none.
    EXPECT_EQ(indexed.vertex_of_point, (Links{0, 1, -1, 1, 4}));
}

}  // namespace
