// delaunay2d: the command-line program. Reads points (a file or standard
// input), triangulates them, and prints a summary or writes the mesh.
//
// Exit status: 0 on success (also for input too small to make a triangle,
// after a warning), 1 for bad input, a file that cannot be written or a
// failed triangulation, 2 for a usage error.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <variant>

#include "command_options.hpp"
#include "companion_mesh.hpp"
#include "constrained_run.hpp"
#include "mesh_files/atomic_file.hpp"
#include "mesh_files/constrained_input.hpp"
#include "mesh_files/input_error.hpp"
#include "mesh_files/input_format.hpp"
#include "mesh_files/line_source.hpp"
#include "mesh_files/mesh_output.hpp"
#include "mesh_files/output_error.hpp"
#include "progress_meter.hpp"
#include "run_summary.hpp"
#include "sample_points.hpp"
#include "traced_mesh.hpp"

namespace {

using namespace d2dcli;

// Inputs from this size on get a progress line (on a terminal).
constexpr std::size_t large_input = 1000000;
// Bytes of text that hold about that many points.
constexpr std::uint64_t large_input_bytes = 24u << 20;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void warn(const std::string& message) { std::fprintf(stderr, "delaunay2d: warning: %s\n", message.c_str()); }

// Reads the input file: points for a point file; for a .poly or GeoJSON
// file also its segments and holes into `constrained`.
PointSet read_input(const CommandOptions& options, std::string& name, std::optional<ConstrainedInput>& constrained) {
    const bool from_stdin = options.input == "-";
    name = from_stdin ? "standard input" : options.input;
    int fd = STDIN_FILENO;
    if (!from_stdin) {
        fd = ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw InputError(name + ": cannot open: " + std::strerror(errno));
        }
    } else if (::isatty(STDIN_FILENO) == 1) {
        std::fprintf(stderr, "delaunay2d: reading points from the terminal; end with Ctrl-D (see --help)\n");
    }
    struct Close {
        int fd;
        ~Close() {
            if (fd != STDIN_FILENO) {
                ::close(fd);
            }
        }
    } closer{fd};

    // The source's name picks the reader by extension, so standard input is
    // only ever judged by its content.
    LineSource source(fd, name);
    ProgressMeter progress(true);
    source.on_block([&](std::uint64_t bytes, std::uint64_t total) {
        if (bytes < large_input_bytes && total < large_input_bytes) {
            return;
        }
        if (total > 0) {
            progress.show("reading " + name, static_cast<double>(bytes) / static_cast<double>(total));
        } else {
            progress.show("reading " + name + ": " + std::to_string(bytes >> 20) + " MB");
        }
    });
    if (!from_stdin && (is_poly_path(options.input) || is_geojson_path(options.input))) {
        constrained = is_poly_path(options.input) ? read_poly(source) : read_geojson(source);
        return constrained->points;
    }
    InputFormat format = options.input_format;
    if (format == InputFormat::automatic && !from_stdin) {
        format = input_format_of_path(options.input);
    }
    return read_points(source, format);
}

int run(const CommandOptions& options) {
    RunSummary summary;
    auto start = std::chrono::steady_clock::now();
    PointSet points;
    std::optional<ConstrainedInput> constrained;
    if (options.generate) {
        points = generate_sample(*options.generate, options.sample_size, options.seed);
        summary.source = "generated: " + *options.generate + ", seed " + std::to_string(options.seed);
    } else {
        points = read_input(options, summary.source, constrained);
    }
    summary.read_seconds = seconds_since(start);

    const bool large = points.size() >= large_input;
    std::optional<CompanionMesh> companion;
    std::optional<ConstrainedRun> with_segments;
    const bool inside = options.region ? *options.region == "inside" : constrained.has_value();
    IndexedMesh traced;
    MeshView mesh;
    start = std::chrono::steady_clock::now();
    {
        ProgressMeter progress(large);
        progress.show("triangulating " + std::to_string(points.size()) + " points");
        if (constrained || inside) {
            if (!constrained) {
                constrained.emplace();
                constrained->points = points;
            }
            with_segments.emplace(*constrained, inside, options.threads);
            mesh = with_segments->view();
        } else if (options.trace) {
            traced = triangulate_traced(points, *options.trace);
            mesh = traced.view(points.xy);
        } else {
            companion.emplace(points, options.threads);
            mesh = companion->view();
        }
    }
    summary.triangulate_seconds = seconds_since(start);
    count_mesh(mesh, summary);

    if (summary.distinct < 3) {
        warn("only " + std::to_string(summary.distinct) +
             " distinct points with finite coordinates: a triangle needs three; the mesh is empty");
    } else if (summary.triangles == 0 && with_segments && inside) {
        warn("no triangle lies inside a ring of segments (--region inside); the mesh is empty");
    } else if (summary.triangles == 0) {
        warn("all " + std::to_string(summary.distinct) + " distinct points lie on one line; the mesh is empty");
    }

    if (options.output) {
        OutputOptions output;
        output.format = options.format;
        output.keep_all_points = options.keep_all_points;
        output.first_number = options.zero_based ? 0 : 1;
        start = std::chrono::steady_clock::now();
        ProgressMeter progress(large);
        const std::string stage = "writing " + *options.output;
        WrittenFiles files = write_mesh_files(*options.output, mesh, output, [&](double fraction) {
            progress.show(stage, fraction);
        });
        progress.clear();
        summary.write_seconds = seconds_since(start);
        summary.written = files.paths;
        if (files.picture.sampled) {
            warn(*options.output + ": " + std::to_string(summary.triangles) +
                 " triangles are too many to draw; the picture shows the hull and " +
                 std::to_string(files.picture.points_drawn) + " of the points");
        }
        if (options.verbose) {
            print_summary(stderr, summary);
        }
    } else {
        print_summary(stdout, summary);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::variant<CommandOptions, int> parsed = parse_command_line(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) {
        return *status;
    }
    remove_temporary_files_on_signals();
    try {
        return run(std::get<CommandOptions>(parsed));
    } catch (const InputError& e) {
        std::fprintf(stderr, "delaunay2d: %s\n", e.what());
    } catch (const OutputError& e) {
        std::fprintf(stderr, "delaunay2d: %s\n", e.what());
    } catch (const TriangulationError& e) {
        std::fprintf(stderr, "delaunay2d: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "delaunay2d: out of memory\n");
    } catch (const std::exception& e) {
        // Anything else the system refused (a thread that could not start).
        std::fprintf(stderr, "delaunay2d: %s\n", e.what());
    }
    return 1;
}
