// Runs one measurement in a child process of its own, so that every case
// starts from a fresh heap (its peak memory is its own, not what an earlier
// case left in the allocator) and a crash, a fatal exit or a hang of one case
// does not end the benchmark.
#ifndef DELAUNAY2D_BENCH_ISOLATED_RUN_H
#define DELAUNAY2D_BENCH_ISOLATED_RUN_H

#include <functional>
#include <string>

#include "case_result.h"

namespace bench {

// Forks; the child runs body, sends its CaseResult back through a pipe and
// ends. Returns true with *result filled when the child finished within
// timeout_seconds; otherwise false with *failure saying what happened.
bool run_isolated(const std::function<void(CaseResult*)>& body, unsigned timeout_seconds, CaseResult* result,
                  std::string* failure);

}  // namespace bench

#endif
