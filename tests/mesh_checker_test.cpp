// The independent mesh checker must accept true Delaunay meshes and reject
// each kind of fault it exists to find: hand-made meshes, one fault each.
#include "support/mesh_checker.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using d2dtest::check_mesh;
using d2dtest::MeshCheck;

struct FreeMesh {
    void operator()(Mesh2D* m) const { std::free(m); }
};
using MeshPtr = std::unique_ptr<Mesh2D, FreeMesh>;

// A mesh of the given triangles (vertex indices into points) with true
// centroids, radius 0 and links given as triangle indices (-1 for none).
MeshPtr make_mesh(std::vector<Point3D>& points, const std::vector<std::array<int, 3>>& triangles,
                  const std::vector<std::array<int, 3>>& links, std::size_t inner_length = 0) {
    auto* mesh = static_cast<Mesh2D*>(std::malloc(sizeof(Mesh2D) + (triangles.size() + 1) * sizeof(Triangle)));
    mesh->length = triangles.size();
    mesh->inner_length = inner_length;
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        Triangle& tri = mesh->triangles[t];
        for (std::size_t k = 0; k < 3; ++k) {
            tri.points[k] = &points[static_cast<std::size_t>(triangles[t][k])];
            const int link = links[t][k];
            tri.vor[k] = link < 0 ? nullptr : &mesh->triangles[link];
        }
        const Point3D &a = *tri.points[0], &b = *tri.points[1], &c = *tri.points[2];
        tri.inner_center = {((a.x + b.x) + c.x) / 3.0, ((a.y + b.y) + c.y) / 3.0, ((a.z + b.z) + c.z) / 3.0,
                            ((a.w + b.w) + c.w) / 3.0};
        tri.outer_center = {0, 0, 0, 0};
        tri.radius = 0.0;
    }
    return MeshPtr(mesh);
}

TEST(MeshChecker, AcceptsBothDiagonalsOfACocircularSquare) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}};
    const MeshPtr a = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{-1, 1, -1}, {0, -1, -1}});
    EXPECT_TRUE(check_mesh(a.get(), p.data(), p.size()).ok()) << check_mesh(a.get(), p.data(), p.size()).failure;
    // Clockwise triangles are as valid as counter-clockwise ones.
    const MeshPtr b = make_mesh(p, {{0, 1, 3}, {0, 3, 2}}, {{-1, -1, 1}, {0, -1, -1}});
    EXPECT_TRUE(check_mesh(b.get(), p.data(), p.size()).ok()) << check_mesh(b.get(), p.data(), p.size()).failure;
}

TEST(MeshChecker, RejectsANonDelaunayDiagonal) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {2, 0, 0, 0}, {1, 0.5, 0, 0}, {1, -0.5, 0, 0}};
    const MeshPtr mesh = make_mesh(p, {{0, 1, 2}, {0, 3, 1}}, {{1, -1, -1}, {-1, -1, 0}});
    const MeshCheck check = check_mesh(mesh.get(), p.data(), p.size());
    EXPECT_TRUE(check.valid) << check.failure;
    EXPECT_FALSE(check.delaunay);
    // The other diagonal is right.
    const MeshPtr good = make_mesh(p, {{0, 3, 2}, {3, 1, 2}}, {{-1, 1, -1}, {-1, -1, 0}});
    const MeshCheck fixed = check_mesh(good.get(), p.data(), p.size());
    EXPECT_TRUE(fixed.ok()) << fixed.failure;
}

TEST(MeshChecker, RejectsHolesOverlapsAndMissingPoints) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}};
    const MeshPtr hole = make_mesh(p, {{0, 2, 1}}, {{-1, -1, -1}});
    EXPECT_FALSE(check_mesh(hole.get(), p.data(), p.size()).valid);
    const MeshPtr overlap = make_mesh(p, {{0, 2, 1}, {1, 2, 3}, {0, 2, 3}}, {{-1, 1, -1}, {0, -1, -1}, {-1, -1, -1}});
    EXPECT_FALSE(check_mesh(overlap.get(), p.data(), p.size()).valid);
    const MeshPtr doubled = make_mesh(p, {{0, 2, 1}, {1, 2, 3}, {0, 2, 1}}, {{-1, 1, -1}, {0, -1, -1}, {-1, -1, -1}});
    EXPECT_FALSE(check_mesh(doubled.get(), p.data(), p.size()).valid);
    // A fifth point inside the square that no triangle uses.
    p.push_back({0.5, 0.4, 0, 0});
    const MeshPtr missing = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{-1, 1, -1}, {0, -1, -1}});
    EXPECT_FALSE(check_mesh(missing.get(), p.data(), p.size()).valid);
}

