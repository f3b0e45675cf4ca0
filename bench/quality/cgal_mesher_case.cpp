#include "cgal_mesher_case.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Delaunay_mesh_face_base_2.h>
#include <CGAL/Delaunay_mesh_size_criteria_2.h>
#include <CGAL/Delaunay_mesher_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace bench {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Vb = CGAL::Triangulation_vertex_base_2<Kernel>;
using Fb = CGAL::Delaunay_mesh_face_base_2<Kernel>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds, CGAL::Exact_predicates_tag>;
using Criteria = CGAL::Delaunay_mesh_size_criteria_2<Cdt>;
using Mesher = CGAL::Delaunay_mesher_2<Cdt, Criteria>;

// Marks the faces an odd number of constraints away from the infinite face
// as the domain (the whole hull when `hull`).
void mark_domain(Cdt& cdt, bool hull) {
    std::map<Cdt::Face_handle, int> level;
    std::deque<Cdt::Face_handle> border{cdt.infinite_face()};
    int depth = 0;
    while (!border.empty()) {
        std::deque<Cdt::Face_handle> next;
        while (!border.empty()) {
            Cdt::Face_handle f = border.front();
            border.pop_front();
            if (level.count(f) != 0) continue;
            std::deque<Cdt::Face_handle> queue{f};
            level[f] = depth;
            while (!queue.empty()) {
                Cdt::Face_handle g = queue.front();
                queue.pop_front();
                for (int i = 0; i < 3; ++i) {
                    Cdt::Face_handle n = g->neighbor(i);
                    if (level.count(n) != 0) continue;
                    if (cdt.is_constrained(Cdt::Edge(g, i))) {
                        next.push_back(n);
                    } else {
                        level[n] = depth;
                        queue.push_back(n);
                    }
                }
            }
        }
        border.swap(next);
        ++depth;
    }
    for (auto f = cdt.all_faces_begin(); f != cdt.all_faces_end(); ++f) {
        f->set_in_domain(!cdt.is_infinite(f) && (hull || level[f] % 2 == 1));
    }
}

}  // namespace

void measure_cgal_mesher(const QualityCase& input, CaseResult* result) {
    const d2dcommon::QualityShape& s = input.shape;
    std::vector<Kernel::Point_2> points;
    for (std::size_t i = 0; i < s.xy.size(); i += 2) points.emplace_back(s.xy[i], s.xy[i + 1]);
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    for (std::size_t k = 0; k < s.segments.size(); k += 2) segments.emplace_back(s.segments[k], s.segments[k + 1]);
    const double sine = std::sin(input.min_angle * 3.14159265358979323846 / 180.0);
    const double edge = input.max_area > 0 ? std::sqrt(4 * input.max_area / std::sqrt(3.0)) : 0.0;
    start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    auto cdt = std::make_unique<Cdt>();
    cdt->insert_constraints(points.begin(), points.end(), segments.begin(), segments.end());
    mark_domain(*cdt, s.whole_hull);
    Mesher mesher(*cdt, Criteria(sine * sine, edge));
    mesher.init(true);
    mesher.refine_mesh();
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    record_peak(result);
    result->vertices = cdt->number_of_vertices();
    std::map<Cdt::Vertex_handle, int> index;
    std::vector<double> xy;
    std::vector<int> triangles;
    for (auto f = cdt->finite_faces_begin(); f != cdt->finite_faces_end(); ++f) {
        if (!f->is_in_domain()) continue;
        for (int k = 0; k < 3; ++k) {
            auto [at, added] = index.emplace(f->vertex(k), static_cast<int>(xy.size() / 2));
            if (added) {
                xy.push_back(f->vertex(k)->point().x());
                xy.push_back(f->vertex(k)->point().y());
            }
            triangles.push_back(at->second);
        }
    }
    result->triangles = triangles.size() / 3;
    result->min_angle = smallest_angle(xy.data(), triangles.data(), result->triangles);
}

}  // namespace bench
