#include "run_summary.hpp"

#include "formats/output/printable_text.hpp"

namespace d2dcli {

void count_mesh(const MeshView& mesh, RunSummary& summary) {
    summary.points_read = mesh.vertex_of_point.size();
    summary.distinct = summary.repeated = summary.not_finite = 0;
    for (std::size_t i = 0; i < mesh.vertex_of_point.size(); ++i) {
        std::int32_t vertex = mesh.vertex_of_point[i];
        if (vertex < 0) {
            ++summary.not_finite;
        } else if (static_cast<std::size_t>(vertex) == i) {
            ++summary.distinct;
        } else {
            ++summary.repeated;
        }
    }
    summary.triangles = mesh.triangle_count();
    summary.hull = mesh.hull.size();
}

void print_summary(std::FILE* out, const RunSummary& s) {
    std::fprintf(out, "points %-10s %zu (%s)\n", s.generated ? "generated" : "read", s.points_read,
                 printable(s.source).c_str());
    std::fprintf(out, "distinct points   %zu", s.distinct);
    if (s.repeated > 0 || s.not_finite > 0) {
        std::fprintf(out, " (left out: %zu repeated, %zu not finite)", s.repeated, s.not_finite);
    }
    if (s.tiles && s.triangles == 0 && s.distinct >= 3) {
        // A raster made tile by tile never holds the whole mesh to count.
        std::fprintf(out, "\ntriangles         not counted (the raster was made tile by tile)\n");
    } else {
        std::fprintf(out, "\ntriangles         %zu\nhull size         %zu\n", s.triangles, s.hull);
    }
    if (s.quality) {
        const RunSummary::Quality& q = *s.quality;
        std::fprintf(out, "smallest angle    %.2f degrees", q.min_angle);
        if (q.short_of_bound()) {
            std::fprintf(out, " (%g asked: not reached)", q.asked_min_angle);
        }
        std::fprintf(out, "\nlargest angle     %.2f degrees\n", q.max_angle);
        std::fprintf(out, "points added      %llu by refinement", static_cast<unsigned long long>(q.added));
        if (q.budget_reached) {
            std::fprintf(out, " (the budget: refinement stopped there)");
        }
        std::fprintf(out, "\nunrefined         %llu triangles\n", static_cast<unsigned long long>(q.unrefined));
    }
    if (s.tiles) {
        std::fprintf(out, "tiles             %zu (halo grown %llu times; peak estimate %.1f MB of --memory %.1f MB)\n",
                     s.tiles->count, static_cast<unsigned long long>(s.tiles->halo_growths),
                     static_cast<double>(s.tiles->peak_bytes) / 1048576.0,
                     static_cast<double>(s.tiles->limit) / 1048576.0);
    }
    std::fprintf(out, "time              %s %.3f s, triangulate %.3f s", s.generated ? "generate" : "read",
                 s.read_seconds, s.triangulate_seconds);
    if (s.interpolate_seconds > 0.0) {
        std::fprintf(out, ", interpolate %.3f s", s.interpolate_seconds);
    }
    if (!s.written.empty()) {
        const double writing = s.write_seconds - s.interpolate_seconds;
        std::fprintf(out, ", write %.3f s", writing > 0.0 ? writing : 0.0);
    }
    std::fputc('\n', out);
    if (!s.written.empty()) {
        std::fputs("written          ", out);
        for (const std::string& path : s.written) {
            std::fprintf(out, " %s", printable(path).c_str());
        }
        std::fputc('\n', out);
    }
}

std::string refinement_shortfall(const RunSummary::Quality& q) {
    std::string text;
    char number[64];
    if (q.short_of_bound()) {
        std::snprintf(number, sizeof number, "%g", q.asked_min_angle);
        text = std::string("--min-angle ") + number + " not reached: the smallest angle is ";
        std::snprintf(number, sizeof number, "%.2f", q.min_angle);
        text += std::string(number) + " degrees";
    }
    if (q.budget_reached) {
        text += (text.empty() ? "" : "; ") + std::string("refinement stopped after adding ") +
                std::to_string(q.added) + " points (the budget)";
    }
    if (!text.empty()) {
        text += " (" + std::to_string(q.unrefined) + (q.unrefined == 1 ? " triangle" : " triangles") + " unrefined)";
    }
    return text;
}

}  // namespace d2dcli
