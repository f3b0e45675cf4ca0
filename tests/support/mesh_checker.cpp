// The checker works on the distinct finite points (equal x and y are one
// point). Geometry is decided by a deliberately loose floating-point filter
// and, whenever that filter is not sure, by GMP integers: every double is an
// integer multiple of 2^q, q being the lowest set bit among all coordinates,
// so the determinants are integer polynomials.
//
// Tiling is established combinatorially: with every triangle oriented
// counter-clockwise, each directed edge is used at most once and the edges
// without a reverse form exactly the convex hull boundary (collinear hull
// points included). Then the triangles form a 2-chain whose boundary is the
// hull cycle, so every point of the plane off the edges is covered by as many
// triangles as the hull winds around it: once inside, never outside. The
// exact area sum is compared with the hull's area as a second, independent
// witness.
#include "support/mesh_checker.hpp"
#include "support/exact_rational.hpp"

#include <gmp.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <utility>
#include <vector>

namespace d2dtest {

namespace {

struct XY {
    double x;
    double y;
};

// An mpz_t that cleans up after itself.
class Integer {
public:
    Integer() { mpz_init(value_); }
    Integer(const Integer&) = delete;
    Integer& operator=(const Integer&) = delete;
    Integer(Integer&& other) noexcept {
        mpz_init(value_);
        mpz_swap(value_, other.value_);
    }
    ~Integer() { mpz_clear(value_); }
    mpz_ptr get() { return value_; }
    mpz_srcptr get() const { return value_; }

private:
    mpz_t value_;
};

// Lowest set bit exponent of a finite nonzero double, and the double as
// mantissa * 2^exponent with an odd integer mantissa.
void decompose(double v, std::int64_t& mantissa, int& exponent) {
    int e = 0;
    const double f = std::frexp(v, &e);                 // v = f * 2^e, 0.5 <= |f| < 1
    auto m = static_cast<std::int64_t>(std::ldexp(f, 53));  // exact: 53 bits
    e -= 53;
    while (m % 2 == 0) {
        m /= 2;
        ++e;
    }
    mantissa = m;
    exponent = e;
}

// Exact orientation and in-circle signs on a fixed set of points.
class ExactGeometry {
public:
    explicit ExactGeometry(const std::vector<XY>& points) : points_(points) {
        int lowest = 0;
        bool any = false;
        for (const XY& p : points_) {
            for (const double v : {p.x, p.y}) {
                if (v == 0.0) continue;
                std::int64_t m;
                int e;
                decompose(v, m, e);
                if (!any || e < lowest) lowest = e;
                any = true;
            }
        }
        xs_.reserve(points_.size());
        ys_.reserve(points_.size());
        for (const XY& p : points_) {
            xs_.emplace_back();
            ys_.emplace_back();
            to_integer(p.x, lowest, xs_.back());
            to_integer(p.y, lowest, ys_.back());
        }
    }

    int orient(std::size_t a, std::size_t b, std::size_t c) {
        const XY &pa = points_[a], &pb = points_[b], &pc = points_[c];
        const int quick = orient_sign_quick(pa.x, pa.y, pb.x, pb.y, pc.x, pc.y);
        return quick != 0 ? quick : exact_orient(a, b, c);
    }

    int incircle(std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
        const XY &pa = points_[a], &pb = points_[b], &pc = points_[c], &pd = points_[d];
        const int quick = incircle_sign_quick(pa.x, pa.y, pb.x, pb.y, pc.x, pc.y, pd.x, pd.y);
        return quick != 0 ? quick : exact_incircle(a, b, c, d);
    }

    // Adds twice the signed area of a, b, c (in units of 2^(2q)) to sum.
    void add_twice_area(std::size_t a, std::size_t b, std::size_t c, Integer& sum) {
        orient_determinant(a, b, c);
        mpz_add(sum.get(), sum.get(), t_[4].get());
    }

