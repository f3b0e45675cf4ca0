// The quality figures of a finished mesh: its smallest and largest angle,
// an angle histogram, and how many triangles miss their bounds. Angles are
// measured in doubles; they describe the mesh and decide nothing.
#ifndef DELAUNAY2D_OPERATIONS_REFINE_QUALITY_FIGURES_HPP
#define DELAUNAY2D_OPERATIONS_REFINE_QUALITY_FIGURES_HPP

#include <cstddef>
#include <cstdint>

#include "delaunay2d.h"

namespace d2d::operations::refine {

// The three angles of triangle (a, b, c), in degrees.
void triangle_angles(const double* a, const double* b, const double* c, double (&angles)[3]);

// Twice the signed area of triangle (a, b, c), in doubles.
double doubled_area(const double* a, const double* b, const double* c);

// Figures over `triangles` triangles (3 indices each into xy). A triangle
// is counted in unrefined_count when one of its angles is below min_angle
// (degrees, 0 for none) or its area is above area_bound[t] (when
// area_bound is not null; 0 or less for none). The counts of added points
// and the budget flag are left zero for the caller.
delaunay2d_mesh_quality measure_quality(const double* xy, const uint32_t* tri, size_t triangles, double min_angle,
                                        const double* area_bound);

}  // namespace d2d::operations::refine

#endif
