// delaunay2d: the command-line program. Reads points (a file or standard
// input), triangulates them, and prints a summary or writes the mesh.
//
// Exit status: 0 on success (also for input too small to make a triangle,
// after a warning, unless --strict), 1 for bad input, a file or stream that
// cannot be written or a failed triangulation, 2 for a usage error; 255
// when the traced entry point (--trace) ends the process, as it does when
// memory runs out.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "command_options.hpp"
#include "index_array_mesh.hpp"
#include "constrained_run.hpp"
#include "crossing_heights.hpp"
#include "refinement_heights.hpp"
#include "formats/controls/clip_polygon.hpp"
#include "formats/output/atomic_file.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/printable_text.hpp"
#include "formats/output/same_file.hpp"
#include "progress_meter.hpp"
#include "run_summary.hpp"
#include "sample_points.hpp"
#include "traced_mesh.hpp"
#include "formats/read/point_file_passes.hpp"
#include "formats/read/point_passes_of.hpp"
#include "tiles/memory_size.hpp"
#include "tiles/tiled_run.hpp"

namespace {

using namespace d2dcli;

// Inputs from this size on get a progress line (on a terminal).
constexpr std::size_t large_input = 1000000;
// Bytes of text that hold about that many points.
constexpr std::uint64_t large_input_bytes = 24u << 20;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Messages carry file names and fields of the input: printable() keeps
// their control bytes from reaching the terminal.
void warn(const std::string& message) {
    std::fprintf(stderr, "delaunay2d: warning: %s\n", printable(message).c_str());
}

// Reads the input file: points for a point file; for a .poly or GeoJSON
// file also its segments and holes into `constrained`. crs is the input's
// coordinate system ("EPSG:code") when it records one.
PointSet read_input_file(const CommandOptions& options, std::string& name, std::optional<ConstrainedInput>& constrained,
                         std::string& crs) {
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
    ReadRequest request;
    request.id_column = options.id_column;
    request.vector = options.vector;
    request.classes = options.classes;
    InputRead input = read_input(source, options.input_format, request);
    crs = input.content.crs;
    if (carries_segments(input.format)) {
        constrained = std::move(input.content);
        return constrained->points;
    }
    return std::move(input.content.points);
}

// Every file the run writes, so that none of them is the input.
void refuse_to_overwrite_the_input(const CommandOptions& options) {
    std::vector<std::string> outputs;
    std::string how;
    if (options.output) {
        // The .poly beside Triangle's files comes only with segments, which
        // only .poly and GeoJSON inputs bring.
        outputs = output_paths(*options.output, options.format, options.also_png,
                               !options.generate && carries_segments(input_format_of_path(options.input)));
        if (outputs.size() > 1) {
            how = "-o " + *options.output + " writes ";
            for (std::size_t i = 0; i < outputs.size(); ++i) {
                how += (i == 0 ? "" : i + 1 == outputs.size() ? " and " : ", ") + outputs[i];
            }
        }
    }
    if (options.trace) {
        outputs.push_back(*options.trace);
    }
    refuse_outputs_that_are_inputs(options.generate ? std::string() : options.input, outputs, how);
}

// Points the mesh leaves out are named once on standard error when the
// summary (which counts them) is not printed; --strict makes them, and an
// empty mesh, an error.
void judge_left_out_points(const CommandOptions& options, const RunSummary& summary) {
    const std::size_t left_out = summary.repeated + summary.not_finite;
    const std::string counts = std::to_string(left_out) + (left_out == 1 ? " point" : " points") + " left out (" +
                               std::to_string(summary.repeated) + " repeated, " +
                               std::to_string(summary.not_finite) + " not finite)";
    if (options.strict) {
        if (left_out > 0) {
            throw InputError(summary.source + ": " + counts + "; --strict allows none");
        }
        if (summary.triangles == 0) {
            throw InputError(summary.source + ": the mesh is empty; --strict allows no empty mesh");
        }
    }
    if (left_out > 0 && options.output && !options.verbose) {
        warn(summary.source + ": " + counts);
    }
}

// Bytes a point takes in the one-pass run (its coordinates, z and w, the
// library's result and working memory): what decides, with the machine's
// memory, that a large input goes tile by tile without --memory.
constexpr std::uint64_t one_pass_bytes_per_point = 160;

// The memory limit the run keeps to tile by tile: --memory, or half the
// machine's memory when a point file's size says the one-pass run would
// need more than that; nothing for the one-pass run.
std::optional<std::uint64_t> tiled_memory(const CommandOptions& options) {
    if (options.memory) {
        return options.memory;
    }
    if (options.generate || options.input == "-" || !why_not_tiled(options).empty()) {
        return std::nullopt;
    }
    struct stat info {};
    const std::uint64_t half = physical_memory() / 2;
    if (half == 0 || ::stat(options.input.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const std::uint64_t points = points_in_text_of(static_cast<std::uint64_t>(info.st_size));
    if (points * one_pass_bytes_per_point <= half) {
        return std::nullopt;
    }
    return half;
}

int run_tiled_command(const CommandOptions& options, std::uint64_t memory) {
    RunSummary summary;
    const auto start = std::chrono::steady_clock::now();
    // A file read in passes where its format allows; anything else is read
    // whole (standard input, a generated sample, Triangle's .node) and
    // passed over in memory.
    PointSet whole;
    std::unique_ptr<PointPasses> input;
    std::string input_crs;
    if (options.generate) {
        whole = generate_sample(*options.generate, options.sample_size, options.seed);
        summary.source = "generated: " + *options.generate + ", seed " + std::to_string(options.seed);
        summary.generated = true;
    } else {
        summary.source = options.input == "-" ? std::string("standard input") : options.input;
        if (options.input != "-") {
            input = point_passes_of_file(options.input, options.input_format, options.vector.z_column,
                                         options.classes);
            if (input) {
                input_crs = crs_of_passes(*input);
            }
        }
        if (!input) {
            std::optional<ConstrainedInput> ignored;
            std::string name;
            whole = read_input_file(options, name, ignored, input_crs);
        }
    }
    if (!input) {
        input = point_passes_of(whole);
    }
    TiledRequest request;
    request.output = *options.output;
    request.format = options.format;
    request.terrain = options.terrain;
    // As the one-pass run: the input's coordinate system goes to the GeoTIFF.
    if (request.terrain.crs.empty() && options.format == OutputFormat::tif) {
        request.terrain.crs = input_crs;
    }
    request.first_number = options.zero_based ? 0 : 1;
    request.memory = memory;
    request.threads = options.threads;
    request.show_progress = true;
    const TiledReport report = run_tiled(*input, summary.source, request);
    summary.write_seconds = seconds_since(start);
    summary.points_read = report.points_read;
    summary.distinct = report.distinct;
    summary.repeated = report.repeated;
    summary.not_finite = report.not_finite;
    summary.triangles = report.triangles;
    summary.hull = report.hull;
    summary.interpolate_seconds = report.interpolate_seconds;
    summary.written = report.written;
    summary.tiles = RunSummary::Tiles{report.tiles, report.halo_growths, report.peak_bytes, memory};
    judge_left_out_points(options, summary);
    if (options.verbose) {
        print_summary(stderr, summary);
    }
    return 0;
}

int run(CommandOptions options) {
    refuse_to_overwrite_the_input(options);
    if (const std::optional<std::uint64_t> memory = tiled_memory(options)) {
        if (!options.memory) {
            warn(options.input + " is large for this machine's memory: the output is made tile by tile within " +
                 memory_size_text(*memory) + " (see --memory)");
        }
        return run_tiled_command(options, *memory);
    }
    if (options.clip) {
        // Read first: a wrong polygon file fails before the work.
        options.terrain.clip = std::make_shared<const ClipPolygon>(ClipPolygon::read(*options.clip));
    }
    RunSummary summary;
    auto start = std::chrono::steady_clock::now();
    PointSet points;
    std::optional<ConstrainedInput> constrained;
    std::string input_crs;
    if (options.generate) {
        points = generate_sample(*options.generate, options.sample_size, options.seed);
        summary.source = "generated: " + *options.generate + ", seed " + std::to_string(options.seed);
        summary.generated = true;
    } else {
        points = read_input_file(options, summary.source, constrained, input_crs);
    }
    summary.read_seconds = seconds_since(start);

    const bool large = points.size() >= large_input;
    std::optional<IndexArrayMesh> index_arrays;
    std::optional<ConstrainedRun> with_segments;
    // Without --region: the inside when the segments close a ring, the hull
    // for open lines (the library's DELAUNAY2D_REGION_AUTO), the hull for points.
    const delaunay2d_region region = options.region ? (*options.region == "inside" ? DELAUNAY2D_REGION_INSIDE
                                                                                   : DELAUNAY2D_REGION_HULL)
                                     : constrained ? DELAUNAY2D_REGION_AUTO
                                                   : DELAUNAY2D_REGION_HULL;
    const bool inside = region == DELAUNAY2D_REGION_INSIDE;
    IndexedMesh traced;
    std::optional<AtomicFile> trace_file;
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
            QualityBounds bounds;
            bounds.min_angle = options.min_angle;
            bounds.max_area = options.max_area;
            bounds.max_steiner = options.max_steiner;
            bounds.conforming = options.conforming;
            with_segments.emplace(*constrained, region, options.threads, bounds);
            mesh = with_segments->view();
        } else if (options.trace) {
            trace_file.emplace(*options.trace);
            traced = triangulate_traced(points, *trace_file);
            mesh = traced.view(points.xy);
        } else {
            index_arrays.emplace(points, options.threads);
            mesh = index_arrays->view();
        }
    }
    summary.triangulate_seconds = seconds_since(start);
    {
        // The summary counts the points read: those the constrained call
        // added after them (crossings, refinement's) are counted apart.
        MeshView read = mesh;
        read.vertex_of_point = mesh.vertex_of_point.first(std::min(points.size(), mesh.vertex_of_point.size()));
        count_mesh(read, summary);
    }
    // z, w and ids belong to input rows; the points the constrained call
    // adds where segments cross take z and w along their segments, and
    // refinement's points the surface of the mesh before refinement.
    std::vector<double> zw;
    if (with_segments && !points.zw.empty()) {
        zw = points.zw;
        add_crossing_heights(*constrained, mesh.xy, zw);
        add_refinement_heights(*constrained, with_segments->result(), zw);
        mesh.zw = zw;
    } else {
        mesh.zw = points.zw;
    }
    mesh.extra_columns = points.extra_columns;
    mesh.ids = &points.ids;
    if (with_segments && !constrained->labels.empty()) {
        mesh.labels = &constrained->labels;
    }

    if (summary.distinct < 3) {
        warn("only " + std::to_string(summary.distinct) +
             " distinct points with finite coordinates: a triangle needs three; the mesh is empty");
    } else if (summary.triangles == 0 && with_segments && inside) {
        warn("no triangle lies inside a ring of segments (--region inside); the mesh is empty");
    } else if (summary.triangles == 0) {
        warn("all " + std::to_string(summary.distinct) + " distinct points lie on one line; the mesh is empty");
    }
    judge_left_out_points(options, summary);
    if (with_segments && with_segments->hole_points_on_segments() > 0) {
        warn(summary.source + ": " + std::to_string(with_segments->hole_points_on_segments()) +
             " hole point(s) lie on a segment and remove nothing (which side was meant cannot be told)");
    }
    if (with_segments && with_segments->refined()) {
        const delaunay2d_mesh_quality& figures = with_segments->quality();
        RunSummary::Quality& quality = summary.quality.emplace();
        quality.asked_min_angle = options.min_angle;
        quality.max_steiner = options.max_steiner;
        quality.min_angle = figures.min_angle;
        quality.max_angle = figures.max_angle;
        quality.added = figures.added_by_refinement;
        quality.unrefined = figures.unrefined_count;
        quality.budget_reached = figures.budget_reached != 0;
        const std::string shortfall = refinement_shortfall(quality);
        if (!shortfall.empty() && options.output && !options.verbose) {
            warn(summary.source + ": " + shortfall);
        }
    }

    if (options.output) {
        OutputOptions output;
        output.format = options.format;
        output.keep_all_points = options.keep_all_points;
        output.first_number = options.zero_based ? 0 : 1;
        output.terrain = options.terrain;
        // The input's coordinate system goes to the outputs that record one.
        // (Not WGS 84 to GeoJSON, which means it without a crs member, and
        // whose readers take the member's EPSG:4326 as latitude first.)
        if (output.terrain.crs.empty() && !input_crs.empty() &&
            (options.format == OutputFormat::tif ||
             (options.format == OutputFormat::geojson && input_crs != "EPSG:4326"))) {
            output.terrain.crs = input_crs;
        }
        output.also_png = options.also_png;
        output.svg.title = options.svg_title;
        if (output.svg.title.empty()) {
            // The picture is named after what it shows: the input's file
            // name, or the generated sample.
            output.svg.title = options.generate ? "generated " + *options.generate + " sample"
                               : options.input == "-" ? std::string("standard input")
                                                      : options.input.substr(options.input.find_last_of('/') + 1);
        }
        output.svg.threads = options.threads;
        output.svg.points = !options.no_points;
        output.svg.edges = !options.no_edges;
        if (!points.z_name.empty()) {
            output.svg.z_label = points.z_name;
        }
        start = std::chrono::steady_clock::now();
        ProgressMeter progress(large);
        const std::string stage = "writing " + *options.output;
        WrittenFiles files = write_mesh(*options.output, mesh, output, [&](double fraction) {
            progress.show(stage, fraction);
        });
        progress.clear();
        summary.write_seconds = seconds_since(start);
        summary.interpolate_seconds = files.interpolate_seconds;
        summary.written = files.paths;
        if (files.picture.sampled) {
            warn(*options.output + ": " + files.picture.note);
        }
        if (options.verbose) {
            print_summary(stderr, summary);
        }
    } else {
        print_summary(stdout, summary);
    }
    // A summary that did not reach its reader is a failure like any other.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw_output_error("standard output", "cannot write", errno != 0 ? errno : EIO);
    }
    // The trace comes into place last, only after a run that succeeded.
    if (trace_file) {
        trace_file->put_in_place();
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
    // A closed standard output would hand its number to the first file
    // opened, which would then receive the summary or the mesh. /dev/null
    // takes the place, and a run that would write there is refused.
    if (::fcntl(STDOUT_FILENO, F_GETFD) < 0 && errno == EBADF) {
        int placeholder = ::open("/dev/null", O_WRONLY);
        if (placeholder >= 0 && placeholder != STDOUT_FILENO) {
            ::close(placeholder);
        }
        const std::optional<std::string>& output = std::get<CommandOptions>(parsed).output;
        if (!output || *output == "-") {
            std::fprintf(stderr, "delaunay2d: standard output: cannot write: it is closed\n");
            return 1;
        }
    }
    try {
        return run(std::get<CommandOptions>(parsed));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "delaunay2d: out of memory\n");
    } catch (const std::exception& e) {
        // Bad input, a file that cannot be written, a failed triangulation
        // (InputError, OutputError, TriangulationError: their messages name
        // the file and line), or anything else the system refused (a thread
        // that could not start).
        std::fprintf(stderr, "delaunay2d: %s\n", printable(e.what()).c_str());
    }
    return 1;
}