    // The counter-clockwise convex hull, every point on its boundary included,
    // for points that are not all collinear. Ids are indices into the points,
    // which must be sorted by (x, y).
    std::vector<std::uint32_t> hull() {
        const auto count = static_cast<std::uint32_t>(points_.size());
        std::vector<std::uint32_t> lower, upper;
        for (std::uint32_t i = 0; i < count; ++i) {
            while (lower.size() >= 2 && orient(lower[lower.size() - 2], lower.back(), i) < 0) lower.pop_back();
            lower.push_back(i);
        }
        for (std::uint32_t k = count; k-- > 0;) {
            while (upper.size() >= 2 && orient(upper[upper.size() - 2], upper.back(), k) < 0) upper.pop_back();
            upper.push_back(k);
        }
        lower.pop_back();
        upper.pop_back();
        lower.insert(lower.end(), upper.begin(), upper.end());
        return lower;
    }

private:
    static void to_integer(double v, int lowest, Integer& out) {
        if (v == 0.0) return;
        std::int64_t m;
        int e;
        decompose(v, m, e);
        mpz_set_si(out.get(), m);
        mpz_mul_2exp(out.get(), out.get(), static_cast<mp_bitcnt_t>(e - lowest));
    }

    // t_[4] = (Xa - Xc)(Yb - Yc) - (Ya - Yc)(Xb - Xc).
    void orient_determinant(std::size_t a, std::size_t b, std::size_t c) {
        mpz_sub(t_[0].get(), xs_[a].get(), xs_[c].get());
        mpz_sub(t_[1].get(), ys_[b].get(), ys_[c].get());
        mpz_sub(t_[2].get(), ys_[a].get(), ys_[c].get());
        mpz_sub(t_[3].get(), xs_[b].get(), xs_[c].get());
        mpz_mul(t_[4].get(), t_[0].get(), t_[1].get());
        mpz_mul(t_[5].get(), t_[2].get(), t_[3].get());
        mpz_sub(t_[4].get(), t_[4].get(), t_[5].get());
    }

    int exact_orient(std::size_t a, std::size_t b, std::size_t c) {
        orient_determinant(a, b, c);
        return mpz_sgn(t_[4].get());
    }

    int exact_incircle(std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
        Integer dx[3], dy[3], lift, minor, term, det, u, v;
        const std::size_t abc[3] = {a, b, c};
        for (int i = 0; i < 3; ++i) {
            mpz_sub(dx[i].get(), xs_[abc[i]].get(), xs_[d].get());
            mpz_sub(dy[i].get(), ys_[abc[i]].get(), ys_[d].get());
        }
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3, k = (i + 2) % 3;
            mpz_mul(u.get(), dx[i].get(), dx[i].get());
            mpz_mul(v.get(), dy[i].get(), dy[i].get());
            mpz_add(lift.get(), u.get(), v.get());
            mpz_mul(u.get(), dx[j].get(), dy[k].get());
            mpz_mul(v.get(), dx[k].get(), dy[j].get());
            mpz_sub(minor.get(), u.get(), v.get());
            mpz_mul(term.get(), lift.get(), minor.get());
            mpz_add(det.get(), det.get(), term.get());
        }
        return mpz_sgn(det.get());
    }

    std::vector<XY> points_;
    std::vector<Integer> xs_, ys_;
    Integer t_[6];
};

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

// The directed edges of counter-clockwise triangles, grouped by their first
// point and sorted by their second, each with the triangle that holds it:
// finding an edge is a binary search among the few edges that leave a point.
class DirectedEdges {
public:
    static constexpr std::int64_t kNone = -1;

