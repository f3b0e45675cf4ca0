#include "operations/common/coherent_copy.hpp"

#include <limits>

namespace d2d::operations {

CoherentCopy::CoherentCopy(const MeshInput& mesh) {
    constexpr uint32_t kUnseen = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> renumbered(mesh.point_count, kUnseen);
    triangles_.resize(3 * mesh.triangle_count);
    for (size_t k = 0; k < 3 * mesh.triangle_count; ++k) {
        const uint32_t v = mesh.triangles[k];
        if (renumbered[v] == kUnseen) {
            renumbered[v] = static_cast<uint32_t>(original_.size());
            original_.push_back(v);
        }
        triangles_[k] = renumbered[v];
    }
    xy_.resize(2 * original_.size());
    for (size_t i = 0; i < original_.size(); ++i) {
        xy_[2 * i] = mesh.x(original_[i]);
        xy_[2 * i + 1] = mesh.y(original_[i]);
    }
    mesh_ = mesh;
    mesh_.coords = xy_.data();
    mesh_.stride = 2;
    mesh_.point_count = original_.size();
    mesh_.triangles = triangles_.data();
    mesh_.hull = nullptr;
    mesh_.hull_count = 0;
    mesh_.vertex_of_point = nullptr;
}

std::vector<double> CoherentCopy::values_in_order(const double* values, size_t width) const {
    std::vector<double> ordered(original_.size() * width);
    for (size_t i = 0; i < original_.size(); ++i) {
        for (size_t j = 0; j < width; ++j) ordered[i * width + j] = values[size_t{original_[i]} * width + j];
    }
    return ordered;
}

}  // namespace d2d::operations
