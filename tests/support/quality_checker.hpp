// An independent check of a refined constrained mesh against its input and
// bounds: exact GMP predicates where a sign decides (orientation, in-circle,
// areas against bounds, collinearity), doubles for the angles, which only
// bounds compare with. Nothing of the library's is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "support/constrained_checker.hpp"

namespace d2dtest {

struct QualityRequest {
    ConstrainedInput input;
    std::vector<delaunay2d_region_point> regions;
    double min_angle = 0.0;      // degrees
    double max_area = 0.0;       // 0: none
    uint64_t max_steiner = 0;    // 0: none
    bool conforming = false;
    // false: the call asked for no refinement; the triangles outside their
    // bounds (a region's area) are counted, not failed.
    bool refined = true;
    // The domain's area, twice over, as x, y rings (outer counter-clockwise,
    // holes clockwise); when empty, the area is not checked.
    std::vector<std::vector<double>> rings;
};

// What the checker counted, for the tests' messages and the benchmark.
struct QualityReport {
    std::string failure;                // "" when every property holds
    std::size_t kept = 0;               // kept triangles
    std::size_t below_angle = 0;        // smallest angle below the bound
    std::size_t at_small_input_angle = 0;  // of those, touching both sides of a small input angle
    std::size_t above_area = 0;         // area above the triangle's bound
    std::size_t off_line_split_points = 0;  // split points not exactly on their segment (rounded)
    double min_angle = 0.0, max_angle = 0.0;  // degrees, recounted
};

// Checks a constrained result `r` of `q` (the call asked for with the same
// bounds), and returns what it found; report.failure names the first
// property that fails:
// - the structure, segment coverage and (for the constrained mesh) local
//   Delaunay property of check_constrained;
// - every input segment is a chain of listed segment pieces from end to
//   end, advancing along it, through points on it (exactly, or within the
//   rounding of the point);
// - conforming: every edge with triangles on both sides is locally
//   Delaunay, constrained or not, and no vertex lies strictly inside any
//   kept triangle's circumcircle;
// - each triangle's attribute is the one its region gives (its own flood
//   from each region point across unflagged edges, the later region
//   winning; 0 elsewhere);
// - when refinement was asked for and the budget not reached: every smallest angle >= the bound
//   except in triangles touching both sides of an input angle below the
//   bound (its apex counts as both), and every area <= the triangle's
//   bound (its region's, else the global one);
// - the budget: points added by refinement at most max_steiner; a budget
//   reached only where the caller gave one or the bound is above 20.7
//   degrees (where the library may set its own);
// - the kept area equals the domain's: exactly when every split point
//   lies on its segment, else within the area between each segment and
//   its chain;
// - the quality figures: smallest and largest angle, the histogram (up to
//   angles within 1e-9 degrees of a bin's edge), unrefined_count (up to
//   angles within 1e-9 degrees of the bound) and the added points.
QualityReport check_quality(const QualityRequest& q, const delaunay2d_constrained_result& r);

}  // namespace d2dtest
