#include <algorithm>
#include <cmath>
#include <cstdint>

#include "quality_case.h"

namespace bench {

template <class Index>
double smallest_angle(const double* xy, const Index* triangles, std::size_t count) {
    double smallest = count > 0 ? 180.0 : 0.0;
    for (std::size_t t = 0; t < count; ++t) {
        for (int k = 0; k < 3; ++k) {
            const double* a = xy + 2 * static_cast<std::size_t>(triangles[3 * t + static_cast<std::size_t>(k)]);
            const double* b = xy + 2 * static_cast<std::size_t>(triangles[3 * t + static_cast<std::size_t>((k + 1) % 3)]);
            const double* c = xy + 2 * static_cast<std::size_t>(triangles[3 * t + static_cast<std::size_t>((k + 2) % 3)]);
            const double ux = b[0] - a[0], uy = b[1] - a[1], wx = c[0] - a[0], wy = c[1] - a[1];
            smallest = std::min(smallest, std::atan2(std::fabs(ux * wy - uy * wx), ux * wx + uy * wy) * 57.29577951308232);
        }
    }
    return smallest;
}

template double smallest_angle<std::uint32_t>(const double*, const std::uint32_t*, std::size_t);
template double smallest_angle<int>(const double*, const int*, std::size_t);

}  // namespace bench
