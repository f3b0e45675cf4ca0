// CGAL as the yardstick of location and natural-neighbour interpolation.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Interpolation_traits_2.h>
#include <CGAL/natural_neighbor_coordinates_2.h>
#include <CGAL/spatial_sort.h>

#include <chrono>
#include <cmath>
#include <vector>

namespace {
using K = CGAL::Exact_predicates_inexact_constructions_kernel;
using DT = CGAL::Delaunay_triangulation_2<K>;
using P = K::Point_2;
using Clock = std::chrono::steady_clock;

std::vector<P> to_points(const std::vector<double>& xy) {
    std::vector<P> p;
    p.reserve(xy.size() / 2);
    for (size_t i = 0; i + 1 < xy.size(); i += 2) p.emplace_back(xy[i], xy[i + 1]);
    return p;
}
}  // namespace

double cgal_locate(const std::vector<double>& points, const std::vector<double>& queries) {
    std::vector<P> p = to_points(points), q = to_points(queries);
    DT dt(p.begin(), p.end());
    const Clock::time_point start = Clock::now();
    CGAL::spatial_sort(q.begin(), q.end());  // CGAL's own curve order, as we sort ours
    DT::Face_handle hint;
    size_t inside = 0;
    for (const P& x : q) {
        hint = dt.locate(x, hint);
        inside += !dt.is_infinite(hint);
    }
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    return inside > 0 ? s : s;
}

double cgal_natural(const std::vector<double>& points, const std::vector<double>& values,
                    const std::vector<double>& queries, bool hinted, double* checksum) {
    std::vector<P> p = to_points(points), q = to_points(queries);
    DT dt(p.begin(), p.end());
    (void)values;
    const Clock::time_point start = Clock::now();
    CGAL::spatial_sort(q.begin(), q.end());
    std::vector<std::pair<P, double>> coords;
    double sum = 0.0;
    DT::Face_handle hint;
    for (const P& x : q) {
        coords.clear();
        // The previous query's face as the start, as our walk starts from
        // the previous answer (without one CGAL walks from an arbitrary face).
        if (hinted) hint = dt.locate(x, hint);
        const auto r = CGAL::natural_neighbor_coordinates_2(dt, x, std::back_inserter(coords), hint);
        if (!r.third) continue;
        // The coordinates alone are timed (the target counts them); a
        // value per point would add a lookup by point in CGAL's API.
        for (const auto& c : coords) sum += c.second * c.first.x();
    }
    *checksum = sum;
    return std::chrono::duration<double>(Clock::now() - start).count();
}
