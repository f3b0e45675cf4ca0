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
    std::size_t triangles = 0;      // triangles in the result
    std::size_t vertices = 0;       // vertices in the result, where a contender adds some (constrained benchmark)
    std::size_t output_bytes = 0;   // bytes of what the call hands back, 0 where it keeps its own structure
    double extra_seconds = -1.0;    // optional side measurement, -1 if not taken
    double min_angle = -1.0;        // degrees, smallest angle of the output (quality benchmark), -1 if not taken
    char error[96] = {};            // why the case has no figures; empty when it has them
};

// Peak memory of a call: start_peak_watch records the resident set and
// resets the high-water mark just before the call; record_peak, right after
// it while its output is still alive, stores the growth of the high-water
// mark over that resident set (the input is already resident before).
void start_peak_watch(CaseResult* result);
void record_peak(CaseResult* result);

// Copies a message into result->error (cut to fit).
void set_error(CaseResult* result, const char* message);

// Median and minimum of the timed calls.
double median_seconds(const CaseResult& r);
double min_seconds(const CaseResult& r);

}  // namespace bench

#endif
