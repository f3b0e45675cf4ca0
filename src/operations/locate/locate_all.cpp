#include "operations/locate/locate_all.hpp"

#include <cmath>
#include <memory>
#include <vector>

#include "operations/common/coherent_copy.hpp"
#include "operations/locate/query_order.hpp"

namespace d2d::operations {

void for_each_located_chunk(const PointLocator& locator, const double* queries, size_t count, ThreadCount threads,
                            const std::function<void(const LocatedQuery*, const LocatedQuery*)>& work) {
    const CurveOrder order = queries_in_curve_order(queries, count, threads);
    for_each_query_chunk(order, threads, [&](size_t first, size_t last) {
        std::vector<LocatedQuery> located(last - first);
        int32_t previous = -1;
        for (size_t i = first; i < last; ++i) {
            const double x = order.xy[2 * i];
            const double y = order.xy[2 * i + 1];
            int32_t t = -1;
            if (std::isfinite(x) && std::isfinite(y)) t = locator.locate(x, y, previous);
            located[i - first] = LocatedQuery{order.index[i], x, y, t};
        }
        work(located.data(), located.data() + located.size());
    });
}

void locate_all(const MeshInput& mesh, const double* queries, size_t count, ThreadCount threads,
                int32_t* triangle_of_query) {
    if (count == 0) return;
    std::unique_ptr<CoherentCopy> copy;
    if (coherent_copy_pays(mesh, count)) copy = std::make_unique<CoherentCopy>(mesh);
    const PointLocator locator(copy ? copy->mesh() : mesh);
    for_each_located_chunk(locator, queries, count, threads, [&](const LocatedQuery* first, const LocatedQuery* last) {
        for (const LocatedQuery* it = first; it != last; ++it) triangle_of_query[it->query] = it->triangle;
    });
}

}  // namespace d2d::operations
