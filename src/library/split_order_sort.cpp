#include "library/split_order_sort.hpp"

#include "common/page_buffer.hpp"
#include "common/random_quick_sort.hpp"
#include "point/point_order.hpp"

namespace d2d {
namespace {

struct SplitKey {
    double x;
    double y;
    double zw;  // z + w, the last tie-break
    Point3D* point;
};

}  // namespace

PageBuffer<PlacedPoint> sort_split_order(Point3D** points, size_t n) {
    PageBuffer<SplitKey> keys(n);
    for (size_t i = 0; i < n; ++i) {
        const Point3D* p = points[i];
        keys[i] = SplitKey{p->x, p->y, p->z + p->w, points[i]};
    }
    sort_items(keys.data(), n, [](const SplitKey& a, const SplitKey& b) {
        return split_order_before(a.x, a.y, a.zw, b.x, b.y, b.zw);
    });
    PageBuffer<PlacedPoint> placed(n);
    for (size_t i = 0; i < n; ++i) {
        points[i] = keys[i].point;
        placed[i] = PlacedPoint{keys[i].x, keys[i].y, keys[i].point};
    }
    return placed;
}

}  // namespace d2d
