#include "traced_mesh.hpp"

#include <delaunay2d.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "mesh_files/output_error.hpp"

namespace d2dcli {

namespace {

// Points file descriptor 1 at another file for as long as it lives. The C
// stream is flushed on both sides, so nothing printed before lands in the
// trace, and no trace line is left in the buffer to come out later.
class StdoutRedirect {
public:
    explicit StdoutRedirect(int target) {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        ::dup2(target, STDOUT_FILENO);
    }
    StdoutRedirect(const StdoutRedirect&) = delete;
    StdoutRedirect& operator=(const StdoutRedirect&) = delete;
    ~StdoutRedirect() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }

private:
    int saved_ = -1;
};

}  // namespace

IndexedMesh triangulate_traced(const PointSet& points, const std::string& trace_path) {
    int trace = ::open(trace_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (trace < 0) {
        throw_output_error(trace_path, "cannot open the trace file", errno);
    }
    const std::size_t n = points.size();
    std::vector<Point3D> records(n);
    for (std::size_t i = 0; i < n; ++i) {
        records[i] = {points.xy[2 * i], points.xy[2 * i + 1], points.zw.empty() ? 0.0 : points.zw[2 * i],
                      points.zw.empty() ? 0.0 : points.zw[2 * i + 1]};
    }
    Mesh2D* mesh = nullptr;
    if (n >= 3) {
        StdoutRedirect redirect(trace);
        mesh = create_mesh_2d(records.data(), n);
    }
    ::close(trace);
    IndexedMesh indexed = index_mesh_records(mesh, records.data(), n);
    free_mesh(mesh);
    return indexed;
}

}  // namespace d2dcli
