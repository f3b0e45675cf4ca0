// Delaunay refinement of the constrained mesh: the call's quality option.
#ifndef DELAUNAY2D_OPERATIONS_REFINE_REFINE_MESH_HPP
#define DELAUNAY2D_OPERATIONS_REFINE_REFINE_MESH_HPP

#include <cstdint>
#include <vector>

#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::refine {

// What refinement is asked for. Triangles carry a label: -1 for removed,
// 0 for kept outside every region, k + 1 for kept in region k.
struct RefineSettings {
    double min_angle = 0.0;           // degrees, 0 for none
    uint64_t max_steiner = 0;         // the caller's budget, 0 for none
    bool conforming = false;          // split segments until every edge is Delaunay
    std::vector<double> label_area;   // by label: the area bound, 0 for none
};

struct RefineOutcome {
    uint64_t added = 0;               // points added
    bool budget_reached = false;      // stopped by the budget
};

// Refines the kept triangles in place; `label` follows the triangles
// (split triangles take their parent's label). Every new vertex comes
// after the existing ones.
RefineOutcome refine_mesh(constrained::ConstrainedMesh& mesh, std::vector<int32_t>& label, const RefineSettings& settings);

}  // namespace d2d::operations::refine

#endif
