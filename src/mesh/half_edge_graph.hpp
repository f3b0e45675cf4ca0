// Planar graph of half-edges with a rotation ring around every vertex.
//
// Each undirected edge is a pair of half-edges e and e ^ 1 (its twin). A
// half-edge knows its origin vertex, the next and previous half-edges leaving
// the same origin in counter-clockwise order, and the id of the triangle that
// lies on its left (kNone when the region on its left is no live triangle of
// ours). Faces are implied by the rotation rings: the half-edge that follows
// e around its left face is oprev(twin(e)).
//
// Removed edges go to a free list and are reused, so the storage never holds
// more edges than the largest planar graph built so far.
#ifndef DELAUNAY2D_MESH_HALF_EDGE_GRAPH_HPP
#define DELAUNAY2D_MESH_HALF_EDGE_GRAPH_HPP

#include <cstdint>
#include <vector>

namespace d2d {

inline constexpr uint32_t kNone = 0xFFFFFFFFu;

class HalfEdgeGraph {
 public:
    struct HalfEdge {
        uint32_t onext;   // next half-edge counter-clockwise around the origin
        uint32_t oprev;   // previous half-edge around the origin
        uint32_t origin;  // vertex id
        uint32_t face;    // triangle on the left, or kNone
    };

    explicit HalfEdgeGraph(size_t edge_capacity) { edges_.reserve(2 * edge_capacity); }

    static uint32_t twin(uint32_t e) { return e ^ 1u; }
    uint32_t origin(uint32_t e) const { return edges_[e].origin; }
    uint32_t dest(uint32_t e) const { return edges_[twin(e)].origin; }
    uint32_t onext(uint32_t e) const { return edges_[e].onext; }
    uint32_t oprev(uint32_t e) const { return edges_[e].oprev; }
    // Next half-edge around the left face of e, and previous around its right face.
    uint32_t lnext(uint32_t e) const { return edges_[twin(e)].oprev; }
    uint32_t rprev(uint32_t e) const { return edges_[twin(e)].onext; }
    uint32_t face(uint32_t e) const { return edges_[e].face; }
    void set_face(uint32_t e, uint32_t f) { edges_[e].face = f; }

    // A new edge a -> b that touches nothing yet; returns the half-edge a -> b.
    uint32_t make_edge(uint32_t a, uint32_t b) {
        uint32_t e;
        if (free_head_ != kNone) {
            e = free_head_;
            free_head_ = edges_[e].onext;
        } else {
            e = static_cast<uint32_t>(edges_.size());
            edges_.resize(edges_.size() + 2);
        }
        edges_[e] = HalfEdge{e, e, a, kNone};
        edges_[e + 1] = HalfEdge{e + 1, e + 1, b, kNone};
        return e;
    }

    // Edge from dest(a) to origin(b), entered in the rings so that it follows
    // lnext(a) around dest(a) and b around origin(b). The new edge closes the
    // face of a and b when they bound one. Returns the half-edge dest(a) -> origin(b).
    uint32_t connect(uint32_t a, uint32_t b) {
        const uint32_t after_at_dest = lnext(a);
        const uint32_t e = make_edge(dest(a), origin(b));
        insert_after(after_at_dest, e);
        insert_after(b, twin(e));
        return e;
    }

    // Takes the edge of e out of both rings and frees it.
    void remove_edge(uint32_t e) {
        const uint32_t base = e & ~1u;
        detach(base);
        detach(base + 1);
        edges_[base].onext = free_head_;
        free_head_ = base;
    }

    // Joins isolated half-edge e into the ring of x, right after x.
    void insert_after(uint32_t x, uint32_t e) {
        const uint32_t next = edges_[x].onext;
        edges_[e].onext = next;
        edges_[e].oprev = x;
        edges_[next].oprev = e;
        edges_[x].onext = e;
    }

    void release() {
        std::vector<HalfEdge>().swap(edges_);
        free_head_ = kNone;
    }

 private:
    void detach(uint32_t e) {
        const uint32_t next = edges_[e].onext;
        const uint32_t prev = edges_[e].oprev;
        edges_[prev].onext = next;
        edges_[next].oprev = prev;
    }

    std::vector<HalfEdge> edges_;
    uint32_t free_head_ = kNone;
};

}  // namespace d2d

#endif
