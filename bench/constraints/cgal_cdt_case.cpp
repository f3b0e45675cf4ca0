#include "cgal_cdt_case.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>

#include <chrono>
#include <deque>
#include <list>
#include <memory>
#include <utility>
#include <vector>

namespace bench {
namespace {

template <class Kernel, class Tag>
void run(const ConstraintCase& input, CaseResult* result) {
    using Vb = CGAL::Triangulation_vertex_base_2<Kernel>;
    using Fbb = CGAL::Triangulation_face_base_with_info_2<int, Kernel>;
    using Fb = CGAL::Constrained_triangulation_face_base_2<Kernel, Fbb>;
    using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
    using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds, Tag>;
    std::vector<typename Kernel::Point_2> points;
    for (std::size_t i = 0; i < input.xy.size(); i += 2) points.emplace_back(input.xy[i], input.xy[i + 1]);
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    for (std::size_t s = 0; s < input.segments.size(); s += 2) segments.emplace_back(input.segments[s], input.segments[s + 1]);
    start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    auto cdt = std::make_unique<Cdt>();
    cdt->insert_constraints(points.begin(), points.end(), segments.begin(), segments.end());
    std::size_t kept = cdt->number_of_faces();
    if (input.inside) {
        for (auto f = cdt->all_faces_begin(); f != cdt->all_faces_end(); ++f) f->info() = -1;
        // Even-odd nesting: faces reached from the infinite face across an
        // odd number of constraints are inside.
        std::deque<typename Cdt::Face_handle> border{cdt->infinite_face()};
        int level = 0;
        while (!border.empty()) {
            std::deque<typename Cdt::Face_handle> next;
            while (!border.empty()) {
                auto f = border.front();
                border.pop_front();
                if (f->info() != -1) continue;
                std::deque<typename Cdt::Face_handle> queue{f};
                f->info() = level;
                while (!queue.empty()) {
                    auto g = queue.front();
                    queue.pop_front();
                    for (int i = 0; i < 3; ++i) {
                        auto n = g->neighbor(i);
                        if (n->info() != -1) continue;
                        if (cdt->is_constrained(typename Cdt::Edge(g, i))) {
                            next.push_back(n);
                        } else {
                            n->info() = level;
                            queue.push_back(n);
                        }
                    }
                }
            }
            border.swap(next);
            ++level;
        }
        kept = 0;
        for (auto f = cdt->finite_faces_begin(); f != cdt->finite_faces_end(); ++f) kept += f->info() % 2 == 1 ? 1 : 0;
    }
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    record_peak(result);
    result->triangles = kept;
    result->vertices = cdt->number_of_vertices();
}

}  // namespace

void measure_cgal_cdt(const ConstraintCase& input, CaseResult* result) {
    if (input.crossings) {
        run<CGAL::Exact_predicates_exact_constructions_kernel, CGAL::Exact_intersections_tag>(input, result);
    } else {
        run<CGAL::Exact_predicates_inexact_constructions_kernel, CGAL::Exact_predicates_tag>(input, result);
    }
}

}  // namespace bench
