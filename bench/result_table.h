// The benchmark's table: one row per contender and case, with the ratios of
// each contender's median to those of the yardsticks (CGAL, Triangle) of the
// same case.
#ifndef DELAUNAY2D_BENCH_RESULT_TABLE_H
#define DELAUNAY2D_BENCH_RESULT_TABLE_H

#include <cstddef>
#include <string>
#include <vector>

#include "case_result.h"
#include "contenders.h"
#include "common/point_families.hpp"

namespace bench {

using d2dcommon::Family;

// One contender's outcome in a case: figures, or why there are none.
struct Outcome {
    Contender contender = Contender::triangulate1;
    bool ok = false;
    CaseResult result;
    std::string failure;
};

class ResultTable {
public:
    // The ratio columns are those of the yardsticks among the contenders.
    ResultTable(const std::vector<Contender>& contenders, bool point_trace);

    void print_header() const;
    // Prints the rows of one case, then a blank line.
    void print_case(Family family, std::size_t n, int runs, const std::vector<Outcome>& outcomes);
    // Explains the marks that appeared in the rows.
    void print_notes() const;

private:
    bool cgal_ratio_ = false;
    bool triangle_ratio_ = false;
    bool point_trace_ = false;
    bool any_rough_peak_ = false;
    bool any_mismatch_ = false;
};

}  // namespace bench

#endif
