#include "operations/locate/locate_all.hpp"

#include <cmath>
#include <vector>

#include "operations/locate/query_order.hpp"

namespace d2d::operations {

void for_each_located_chunk(const PointLocator& locator, const double* queries, size_t count, unsigned threads,
                            const std::function<void(const LocatedQuery*, const LocatedQuery*)>& work) {
    const std::vector<uint32_t> order = queries_in_curve_order(queries, count);
    for_each_query_chunk(order, threads, [&](const uint32_t* first, const uint32_t* last) {
        std::vector<LocatedQuery> located(static_cast<size_t>(last - first));
        int32_t previous = -1;
        for (const uint32_t* it = first; it != last; ++it) {
            const double x = queries[2 * size_t{*it}];
            const double y = queries[2 * size_t{*it} + 1];
            int32_t t = -1;
            if (std::isfinite(x) && std::isfinite(y)) {
                t = locator.locate(x, y, previous);
            }
            located[static_cast<size_t>(it - first)] = LocatedQuery{*it, t};
        }
        work(located.data(), located.data() + located.size());
    });
}

void locate_all(const MeshInput& mesh, const double* queries, size_t count, unsigned threads,
                int32_t* triangle_of_query) {
    if (count == 0) return;
    const PointLocator locator(mesh);
    for_each_located_chunk(locator, queries, count, threads, [&](const LocatedQuery* first, const LocatedQuery* last) {
        for (const LocatedQuery* it = first; it != last; ++it) triangle_of_query[it->query] = it->triangle;
    });
}

}  // namespace d2d::operations
