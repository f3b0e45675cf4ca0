#include "operations/locate/triangle_grid.hpp"

#include <algorithm>
#include <cmath>

#include "engine/exact/exact_predicates.hpp"

namespace d2d::operations {

bool triangle_holds(const MeshInput& mesh, size_t t, double qx, double qy) {
    for (int i = 0; i < 3; ++i) {
        const uint32_t a = mesh.vertex(t, i);
        const uint32_t b = mesh.vertex(t, (i + 1) % 3);
        if (orient2d_exact(mesh.x(a), mesh.y(a), mesh.x(b), mesh.y(b), qx, qy) < 0.0) return false;
    }
    return true;
}

TriangleGrid::TriangleGrid(const MeshInput& mesh) {
    low_x_ = low_y_ = INFINITY;
    high_x_ = high_y_ = -INFINITY;
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            const uint32_t v = mesh.vertex(t, i);
            low_x_ = std::min(low_x_, mesh.x(v));
            high_x_ = std::max(high_x_, mesh.x(v));
            low_y_ = std::min(low_y_, mesh.y(v));
            high_y_ = std::max(high_y_, mesh.y(v));
        }
    }
    // About one cell per triangle, shaped like the box.
    const double width = high_x_ - low_x_;
    const double height = high_y_ - low_y_;
    const double cells = static_cast<double>(std::max<size_t>(mesh.triangle_count, 1));
    double aspect = width > 0.0 && height > 0.0 && std::isfinite(width / height) ? width / height : 1.0;
    aspect = std::clamp(aspect, 1.0 / cells, cells);
    columns_ = static_cast<size_t>(std::clamp(std::sqrt(cells * aspect), 1.0, cells));
    rows_ = static_cast<size_t>(std::clamp(cells / static_cast<double>(columns_), 1.0, cells));
    scale_x_ = width > 0.0 ? static_cast<double>(columns_) / width : 0.0;
    scale_y_ = height > 0.0 ? static_cast<double>(rows_) / height : 0.0;
    if (!std::isfinite(scale_x_)) scale_x_ = 0.0;
    if (!std::isfinite(scale_y_)) scale_y_ = 0.0;

    first_.assign(columns_ * rows_ + 1, 0);
    // Two passes over the same boxes: count, then place.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            for (size_t c = 1; c < first_.size(); ++c) first_[c] += first_[c - 1];
            listed_.resize(first_.back());
        }
        for (size_t t = 0; t < mesh.triangle_count; ++t) {
            double lx = INFINITY, hx = -INFINITY, ly = INFINITY, hy = -INFINITY;
            for (int i = 0; i < 3; ++i) {
                const uint32_t v = mesh.vertex(t, i);
                lx = std::min(lx, mesh.x(v));
                hx = std::max(hx, mesh.x(v));
                ly = std::min(ly, mesh.y(v));
                hy = std::max(hy, mesh.y(v));
            }
            const size_t c0 = column(lx), c1 = column(hx), r0 = row(ly), r1 = row(hy);
            for (size_t r = r0; r <= r1; ++r) {
                for (size_t c = c0; c <= c1; ++c) {
                    const size_t cell = r * columns_ + c;
                    if (pass == 0) {
                        ++first_[cell + 1];
                    } else {
                        listed_[first_[cell]++] = static_cast<int32_t>(t);
                    }
                }
            }
        }
    }
    // The placing pass moved each offset to the end of its cell: shift back.
    for (size_t c = first_.size() - 1; c > 0; --c) first_[c] = first_[c - 1];
    first_[0] = 0;
}

size_t TriangleGrid::column(double x) const {
    const double c = (x - low_x_) * scale_x_;
    if (!(c > 0.0)) return 0;
    return std::min(columns_ - 1, static_cast<size_t>(std::min(c, static_cast<double>(columns_))));
}

size_t TriangleGrid::row(double y) const {
    const double r = (y - low_y_) * scale_y_;
    if (!(r > 0.0)) return 0;
    return std::min(rows_ - 1, static_cast<size_t>(std::min(r, static_cast<double>(rows_))));
}

int32_t TriangleGrid::find(const MeshInput& mesh, double qx, double qy) const {
    if (!(qx >= low_x_ && qx <= high_x_ && qy >= low_y_ && qy <= high_y_)) return -1;
    const size_t cell = row(qy) * columns_ + column(qx);
    for (size_t k = first_[cell]; k < first_[cell + 1]; ++k) {
        const int32_t t = listed_[k];
        if (triangle_holds(mesh, static_cast<size_t>(t), qx, qy)) return t;
    }
    return -1;
}

}  // namespace d2d::operations
