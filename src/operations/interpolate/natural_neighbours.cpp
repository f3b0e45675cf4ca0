// Natural-neighbour (Sibson) interpolation.
//
// Inserting the query q into the Delaunay triangulation would remove the
// triangles whose circumcircle holds q strictly (the cavity, found with
// exact in-circle tests from the triangle that holds q) and join q to the
// cavity's boundary v0, v1, ... (counter-clockwise). q's new Voronoi cell
// takes from each boundary vertex vj the part of vj's cell nearer to q;
// the weight of vj is that area over the whole cell. The part is a convex
// polygon: the new ridge between q and vj, from the circumcentre c_in of
// (q, v(j-1), vj) to c_out of (q, vj, v(j+1)), closed by the old ridges of
// vj that the cavity removes, through the circumcentres of the cavity's
// triangles around vj:
//
//        v(j-1) ------ vj ------ v(j+1)       stolen from vj:
//            \   T_in  |  T_out  /            c_out, cc(T_out), ...,
//             \  c_in  |  c_out /             cc(T_in), c_in
//              \    \  |  /    /
//               \     q       /
//
// All the geometry is taken relative to q. Where q lies on an edge with no
// neighbour (the mesh's boundary) its cell would be unbounded: there the
// interpolation is the linear one along that edge, which is what Sibson's
// weights tend to as q approaches it.
#include <cmath>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "operations/common/circumcentre.hpp"
#include "operations/interpolate/barycentric.hpp"
#include "operations/interpolate/interpolation_input.hpp"
#include "operations/locate/locate_all.hpp"

namespace d2d::operations {
namespace {

using Vec = Vec2;

struct BoundaryEdge {
    uint32_t from, to;
    size_t triangle;  // the cavity triangle on its inner side
};

class SibsonWeights {
 public:
    explicit SibsonWeights(const MeshInput& mesh) : m_(mesh) {}

    // Fills the natural neighbours of q and their weights (summing to 1);
    // false when q lies on the boundary of the mesh's cavity (then the
    // caller interpolates linearly in t).
    bool compute(double qx, double qy, size_t t) {
        qx_ = qx;
        qy_ = qy;
        grow_cavity(t);
        if (!collect_boundary()) return false;
        const size_t k = loop_.size();
        old_centres_.resize(cavity_.size());
        for (size_t i = 0; i < cavity_.size(); ++i) old_centres_[i] = old_centre(cavity_[i]);
        centres_.resize(k);
        for (size_t j = 0; j < k; ++j) centres_[j] = circumcentre_from_origin(rel(loop_[j].from), rel(loop_[j].to));
        neighbours_.resize(k);
        weights_.resize(k);
        double total = 0.0;
        for (size_t j = 0; j < k; ++j) {
            // vj = loop_[j].from: edge j leaves it, edge j - 1 enters it.
            const uint32_t v = loop_[j].from;
            polygon_.clear();
            polygon_.push_back(centres_[j]);
            size_t tri = loop_[j].triangle;
            const size_t last = loop_[j == 0 ? k - 1 : j - 1].triangle;
            // Around vj from T_out to T_in, every triangle in the cavity
            // (a cavity that is not star-shaped from q, which only a mesh
            // that is not Delaunay can give, is left to the caller).
            for (size_t steps = 0;; ++steps) {
                const size_t at = cavity_index(tri);
                if (at == cavity_.size() || steps == cavity_.size()) return false;
                polygon_.push_back(old_centres_[at]);
                if (tri == last) break;
                const int32_t next = m_.neighbour(tri, (corner(tri, v) + 2) % 3);
                if (next < 0) return false;
                tri = static_cast<size_t>(next);
            }
            polygon_.push_back(centres_[j == 0 ? k - 1 : j - 1]);
            double twice = 0.0;
            for (size_t i = 0; i < polygon_.size(); ++i) {
                const Vec& a = polygon_[i];
                const Vec& b = polygon_[i + 1 == polygon_.size() ? 0 : i + 1];
                twice += a.x * b.y - a.y * b.x;
            }
            neighbours_[j] = v;
            weights_[j] = std::fabs(twice);
            total += weights_[j];
        }
        if (!(total > 0.0) || !std::isfinite(total)) return false;
        for (double& w : weights_) w /= total;
        return true;
    }

    const std::vector<uint32_t>& neighbours() const { return neighbours_; }
    const std::vector<double>& weights() const { return weights_; }

 private:
    Vec rel(uint32_t v) const { return Vec{m_.x(v) - qx_, m_.y(v) - qy_}; }
    int corner(size_t t, uint32_t v) const { return m_.vertex(t, 0) == v ? 0 : (m_.vertex(t, 1) == v ? 1 : 2); }
    Vec old_centre(size_t t) const { return circumcentre(rel(m_.vertex(t, 0)), rel(m_.vertex(t, 1)), rel(m_.vertex(t, 2))); }

