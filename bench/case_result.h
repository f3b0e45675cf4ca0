// The figures of one measured case, as a child process hands them back to
// the parent: a plain record written through a pipe in one piece.
#ifndef DELAUNAY2D_BENCH_CASE_RESULT_H
#define DELAUNAY2D_BENCH_CASE_RESULT_H

#include <cstddef>

namespace bench {

constexpr int kMaxRuns = 32;

struct CaseResult {
    int runs = 0;                   // number of timed calls
    double seconds[kMaxRuns] = {};  // wall time of each call
    long rss_before_kb = 0;         // resident set just before the first call
    long peak_kb = -1;              // peak resident growth during the first call, -1 if unknown
    bool peak_exact = false;        // the peak counter could be reset just before the call
    std::size_t triangles = 0;      // triangles in the result (ours: Mesh2D length; CGAL: faces)
    std::size_t inner_triangles = 0;  // ours only: Mesh2D inner_length
    double extra_seconds = -1.0;    // optional side measurement, -1 if not taken
};

// Median and minimum of the timed calls.
double median_seconds(const CaseResult& r);
double min_seconds(const CaseResult& r);

}  // namespace bench

#endif
