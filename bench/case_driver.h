// What the constrained and quality benchmark programs share: their command
// line (SCALE, --timeout, --cases), the choice of cases, numbers grouped by
// thousands for the table, and one contender's case run in a child process.
#ifndef DELAUNAY2D_BENCH_CASE_DRIVER_H
#define DELAUNAY2D_BENCH_CASE_DRIVER_H

#include <cstddef>
#include <functional>
#include <string>

#include "case_result.h"

namespace bench {

struct DriverArgs {
    double scale = 1.0;    // 1 is the full size
    unsigned timeout = 0;  // seconds per process
    std::string only;      // comma-separated case labels; empty: all
};

// Reads [SCALE] [--timeout SECONDS] [--cases LIST] over the defaults in
// *args. False on anything else or a zero timeout: the caller prints its
// usage.
bool parse_driver_args(int argc, char** argv, DriverArgs* args);

// Whether label is in the comma-separated list (an empty list takes all).
bool selected(const std::string& list, const std::string& label);

// 1234567 -> "1,234,567".
std::string grouped(std::size_t n);

// One contender's outcome in a case: figures, or why there are none.
struct IsolatedOutcome {
    bool ok = false;
    CaseResult result;
    std::string failure;
};

// Runs body in a child process of its own (run_isolated); a result that
// carries an error counts as a failure.
IsolatedOutcome run_case(const std::function<void(CaseResult*)>& body, unsigned timeout_seconds);

}  // namespace bench

#endif
