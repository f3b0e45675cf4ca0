// Linear interpolation: the barycentric combination of the three values of
// the triangle that holds the query.
#include "operations/interpolate/barycentric.hpp"
#include "operations/interpolate/interpolation_input.hpp"
#include "operations/locate/locate_all.hpp"

namespace d2d::operations {

void interpolate_linear(const InterpolationInput& in) {
    const PointLocator locator(in.mesh);
    for_each_located_chunk(locator, in.queries, in.query_count, in.threads,
                           [&](const LocatedQuery* first, const LocatedQuery* last) {
                               for (const LocatedQuery* it = first; it != last; ++it) {
                                   if (it->triangle < 0) {
                                       in.fill(it->query);
                                   } else {
                                       interpolate_in_triangle(in, static_cast<size_t>(it->triangle), it->x, it->y,
                                                               in.out_of(it->query));
                                   }
                               }
                           });
}

}  // namespace d2d::operations
