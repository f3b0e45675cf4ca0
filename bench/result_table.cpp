// printf with fixed widths; "-" where a figure does not apply.
#include "result_table.h"

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {

double mib(double bytes) { return bytes / (1024.0 * 1024.0); }

const Outcome* find_ok(const std::vector<Outcome>& outcomes, Contender c) {
    for (const Outcome& o : outcomes)
        if (o.contender == c && o.ok) return &o;
    return nullptr;
}

void print_ratio(double median, const Outcome* yardstick) {
    if (yardstick)
        std::printf(" %6.2f", median / median_seconds(yardstick->result));
    else
        std::printf(" %6s", "-");
}

}  // namespace

ResultTable::ResultTable(const std::vector<Contender>& contenders, bool point_trace) : point_trace_(point_trace) {
    auto has = [&](Contender c) { return std::find(contenders.begin(), contenders.end(), c) != contenders.end(); };
    cgal_ratio_ = has(Contender::cgal);
    triangle_ratio_ = has(Contender::triangle);
}

void ResultTable::print_header() const {
    std::printf("%-8s %9s %-10s %4s | %9s %9s %7s %9s %9s %6s %9s", "family", "n", "contender", "runs", "med ms",
                "best ms", "ns/pt", "peak MiB", "out MiB", "pk/out", "triangles");
    if (cgal_ratio_) std::printf(" %6s", "/cgal");
    if (triangle_ratio_) std::printf(" %6s", "/tri");
    if (point_trace_) std::printf(" %8s", "ptrc ns");
    std::printf("\n");
}

void ResultTable::print_case(Family family, std::size_t n, int runs, const std::vector<Outcome>& outcomes) {
    const Outcome* cgal = find_ok(outcomes, Contender::cgal);
    const Outcome* triangle = find_ok(outcomes, Contender::triangle);
    const Outcome* first_ok = nullptr;
    const double nd = static_cast<double>(n);
    for (const Outcome& o : outcomes) {
        std::printf("%-8s %9zu %-10s %4d |", d2dcommon::family_name(family), n, contender_name(o.contender), runs);
        if (!o.ok) {
            std::printf(" failed: %s\n", o.failure.c_str());
            continue;
        }
        const CaseResult& r = o.result;
        const double med = median_seconds(r);
        std::printf(" %9.1f %9.1f %7.0f", med * 1e3, min_seconds(r) * 1e3, med * 1e9 / nd);
        if (r.peak_kb >= 0) {
            std::printf(" %8.1f%s", mib(r.peak_kb * 1024.0), r.peak_exact ? " " : "~");
            any_rough_peak_ = any_rough_peak_ || !r.peak_exact;
        } else {
            std::printf(" %9s", "?");
        }
        if (r.output_bytes > 0) {
            const double out = static_cast<double>(r.output_bytes);
            std::printf(" %9.1f", mib(out));
            if (r.peak_kb >= 0)
                std::printf(" %6.2f", r.peak_kb * 1024.0 / out);
            else
                std::printf(" %6s", "?");
        } else {
            std::printf(" %9s %6s", "-", "-");
        }
        std::printf(" %9zu", r.triangles);
        if (cgal_ratio_) print_ratio(med, cgal);
        if (triangle_ratio_) print_ratio(med, triangle);
        if (point_trace_) {
            if (r.extra_seconds >= 0)
                std::printf(" %8.0f", r.extra_seconds * 1e9 / nd);
            else
                std::printf(" %8s", "-");
        }
        if (!first_ok) {
            first_ok = &o;
        } else if (r.triangles != first_ok->result.triangles) {
            std::printf("  triangles differ from %s", contender_name(first_ok->contender));
            any_mismatch_ = true;
        }
        std::printf("\n");
    }
    std::printf("\n");
}

void ResultTable::print_notes() const {
    if (point_trace_) std::printf("ptrc ns: print_point_3d_list on the same n points into /dev/null, per point\n");
    if (any_rough_peak_)
        std::printf(
            "~ after a peak: the high-water mark could not be reset; the figure may include memory used before "
            "the call\n");
    if (any_mismatch_) std::printf("triangles differ: two contenders do not have the same number of triangles\n");
}

}  // namespace bench