    DirectedEdges(std::size_t points, const std::vector<std::array<std::uint32_t, 3>>& triangles)
        : first_(points + 1, 0), edges_(3 * triangles.size()) {
        for (const auto& tri : triangles) {
            for (const std::uint32_t u : tri) ++first_[u + 1];
        }
        for (std::size_t u = 0; u < points; ++u) first_[u + 1] += first_[u];
        std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
        for (std::size_t t = 0; t < triangles.size(); ++t) {
            for (std::size_t k = 0; k < 3; ++k) {
                edges_[next[triangles[t][k]]++] = {triangles[t][(k + 1) % 3], static_cast<std::uint32_t>(t)};
            }
        }
        // Sorted by (end, triangle): a repeated edge shows its first holder first.
        for (std::size_t u = 0; u < points; ++u) std::sort(edges_.begin() + first_[u], edges_.begin() + first_[u + 1]);
    }

    // The triangle holding u -> v, or kNone.
    std::int64_t owner(std::uint32_t u, std::uint32_t v) const {
        const auto begin = edges_.begin() + first_[u], end = edges_.begin() + first_[u + 1];
        const auto at = std::lower_bound(begin, end, std::pair<std::uint32_t, std::uint32_t>{v, 0});
        return at != end && at->first == v ? static_cast<std::int64_t>(at->second) : kNone;
    }

    // Calls visit(u, v, triangle) for every edge; stops and returns false as
    // soon as visit does.
    template <class Visit>
    bool every(Visit visit) const {
        for (std::uint32_t u = 0; u + 1 < first_.size(); ++u) {
            for (std::size_t i = first_[u]; i < first_[u + 1]; ++i) {
                if (!visit(u, edges_[i].first, edges_[i].second)) return false;
            }
        }
        return true;
    }

    // Two triangles holding the same directed edge (u, v, the first holder,
    // the second), when some edge is held twice.
    bool repeated(std::array<std::uint32_t, 4>& found) const {
        return !every([&](std::uint32_t u, std::uint32_t v, std::uint32_t t) {
            const std::int64_t first = owner(u, v);
            if (first == static_cast<std::int64_t>(t)) return true;
            found = {u, v, static_cast<std::uint32_t>(first), t};
            return false;
        });
    }

private:
    std::vector<std::size_t> first_;                            // edges of u: [first_[u], first_[u + 1])
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges_;  // (end, triangle)
};

std::string describe(const XY& p) {
    std::ostringstream out;
    out.precision(17);
    out << "(" << p.x << ", " << p.y << ")";
    return out.str();
}

}  // namespace

