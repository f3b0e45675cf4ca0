#include "formats/mesh_write/mesh_output.hpp"

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include <unistd.h>

#include "formats/mesh_write/mesh_writers.hpp"
#include "formats/mesh_write/written_points.hpp"
#include "formats/output/atomic_file.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/picture/svg_picture.hpp"

namespace d2dcli {

namespace {

std::string lower_extension(std::string_view path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string stem_of(const std::string& path) {
    std::string extension = lower_extension(path);
    if (extension == "ele" || extension == "node" || extension == "neigh") {
        return path.substr(0, path.size() - extension.size() - 1);
    }
    return path;
}

// Progress of several files written at once, reported as one fraction
// (the mean of theirs) through one caller-given report, one call at a time.
class SharedProgress {
public:
    SharedProgress(const Progress& progress, std::size_t count) : progress_(progress), done_(count, 0.0) {}

    Progress part(std::size_t k) {
        if (!progress_) {
            return {};
        }
        return [this, k](double fraction) {
            std::lock_guard<std::mutex> lock(mutex_);
            done_[k] = fraction;
            double sum = 0.0;
            for (double d : done_) {
                sum += d;
            }
            progress_(sum / static_cast<double>(done_.size()));
        };
    }

private:
    const Progress& progress_;
    std::mutex mutex_;
    std::vector<double> done_;
};

}  // namespace

std::optional<OutputFormat> output_format_named(std::string_view name) {
    if (name == "off") {
        return OutputFormat::off;
    }
    if (name == "obj") {
        return OutputFormat::obj;
    }
    if (name == "json") {
        return OutputFormat::json;
    }
    if (name == "ele") {
        return OutputFormat::ele;
    }
    if (name == "svg") {
        return OutputFormat::svg;
    }
    if (name == "ply") {
        return OutputFormat::ply;
    }
    if (name == "geojson") {
        return OutputFormat::geojson;
    }
    if (name == "asc") {
        return OutputFormat::asc;
    }
    if (name == "tif" || name == "tiff") {
        return OutputFormat::tif;
    }
    if (name == "png") {
        return OutputFormat::png;
    }
    if (name == "vtu") {
        return OutputFormat::vtu;
    }
    if (name == "msh") {
        return OutputFormat::msh;
    }
    return std::nullopt;
}

std::optional<OutputFormat> output_format_of_path(std::string_view path) {
    std::string extension = lower_extension(path);
    if (extension == "node" || extension == "neigh") {
        return OutputFormat::ele;
    }
    return output_format_named(extension);
}

std::vector<std::string> output_paths(const std::string& path, OutputFormat format, bool also_png,
                                      bool with_segments) {
    if (also_png && format == OutputFormat::svg && path != "-") {
        const std::size_t dot = path.find_last_of('.');
        const std::size_t slash = path.find_last_of('/');
        const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        return {path, (has_extension ? path.substr(0, dot) : path) + ".png"};
    }
    if (format != OutputFormat::ele || path == "-") {
        return {path};
    }
    std::string stem = stem_of(path);
    if (with_segments) {
        return {stem + ".ele", stem + ".node", stem + ".neigh", stem + ".poly"};
    }
    return {stem + ".ele", stem + ".node", stem + ".neigh"};
}

WrittenFiles write_mesh(const std::string& path, const MeshView& mesh, const OutputOptions& options,
                        const Progress& progress) {
    WrittenFiles result;
    result.paths = output_paths(path, options.format, options.also_png, !mesh.segments.empty());
    const WrittenPoints written = choose_written_points(mesh.vertex_of_point, options.keep_all_points);

    const bool to_stdout = path == "-";
    if (to_stdout && options.format == OutputFormat::ele) {
        throw OutputError("standard output: Triangle's format is three files; give a file name");
    }
    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const std::string& file_path : result.paths) {
        if (!to_stdout) {
            files.push_back(std::make_unique<AtomicFile>(file_path));
        }
    }
    const std::size_t count = result.paths.size();
    // The formats of the switch below show the kept triangles; the terrain
    // formats choose for themselves (a raster interpolates on them all).
    KeptTriangles kept;
    const MeshView shown = shown_mesh(mesh, options.terrain, kept);
    SharedProgress shared(progress, count);
    auto write_file = [&](std::size_t k) {
        const int fd = to_stdout ? STDOUT_FILENO : files[k]->fd();
        TextSink sink(fd, to_stdout ? std::string("standard output") : files[k]->path());
        Progress part = shared.part(k);
        switch (options.format) {
            case OutputFormat::off:
                write_off(sink, shown, written, part);
                break;
            case OutputFormat::obj:
                write_obj(sink, shown, written, part);
                break;
            case OutputFormat::json:
                write_json(sink, shown, written, part);
                break;
            case OutputFormat::vtu:
                write_vtu(sink, mesh, written, part);
                break;
            case OutputFormat::msh:
                write_msh(sink, mesh, written, part);
                break;
            case OutputFormat::svg:
                if (k == 0) {
                    result.picture = write_picture(sink, mesh, written, options, part);
                } else {
                    OutputOptions png = options;
                    png.format = OutputFormat::png;
                    WrittenFiles ignored;
                    write_terrain_file(sink, fd, mesh, written, png, part, ignored);
                }
                break;
            case OutputFormat::ele:
                if (k == 0) {
                    write_ele(sink, shown, written, options.first_number, part);
                } else if (k == 1) {
                    write_node(sink, shown, written, options.first_number, part);
                } else if (k == 2) {
                    write_neigh(sink, shown, options.first_number, part);
                } else {
                    write_poly(sink, shown, written, options.first_number);
                }
                break;
            default:
                write_terrain_file(sink, fd, mesh, written, options, part, result);
                break;
        }
        sink.flush();
        if (!to_stdout) {
            files[k]->finish();
        }
    };
    // Triangle's three files are formatted at once, one thread each: the
    // mesh is only read, and formatting numbers is what takes the time.
    std::vector<std::exception_ptr> failures(count);
    std::vector<std::thread> helpers;
    for (std::size_t k = 1; k < count; ++k) {
        helpers.emplace_back([&, k] {
            try {
                write_file(k);
            } catch (...) {
                failures[k] = std::current_exception();
            }
        });
    }
    try {
        write_file(0);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    // Only now, with every file complete, do the names change, all of them
    // or none: Triangle's three files are read together.
    std::vector<AtomicFile*> set;
    for (auto& file : files) {
        set.push_back(file.get());
    }
    put_in_place_together(set);
    return result;
}

}  // namespace d2dcli
