// Summaries of the timed calls of one case.
#include "case_result.h"

#include <algorithm>
#include <vector>

namespace bench {

double median_seconds(const CaseResult& r) {
    if (r.runs <= 0) return 0.0;
    std::vector<double> t(r.seconds, r.seconds + r.runs);
    std::sort(t.begin(), t.end());
    const std::size_t m = t.size() / 2;
    return t.size() % 2 ? t[m] : 0.5 * (t[m - 1] + t[m]);
}

double min_seconds(const CaseResult& r) {
    if (r.runs <= 0) return 0.0;
    return *std::min_element(r.seconds, r.seconds + r.runs);
}

}  // namespace bench