MeshCheck check_mesh(const Mesh2D* mesh, const Point3D* points, size_t n) {
    MeshCheck result;
    auto fail = [&](const std::string& message) {
        result.failure = message;
        return result;
    };
    if (mesh == nullptr) return fail("the mesh is null");

    // Distinct finite points, sorted by (x, y); id_of[record] names the point.
    std::vector<std::size_t> finite;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(points[i].x) && std::isfinite(points[i].y)) finite.push_back(i);
    }
    std::sort(finite.begin(), finite.end(), [&](std::size_t a, std::size_t b) {
        if (points[a].x != points[b].x) return points[a].x < points[b].x;
        if (points[a].y != points[b].y) return points[a].y < points[b].y;
        return a < b;
    });
    std::vector<std::int64_t> id_of(n, -1);
    std::vector<XY> distinct;
    for (const std::size_t i : finite) {
        if (distinct.empty() || distinct.back().x != points[i].x || distinct.back().y != points[i].y) {
            distinct.push_back({points[i].x, points[i].y});
        }
        id_of[i] = static_cast<std::int64_t>(distinct.size() - 1);
    }
    const std::size_t m = distinct.size();
    ExactGeometry geometry(distinct);

    bool collinear = true;
    for (std::size_t k = 2; k < m && collinear; ++k) collinear = geometry.orient(0, 1, k) == 0;
    if (collinear) {
        if (mesh->length != 0) {
            return fail("the " + std::to_string(m) + " distinct finite points are collinear but the mesh has " +
                        std::to_string(mesh->length) + " triangles");
        }
        result.valid = result.delaunay = result.links_true = true;
        if (mesh->inner_length != 0) return fail("an empty mesh with inner_length " + std::to_string(mesh->inner_length));
        result.partition_true = true;
        return result;
    }
    const std::size_t count = mesh->length;
    if (count == 0) return fail("an empty mesh for points that are not collinear");
    if (mesh->inner_length > count) return fail("inner_length exceeds length");

    // Per triangle: vertices, radius, centroid, orientation.
    std::vector<std::array<std::uint32_t, 3>> ccw(count);     // ids, counter-clockwise
    std::vector<std::array<std::uint32_t, 3>> stored(count);  // ids, in the record's order
    std::vector<std::int64_t> record_of(m, -1);
    const auto base = reinterpret_cast<std::uintptr_t>(points);
    for (std::size_t t = 0; t < count; ++t) {
        const Triangle& tri = mesh->triangles[t];
        const std::string where = "triangle " + std::to_string(t) + ": ";
        for (int k = 0; k < 3; ++k) {
            const auto address = reinterpret_cast<std::uintptr_t>(tri.points[k]);
            if (address < base || address >= base + n * sizeof(Point3D) || (address - base) % sizeof(Point3D) != 0) {
                return fail(where + "a vertex is not a record of the input array");
            }
            const std::size_t record = (address - base) / sizeof(Point3D);
            if (id_of[record] < 0) return fail(where + "a vertex has a NaN or infinite coordinate");
            const auto id = static_cast<std::uint32_t>(id_of[record]);
            if (record_of[id] < 0) {
                record_of[id] = static_cast<std::int64_t>(record);
            } else if (record_of[id] != static_cast<std::int64_t>(record)) {
                return fail(where + "records " + std::to_string(record_of[id]) + " and " + std::to_string(record) +
                            " both at " + describe(distinct[id]) + " are both vertices");
            }
            stored[t][static_cast<std::size_t>(k)] = id;
        }
        if (!(tri.radius >= 0.0)) return fail(where + "radius " + std::to_string(tri.radius));
        const Point3D &p0 = *tri.points[0], &p1 = *tri.points[1], &p2 = *tri.points[2];
        if (!same_bits(tri.inner_center.x, ((p0.x + p1.x) + p2.x) / 3.0) ||
            !same_bits(tri.inner_center.y, ((p0.y + p1.y) + p2.y) / 3.0) ||
            !same_bits(tri.inner_center.z, ((p0.z + p1.z) + p2.z) / 3.0) ||
            !same_bits(tri.inner_center.w, ((p0.w + p1.w) + p2.w) / 3.0)) {
            return fail(where + "inner_center is not the centroid");
        }
        const auto [a, b, c] = stored[t];
        const int o = (a == b || b == c || c == a) ? 0 : geometry.orient(a, b, c);
        if (o == 0) {
            return fail(where + "zero area: " + describe(distinct[a]) + " " + describe(distinct[b]) + " " +
                        describe(distinct[c]));
        }
        ccw[t] = o > 0 ? std::array<std::uint32_t, 3>{a, b, c} : std::array<std::uint32_t, 3>{a, c, b};
    }
    for (std::size_t id = 0; id < m; ++id) {
        if (record_of[id] < 0) return fail("the point " + describe(distinct[id]) + " is no vertex");
    }

    // Directed edges of the counter-clockwise triangles: each at most once.
    const DirectedEdges edges(m, ccw);
    std::array<std::uint32_t, 4> twice{};
    if (edges.repeated(twice)) {
        return fail("triangles " + std::to_string(twice[2]) + " and " + std::to_string(twice[3]) +
                    " overlap along the edge " + describe(distinct[twice[0]]) + " " + describe(distinct[twice[1]]));
    }
    const auto holds = [&](std::uint32_t u, std::uint32_t v) { return edges.owner(u, v) != DirectedEdges::kNone; };
    // Edges without a reverse: exactly the hull boundary, counter-clockwise.
    std::size_t boundary = 0;
    edges.every([&](std::uint32_t u, std::uint32_t v, std::uint32_t) {
        if (!holds(v, u)) ++boundary;
        return true;
    });
    const std::vector<std::uint32_t> hull = geometry.hull();
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const std::uint32_t u = hull[i], v = hull[(i + 1) % hull.size()];
        if (!holds(u, v) || holds(v, u)) {
            return fail("the hull edge " + describe(distinct[u]) + " " + describe(distinct[v]) +
                        " is not a boundary edge of the mesh");
        }
    }
    if (boundary != hull.size()) {
        return fail("the mesh has " + std::to_string(boundary) + " boundary edges, the hull " +
                    std::to_string(hull.size()) + " (a hole or a fold)");
    }
    Integer area, hull_area;
    for (std::size_t t = 0; t < count; ++t) geometry.add_twice_area(ccw[t][0], ccw[t][1], ccw[t][2], area);
    for (std::size_t i = 1; i + 1 < hull.size(); ++i) geometry.add_twice_area(hull[0], hull[i], hull[i + 1], hull_area);
    if (mpz_cmp(area.get(), hull_area.get()) != 0) return fail("the triangles' area differs from the hull's");
    result.valid = true;

    // Locally Delaunay across every interior edge (enough for a triangulation).
    for (std::size_t t = 0; t < count; ++t) {
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t u = ccw[t][static_cast<std::size_t>(k)], v = ccw[t][static_cast<std::size_t>((k + 1) % 3)];
            const std::int64_t across = edges.owner(v, u);
            if (across == DirectedEdges::kNone || across < static_cast<std::int64_t>(t)) continue;
            const auto& other = ccw[static_cast<std::size_t>(across)];
            std::uint32_t opposite = other[0];
            for (const std::uint32_t w : other) {
                if (w != u && w != v) opposite = w;
            }
            if (geometry.incircle(ccw[t][0], ccw[t][1], ccw[t][2], opposite) > 0) {
                return fail("triangle " + std::to_string(t) + " has the point " + describe(distinct[opposite]) +
                            " of triangle " + std::to_string(across) + " inside its circumcircle");
            }
        }
    }
    result.delaunay = true;

    // vor[k] designates the record across edge k of the record's own order.
    for (std::size_t t = 0; t < count; ++t) {
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t u = stored[t][static_cast<std::size_t>(k)], v = stored[t][static_cast<std::size_t>((k + 1) % 3)];
            const std::int64_t forward = edges.owner(u, v);
            const std::int64_t backward = edges.owner(v, u);
            const auto self = static_cast<std::int64_t>(t);
            const Triangle* expected = nullptr;
            if (forward != DirectedEdges::kNone && forward != self) expected = &mesh->triangles[forward];
            if (backward != DirectedEdges::kNone && backward != self) expected = &mesh->triangles[backward];
            if (mesh->triangles[t].vor[k] != expected) {
                return fail("triangle " + std::to_string(t) + ": vor[" + std::to_string(k) + "] " +
                            (expected == nullptr ? "should be null (hull edge)"
                                                 : "should designate triangle " +
                                                       std::to_string(expected - mesh->triangles)));
            }
        }
    }
    result.links_true = true;

    for (std::size_t t = 0; t < count; ++t) {
        const Triangle& tri = mesh->triangles[t];
        const bool three = tri.vor[0] != nullptr && tri.vor[1] != nullptr && tri.vor[2] != nullptr;
        if (three != (t < mesh->inner_length)) {
            return fail("triangle " + std::to_string(t) + (three ? " has three links but is past inner_length "
                                                                 : " lacks a link but is before inner_length ") +
                        std::to_string(mesh->inner_length));
        }
    }
    result.partition_true = true;
    return result;
}

}  // namespace d2dtest
