#include "traced_mesh.hpp"

#include <delaunay2d.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "common/stdout_redirect.hpp"
#include "mesh_files/output_error.hpp"

namespace d2dcli {

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
        d2dcommon::StdoutRedirect redirect(trace);
        mesh = create_mesh_2d(records.data(), n);
    }
    ::close(trace);
    IndexedMesh indexed = index_mesh_records(mesh, records.data(), n);
    free_mesh(mesh);
    return indexed;
}

}  // namespace d2dcli
