// Small builders for hand-made meshes, point lists and cross-edge lists and
// a link check, for the tests of the merge stages and of the entry points.
// Every block is malloc'd exactly as the library's own blocks are, so the
// library may resize and free them.
#pragma once

#include <array>
#include <cstdlib>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "delaunay2d.h"

namespace d2dtest {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Block = std::unique_ptr<T, FreeDeleter>;

// Host points at stable addresses.
class PointStore {
public:
    Point3D* add(double x, double y, double z = 0.0, double w = 0.0) {
        points_.push_back(Point3D{x, y, z, w});
        return &points_.back();
    }

private:
    std::deque<Point3D> points_;
};

using Vertices = std::array<Point3D*, 3>;

// The five points of the worked merge: p0, p1 form the left half (a
// two-point mesh), q0, q1, q2 the right half (one triangle).
struct FivePoints {
    PointStore store;
    Point3D* p0 = store.add(0, 0);
    Point3D* p1 = store.add(1, 0);
    Point3D* q0 = store.add(1.8, -1);
    Point3D* q1 = store.add(2, 1);
    Point3D* q2 = store.add(3, 0);
};

// A mesh block holding exactly the given triangles (built with
// create_triangle, so with null links), the first `inner` of them inner.
inline Mesh2D* make_mesh(std::initializer_list<Vertices> triangles, size_t inner = 0) {
    auto* mesh = static_cast<Mesh2D*>(std::malloc(sizeof(Mesh2D) + triangles.size() * sizeof(Triangle)));
    mesh->length = 0;
    for (const Vertices& v : triangles) create_triangle(&mesh->triangles[mesh->length++], v[0], v[1], v[2]);
    mesh->inner_length = inner;
    return mesh;
}

// A mesh block with room for `room` records and an empty header.
inline Mesh2D* make_empty_mesh(size_t room) {
    auto* mesh = static_cast<Mesh2D*>(std::malloc(sizeof(Mesh2D) + room * sizeof(Triangle)));
    mesh->length = 0;
    mesh->inner_length = 0;
    return mesh;
}

// Links a and b across the edge they share (which must exist).
inline void link(Triangle* a, Triangle* b) {
    for (int i = 0; i < 3; ++i) {
        const int j = triangle_overlay_line_2d(b, a->points[i], a->points[(i + 1) % 3]);
        if (j >= 0) {
            create_triangle_vor(a, i, b, j);
            return;
        }
    }
}

// A cross-edge list with exactly the given edges and room for `room` edges.
inline LREdgeList* make_edge_list(std::initializer_list<LREdge> edges, size_t room) {
    auto* list = static_cast<LREdgeList*>(std::malloc(sizeof(LREdgeList) + room * sizeof(LREdge)));
    list->length = 0;
    for (const LREdge& e : edges) list->edges[list->length++] = e;
    return list;
}

// A point list with exactly the given entries and room for `room`.
inline Point3DList* make_point_list(std::initializer_list<Point3D*> points, size_t room) {
    auto* list = static_cast<Point3DList*>(std::malloc(sizeof(Point3DList) + room * sizeof(Point3D*)));
    list->length = 0;
    for (Point3D* p : points) list->points[list->length++] = p;
    return list;
}

// A point list naming records[0 .. n) in order, with room for exactly n.
inline Point3DList* make_record_list(Point3D* records, size_t n) {
    auto* list = static_cast<Point3DList*>(std::malloc(sizeof(Point3DList) + n * sizeof(Point3D*)));
    list->length = n;
    for (size_t i = 0; i < n; ++i) list->points[i] = &records[i];
    return list;
}

// Empty when every set link of the mesh designates one of its records that
// has the same edge and links back across it; otherwise the first fault.
inline std::string link_fault(const Mesh2D* mesh) {
    const Triangle* first = mesh->triangles;
    const Triangle* past = mesh->triangles + mesh->length;
    for (size_t i = 0; i < mesh->length; ++i) {
        const Triangle& t = mesh->triangles[i];
        for (int k = 0; k < 3; ++k) {
            const Triangle* n = t.vor[k];
            if (n == nullptr) continue;
            const std::string where = "triangle " + std::to_string(i) + " slot " + std::to_string(k);
            const std::less<const Triangle*> before;
            if (before(n, first) || !before(n, past)) return where + " designates no record of the mesh";
            const int back = triangle_overlay_line_2d(n, t.points[k], t.points[(k + 1) % 3]);
            if (back < 0) return where + " designates a triangle without that edge";
            if (n->vor[back] != &t) return where + " is not linked back";
        }
    }
    return {};
}

// Index of a link within the mesh, -1 for null.
inline long link_index(const Mesh2D* mesh, const Triangle* link) {
    return link == nullptr ? -1 : static_cast<long>(link - mesh->triangles);
}

}  // namespace d2dtest
