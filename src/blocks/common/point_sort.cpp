#include "blocks/common/random_quick_sort.hpp"

namespace {

// A host or library point order as the sort templates use it.
struct ListOrder {
    PointCompare compare;

    bool operator()(Point3D* item, const Point3D& pivot) const { return compare(item, &pivot) > 0; }
    bool operator()(Point3D* first, Point3D* second) const { return compare(first, second) > 0; }
};

}  // namespace

extern "C" void sort_point(Point3DList* list, PointCompare compare) {
    d2d::sort_items(list->points, list->length, ListOrder{compare});
}

extern "C" void random_quick_sort(Point3DList* list, size_t lo, size_t hi, PointCompare compare) {
    d2d::random_quick_sort_items(list->points, lo, hi, ListOrder{compare});
}

extern "C" size_t random_partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare) {
    return d2d::random_lomuto_partition(list->points, lo, hi, ListOrder{compare});
}

extern "C" size_t partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare) {
    return d2d::lomuto_partition(list->points, lo, hi, ListOrder{compare});
}

extern "C" void swap_point_3d(Point3D** a, Point3D** b) {
    Point3D* const held = *a;
    *a = *b;
    *b = held;
}
