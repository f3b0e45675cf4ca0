// Summaries of the timed calls of one case.
#include "case_result.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "peak_memory.h"

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

void start_peak_watch(CaseResult* result) {
    result->rss_before_kb = resident_kb();
    result->peak_exact = reset_peak_resident();
}

void record_peak(CaseResult* result) {
    const long peak = peak_resident_kb();
    if (peak >= 0 && result->rss_before_kb >= 0) result->peak_kb = peak - result->rss_before_kb;
}

void set_error(CaseResult* result, const char* message) {
    std::snprintf(result->error, sizeof result->error, "%s", message);
}

}  // namespace bench
