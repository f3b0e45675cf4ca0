// Assembly of a merged mesh: copies of the surviving triangles with their
// links re-pointed, the new triangles across the chain of cross edges with
// their links, and the split into inner and edge parts.
#include "blocks/mesh/merge_assembly.hpp"

#include <cstdint>
#include <utility>

#include "blocks/mesh/mesh_parts.hpp"

namespace {

// Appends a copy of `source` to `destination` and re-points the links that
// designate the source so that they designate the copy.
Triangle* copy_triangle(Mesh2D* destination, Triangle* source) {
    Triangle* copy = &destination->triangles[destination->length];
    *copy = *source;
    ++destination->length;
    merge_mesh_update_voronoi(copy, source);
    return copy;
}

// Whether `t` designates one of the mesh's records.
bool is_record_of(const Mesh2D* mesh, const Triangle* t) {
    const auto base = reinterpret_cast<std::uintptr_t>(mesh->triangles);
    const auto address = reinterpret_cast<std::uintptr_t>(t);
    if (address < base) return false;
    const std::uintptr_t offset = address - base;
    return offset % sizeof(Triangle) == 0 && offset / sizeof(Triangle) < mesh->length;
}

// Exchanges the records at indices a and b so that every link keeps
// designating the same triangle at its new place: the links held by both
// records and by their neighbours are exchanged first (a designation of one
// becomes one of the other), then the records.
void swap_keeping_links(Mesh2D* mesh, size_t a, size_t b) {
    Triangle* first = &mesh->triangles[a];
    Triangle* second = &mesh->triangles[b];
    Triangle* holders[8];
    size_t holder_count = 0;
    auto add_holder = [&](Triangle* t) {
        if (t == nullptr || !is_record_of(mesh, t)) return;
        for (size_t i = 0; i < holder_count; ++i) {
            if (holders[i] == t) return;
        }
        holders[holder_count++] = t;
    };
    add_holder(first);
    add_holder(second);
    for (Triangle* n : first->vor) add_holder(n);
    for (Triangle* n : second->vor) add_holder(n);
    for (size_t i = 0; i < holder_count; ++i) {
        for (Triangle*& link : holders[i]->vor) {
            if (link == first) {
                link = second;
            } else if (link == second) {
                link = first;
            }
        }
    }
    std::swap(*first, *second);
}

// Offers the records from..to-1 of the mesh, clipped to those before `last`,
// to `try_link` in increasing order until one is linked.
template <class TryLink>
bool link_first_in(Mesh2D* mesh, size_t from, size_t to, size_t last, TryLink try_link) {
    if (to > last) to = last;
    for (size_t i = from; i < to; ++i) {
        if (try_link(&mesh->triangles[i])) return true;
    }
    return false;
}

}  // namespace

extern "C" void merge_mesh_update_voronoi(Triangle* new_t, Triangle* old_t) { d2d::repoint_back_links(old_t, new_t); }

extern "C" void merge_inner_triangle_mesh(Mesh2D* destination, Mesh2D* source) {
    const size_t count = d2d::inner_triangle_count(source);
    for (size_t i = 0; i < count; ++i) {
        copy_triangle(destination, &source->triangles[i]);
        ++destination->inner_length;
    }
}

extern "C" void merge_edge_triangle_mesh(Mesh2D* destination, Mesh2D* source) {
    for (size_t i = source->inner_length; i < source->length; ++i) {
        if (source->triangles[i].radius < 0.0) continue;
        copy_triangle(destination, &source->triangles[i]);
    }
}

extern "C" int mesh_find_triangle_create_vor(Triangle* candidate, bool share_left, Triangle* last) {
    // The side edge of the newest triangle: points[1]-points[2] when its third
    // point comes from the right mesh, points[2]-points[0] when from the left.
    const int slot = share_left ? 1 : 2;
    Point3D* a = share_left ? last->points[1] : last->points[0];
    Point3D* b = last->points[2];
    const int shared = triangle_overlay_line_2d(candidate, a, b);
    if (shared < 0) return 0;
    create_triangle_vor(last, slot, candidate, shared);
    return 1;
}

extern "C" void mesh_create_last_triangle_voronoi(Mesh2D* mesh, size_t right_inner_beg, size_t right_edge_beg, size_t lr_beg,
                                       bool share_left) {
    if (mesh->length == 0) return;
    // Every scan is clipped to the records before the newest one.
    const size_t last_index = mesh->length - 1;
    Triangle* last = &mesh->triangles[last_index];

    link_first_in(mesh, lr_beg, last_index, last_index, [&](Triangle* candidate) {
        const int shared = triangle_overlay_line_2d(candidate, last->points[0], last->points[1]);
        if (shared < 0) return false;
        create_triangle_vor(last, 0, candidate, shared);
        return true;
    });

    auto side_link = [&](Triangle* candidate) { return mesh_find_triangle_create_vor(candidate, share_left, last) != 0; };
    if (share_left) {
        if (!link_first_in(mesh, right_edge_beg, lr_beg, last_index, side_link)) {
            link_first_in(mesh, right_inner_beg, mesh->inner_length, last_index, side_link);
        }
    } else {
        if (!link_first_in(mesh, mesh->inner_length, right_edge_beg, last_index, side_link)) {
            link_first_in(mesh, 0, right_inner_beg, last_index, side_link);
        }
    }
}

void d2d::append_lr_line_triangles(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg,
                                   size_t right_edge_beg, size_t lr_beg) {
    for (size_t l = 1; l < list->length; ++l) {
        const LREdge& prev = list->edges[l - 1];
        const LREdge& next = list->edges[l];
        const bool share_left = prev.left == next.left;
        Point3D* third = share_left ? next.right : next.left;
        // A pair with a missing end spans no triangle.
        if (prev.left == nullptr || prev.right == nullptr || third == nullptr) continue;
        create_triangle(&mesh->triangles[mesh->length], prev.left, prev.right, third);
        ++mesh->length;
        mesh_create_last_triangle_voronoi(mesh, right_inner_beg, right_edge_beg, lr_beg, share_left);
    }
}

extern "C" void merge_lr_line_triangle_mesh(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg, size_t right_edge_beg,
                                 size_t lr_beg) {
    d2d::append_lr_line_triangles(mesh, list, right_inner_beg, right_edge_beg, lr_beg);
    update_edge_triangle(mesh);
}

void d2d::clear_links_outside(Mesh2D* mesh) {
    for (size_t i = 0; i < mesh->length; ++i) {
        for (Triangle*& link : mesh->triangles[i].vor) {
            if (link != nullptr && !is_record_of(mesh, link)) link = nullptr;
        }
    }
}

extern "C" void update_edge_triangle(Mesh2D* mesh) {
    const size_t length = mesh->length;
    for (size_t i = mesh->inner_length; i < length; ++i) {
        const Triangle& t = mesh->triangles[i];
        if (t.vor[0] == nullptr || t.vor[1] == nullptr || t.vor[2] == nullptr) continue;
        if (i != mesh->inner_length) swap_keeping_links(mesh, i, mesh->inner_length);
        ++mesh->inner_length;
    }
}