    bool in_cavity(size_t t) const {
        for (const size_t c : cavity_) {
            if (c == t) return true;
        }
        return false;
    }

    // t's place in the cavity, or the cavity's size when it is not there.
    size_t cavity_index(size_t t) const {
        size_t i = 0;
        while (i < cavity_.size() && cavity_[i] != t) ++i;
        return i;
    }

    bool circle_holds_query(size_t t) const {
        const uint32_t a = m_.vertex(t, 0), b = m_.vertex(t, 1), c = m_.vertex(t, 2);
        return incircle_exact(m_.x(a), m_.y(a), m_.x(b), m_.y(b), m_.x(c), m_.y(c), qx_, qy_) > 0.0;
    }

    // The triangles whose circumcircle holds q, connected to t (which does:
    // q lies in it and is none of its vertices).
    void grow_cavity(size_t t) {
        cavity_.assign(1, t);
        for (size_t i = 0; i < cavity_.size(); ++i) {
            for (int e = 0; e < 3; ++e) {
                const int32_t n = m_.neighbour(cavity_[i], e);
                if (n < 0 || in_cavity(static_cast<size_t>(n))) continue;
                if (circle_holds_query(static_cast<size_t>(n))) cavity_.push_back(static_cast<size_t>(n));
            }
        }
    }

    // The cavity's boundary as one counter-clockwise loop; false when q
    // does not see every boundary edge strictly from inside.
    bool collect_boundary() {
        edges_.clear();
        for (const size_t t : cavity_) {
            for (int e = 0; e < 3; ++e) {
                const int32_t n = m_.neighbour(t, e);
                if (n >= 0 && in_cavity(static_cast<size_t>(n))) continue;
                const uint32_t a = m_.vertex(t, e), b = m_.vertex(t, (e + 1) % 3);
                if (!(orient2d_exact(m_.x(a), m_.y(a), m_.x(b), m_.y(b), qx_, qy_) > 0.0)) return false;
                edges_.push_back(BoundaryEdge{a, b, t});
            }
        }
        loop_.clear();
        loop_.push_back(edges_[0]);
        while (loop_.size() < edges_.size()) {
            bool found = false;
            for (const BoundaryEdge& e : edges_) {
                if (e.from == loop_.back().to) {
                    loop_.push_back(e);
                    found = true;
                    break;
                }
            }
            if (!found || loop_.back().to == loop_.front().from) break;
        }
        return loop_.size() == edges_.size() && loop_.back().to == loop_.front().from;
    }

    const MeshInput& m_;
    double qx_ = 0.0, qy_ = 0.0;
    std::vector<size_t> cavity_;
    std::vector<BoundaryEdge> edges_, loop_;
    std::vector<Vec> centres_, old_centres_, polygon_;
    std::vector<uint32_t> neighbours_;
    std::vector<double> weights_;
};

}  // namespace

void interpolate_natural(const InterpolationInput& in) {
    const MeshInput& m = in.mesh;
    const PointLocator locator(m);
    // One scratch object per chunk of queries, so threads share none.
    for_each_located_chunk(locator, in.queries, in.query_count, in.threads,
                           [&](const LocatedQuery* first, const LocatedQuery* last) {
        SibsonWeights sibson(m);
        for (const LocatedQuery* it = first; it != last; ++it) {
            const uint32_t q = it->query;
            const int32_t located = it->triangle;
            if (located < 0) {
                in.fill(q);
                continue;
            }
            const size_t t = static_cast<size_t>(located);
            const double qx = it->x, qy = it->y;
            double* out = in.out_of(q);
            bool done = false;
            for (int c = 0; c < 3 && !done; ++c) {
                const uint32_t v = m.vertex(t, c);
                if (m.x(v) == qx && m.y(v) == qy) {
                    for (size_t j = 0; j < in.value_count; ++j) out[j] = in.values_of(v)[j];
                    done = true;
                    break;
                }
            }
            if (done) continue;
            if (!sibson.compute(qx, qy, t)) {
                interpolate_in_triangle(in, t, qx, qy, out);
                continue;
            }
            for (size_t j = 0; j < in.value_count; ++j) out[j] = 0.0;
            for (size_t i = 0; i < sibson.neighbours().size(); ++i) {
                const double w = sibson.weights()[i];
                const double* v = in.values_of(sibson.neighbours()[i]);
                for (size_t j = 0; j < in.value_count; ++j) out[j] += w * v[j];
            }
        }
    });
}

}  // namespace d2d::operations