TEST(MeshChecker, RejectsFlatTrianglesAndBadRecords) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {1, 1, 0, 0}};
    // (0,0), (1,0), (2,0) is flat; the two real triangles share (1,0)-(1,1).
    const MeshPtr flat = make_mesh(p, {{0, 1, 3}, {1, 2, 3}, {0, 1, 2}}, {{-1, 1, -1}, {-1, -1, 0}, {-1, -1, -1}});
    EXPECT_FALSE(check_mesh(flat.get(), p.data(), p.size()).valid);
    const MeshPtr good = make_mesh(p, {{0, 1, 3}, {1, 2, 3}}, {{-1, 1, -1}, {-1, -1, 0}});
    EXPECT_TRUE(check_mesh(good.get(), p.data(), p.size()).ok()) << check_mesh(good.get(), p.data(), p.size()).failure;
    good->triangles[1].inner_center.z = 1e-300;
    EXPECT_FALSE(check_mesh(good.get(), p.data(), p.size()).valid);
    const MeshPtr negative = make_mesh(p, {{0, 1, 3}, {1, 2, 3}}, {{-1, 1, -1}, {-1, -1, 0}});
    negative->triangles[0].radius = -1.0;
    EXPECT_FALSE(check_mesh(negative.get(), p.data(), p.size()).valid);
    // A vertex that is a copy of an input point, not the input record.
    Point3D copy = p[3];
    const MeshPtr foreign = make_mesh(p, {{0, 1, 3}, {1, 2, 3}}, {{-1, 1, -1}, {-1, -1, 0}});
    foreign->triangles[1].points[2] = &copy;
    EXPECT_FALSE(check_mesh(foreign.get(), p.data(), p.size()).valid);
}

TEST(MeshChecker, DuplicateRecordsAreOnePoint) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 5, 0}};
    const MeshPtr one = make_mesh(p, {{0, 1, 2}}, {{-1, -1, -1}});
    EXPECT_TRUE(check_mesh(one.get(), p.data(), p.size()).ok());
    const MeshPtr other = make_mesh(p, {{0, 3, 2}}, {{-1, -1, -1}});
    EXPECT_TRUE(check_mesh(other.get(), p.data(), p.size()).ok());
    // Both records of (1, 0) used as vertices: two triangles with the same area.
    const MeshPtr both = make_mesh(p, {{0, 1, 2}, {0, 3, 2}}, {{-1, -1, -1}, {-1, -1, -1}});
    EXPECT_FALSE(check_mesh(both.get(), p.data(), p.size()).valid);
}

TEST(MeshChecker, RejectsWrongLinksAndPartition) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}};
    const MeshPtr unlinked = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{-1, -1, -1}, {-1, -1, -1}});
    MeshCheck check = check_mesh(unlinked.get(), p.data(), p.size());
    EXPECT_TRUE(check.valid && check.delaunay);
    EXPECT_FALSE(check.links_true);
    const MeshPtr wrong_slot = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{1, -1, -1}, {0, -1, -1}});
    EXPECT_FALSE(check_mesh(wrong_slot.get(), p.data(), p.size()).links_true);
    const MeshPtr one_sided = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{-1, 1, -1}, {-1, -1, -1}});
    EXPECT_FALSE(check_mesh(one_sided.get(), p.data(), p.size()).links_true);
    const MeshPtr inner = make_mesh(p, {{0, 2, 1}, {1, 2, 3}}, {{-1, 1, -1}, {0, -1, -1}}, 1);
    check = check_mesh(inner.get(), p.data(), p.size());
    EXPECT_TRUE(check.links_true);
    EXPECT_FALSE(check.partition_true);
}

TEST(MeshChecker, CollinearAndNonFiniteInputNeedAnEmptyMesh) {
    std::vector<Point3D> p = {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 2, 0, 0}, {1e308, 1e308, 0, 0}};
    const MeshPtr empty = make_mesh(p, {}, {});
    EXPECT_TRUE(check_mesh(empty.get(), p.data(), p.size()).ok());
    const MeshPtr flat = make_mesh(p, {{0, 1, 2}}, {{-1, -1, -1}});
    EXPECT_FALSE(check_mesh(flat.get(), p.data(), p.size()).valid);
    std::vector<Point3D> q = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0.2, std::nan(""), 0, 0}};
    const MeshPtr good = make_mesh(q, {{0, 1, 2}}, {{-1, -1, -1}});
    EXPECT_TRUE(check_mesh(good.get(), q.data(), q.size()).ok());
    const MeshPtr bad = make_mesh(q, {{0, 1, 3}}, {{-1, -1, -1}});
    EXPECT_FALSE(check_mesh(bad.get(), q.data(), q.size()).valid);
    EXPECT_FALSE(check_mesh(empty.get(), q.data(), q.size()).valid);
}

}  // namespace
