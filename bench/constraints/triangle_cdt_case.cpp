#include "triangle_cdt_case.h"

#include <climits>
#include <cstring>
#include <vector>

#include "../triangle_pslg_run.h"

namespace bench {

void measure_triangle_cdt(const ConstraintCase& input, CaseResult* result) {
    if (input.xy.size() / 2 > static_cast<std::size_t>(INT_MAX) ||
        input.segments.size() / 2 > static_cast<std::size_t>(INT_MAX)) {
        set_error(result, "more points or segments than Triangle counts in an int");
        return;
    }
    TrianglePslg pslg;
    pslg.xy = input.xy;
    pslg.segments.assign(input.segments.begin(), input.segments.end());
    if (input.inside) pslg.holes = input.holes;
    char switches[8];
    std::strcpy(switches, input.inside ? "pzQ" : "pzQc");
    run_triangle_pslg(switches, pslg, result);
}

}  // namespace bench
