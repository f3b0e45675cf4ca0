#include "traced_mesh.hpp"

#include <delaunay2d.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/stdout_redirect.hpp"
#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

// The trace file being written while create_mesh_2d runs. The entry point
// ends the process with exit() when memory runs out, after writing its
// message into the trace; an exit handler then says why on standard error
// (where a user looks) and removes the files that were not put in place.
const char* running_trace = nullptr;

extern "C" void report_a_stopped_entry_point() {
    const char* trace = running_trace;
    if (trace == nullptr) {
        return;
    }
    std::fflush(stdout);
    // The message is the trace's last bytes, after the last line end.
    char message[64] = "";
    if (std::FILE* file = std::fopen(trace, "rb"); file != nullptr) {
        long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
        long start = size > 40 ? size - 40 : 0;
        if (size > 0 && std::fseek(file, start, SEEK_SET) == 0) {
            std::size_t got = std::fread(message, 1, sizeof message - 1, file);
            message[got] = '\0';
        }
        std::fclose(file);
    }
    const char* last_line = std::strrchr(message, '\n');
    last_line = last_line == nullptr ? message : last_line + 1;
    std::fprintf(stderr, "delaunay2d: create_mesh_2d stopped the process: %s%s; no file was written\n",
                 *last_line != '\0' ? last_line : "no reason given",
                 std::strcmp(last_line, "member is not enough") == 0 ? " (out of memory)" : "");
    remove_temporary_files_now();
}

}  // namespace

IndexedMesh triangulate_traced(const PointSet& points, AtomicFile& trace) {
    const std::size_t n = points.size();
    std::vector<Point3D> records(n);
    for (std::size_t i = 0; i < n; ++i) {
        records[i] = {points.xy[2 * i], points.xy[2 * i + 1], points.zw.empty() ? 0.0 : points.zw[2 * i],
                      points.zw.empty() ? 0.0 : points.zw[2 * i + 1]};
    }
    Mesh2D* mesh = nullptr;
    if (n >= 3) {
        static const bool registered = std::atexit(report_a_stopped_entry_point) == 0;
        (void)registered;
        std::fflush(stdout);
        std::clearerr(stdout);
        {
            d2dcommon::StdoutRedirect redirect(trace.fd());
            running_trace = trace.temporary_path().empty() ? trace.path().c_str() : trace.temporary_path().c_str();
            mesh = create_mesh_2d(records.data(), n);
            running_trace = nullptr;
            // Every trace line must reach the file: a full disk shows here,
            // not as a trace cut short behind a successful run.
            errno = 0;
            if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
                const int error = errno != 0 ? errno : EIO;
                std::clearerr(stdout);
                free_mesh(mesh);
                throw_output_error(trace.path(), "cannot write the trace", error);
            }
        }
    }
    trace.finish();
    IndexedMesh indexed = index_mesh_records(mesh, records.data(), n);
    free_mesh(mesh);
    return indexed;
}

}  // namespace d2dcli
