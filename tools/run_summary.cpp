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
    std::fprintf(out, "\ntriangles         %zu\nhull size         %zu\n", s.triangles, s.hull);
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

}  // namespace d2dcli
