// The benchmark's command line.
#ifndef DELAUNAY2D_BENCH_BENCH_OPTIONS_H
#define DELAUNAY2D_BENCH_BENCH_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "contenders.h"
#include "common/point_families.hpp"

namespace bench {

using d2dcommon::Family;

struct Options {
    std::vector<std::size_t> sizes{10000, 100000, 1000000};
    std::vector<Family> families{Family::uniform, Family::clusters, Family::grid, Family::circle};
    std::vector<Contender> contenders = all_contenders();
    int runs = 0;  // 0: by size, see runs_for
    MeasureSettings settings;
    std::uint64_t seed = 1;
    unsigned timeout = 1800;
};

void print_usage(const char* program);

// Fills o from the arguments; false on anything it does not understand.
bool parse_options(int argc, char** argv, Options* o);

// Timed calls per case: as asked, or 5 up to 10^5 points, 3 up to 10^6, else 1.
int runs_for(const Options& o, std::size_t n);

}  // namespace bench

#endif
