// Sweeps that lower a cross edge until no collected point of either mesh lies
// strictly below it: the lower common tangent of two neighbouring meshes.
#include <cstddef>

#include "blocks/common/saturating_product.hpp"
#include "delaunay2d.h"

namespace {

// One sweep over the first `count` entries of `list`: whenever an entry lies
// strictly below the line from edge->left to edge->right (the orientation
// value is negative and at least the tolerance in magnitude), the end `moving`
// takes it at once, so later entries are tested against the moved line. The
// two current ends are never tested (the orientation value is 0.0 for them).
bool sweep_bottom(const Point3DList* list, size_t count, LREdge* edge, Point3D** moving) {
    bool moved = false;
    for (size_t i = 0; i < count; ++i) {
        Point3D* p = list->points[i];
        if (p == edge->left || p == edge->right) continue;
        if (is_bottom_on_line_point_2d(edge->left, edge->right, p) < 0.0) {
            *moving = p;
            moved = true;
        }
    }
    return moved;
}


}  // namespace

extern "C" void update_line_bottom_edge(Point3DList* left, Point3DList* right, LREdge* edge) {
    const size_t left_count = left->length;
    const size_t right_count = right->length;
    // Without both ends there is no line to sweep against.
    if (edge->left == nullptr || edge->right == nullptr) return;
    // A pass depends only on the two ends it starts from, and the ends only
    // ever take the start ends or entries of the lists. A run that ends
    // therefore never starts two passes from the same pair, so it takes at
    // most (left_count + 1) * (right_count + 1) passes; a run that needs more
    // repeats a pair and would cycle for ever (rounding at large coordinates,
    // or lists that overlap in x), and stops at that bound instead.
    const size_t pass_limit = d2d::saturating_product(left_count + 1, right_count + 1);
    for (size_t pass = 0; pass < pass_limit; ++pass) {
        bool moved = false;
        if (left_count > 0 && sweep_bottom(left, left_count, edge, &edge->left)) moved = true;
        if (right_count > 0 && sweep_bottom(right, right_count, edge, &edge->right)) moved = true;
        if (!moved) return;
    }
}

extern "C" int update_line_bottom_edge_point(Point3DList* list, LREdge* edge, int side) {
    if (side != 0 && side != 1) return 0;
    if (edge->left == nullptr || edge->right == nullptr) return 0;
    Point3D** moving = side == 0 ? &edge->left : &edge->right;
    return sweep_bottom(list, list->length, edge, moving) ? 1 : 0;
}
