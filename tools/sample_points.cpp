#include "sample_points.hpp"

#include "common/point_families.hpp"

namespace d2dcli {

// The benchmark's families, so that a sample generated here is the very set
// a benchmark row was measured on.
PointSet generate_sample(std::string_view kind, std::size_t count, std::uint64_t seed) {
    d2dcommon::Family family = d2dcommon::Family::uniform;
    d2dcommon::parse_family(kind, &family);  // the options accept the four names only
    const d2dcommon::Points generated = d2dcommon::make_points(family, count, seed);
    PointSet points;
    points.xy.resize(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        points.xy[2 * i] = generated[i].x;
        points.xy[2 * i + 1] = generated[i].y;
    }
    return points;
}

}  // namespace d2dcli
