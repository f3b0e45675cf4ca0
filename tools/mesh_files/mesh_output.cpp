#include "mesh_output.hpp"

#include <algorithm>
#include <cctype>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "atomic_file.hpp"
#include "constrained_input.hpp"
#include "text_sink.hpp"
#include "written_points.hpp"

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
    return std::nullopt;
}

std::optional<OutputFormat> output_format_of_path(std::string_view path) {
    std::string extension = lower_extension(path);
    if (extension == "node" || extension == "neigh") {
        return OutputFormat::ele;
    }
    return output_format_named(extension);
}

std::vector<std::string> output_paths(const std::string& path, OutputFormat format, bool with_segments) {
    if (format != OutputFormat::ele) {
        return {path};
    }
    std::string stem = stem_of(path);
    if (with_segments) {
        return {stem + ".ele", stem + ".node", stem + ".neigh", stem + ".poly"};
    }
    return {stem + ".ele", stem + ".node", stem + ".neigh"};
}

WrittenFiles write_mesh_files(const std::string& path, const MeshView& mesh, const OutputOptions& options,
                              const Progress& progress) {
    WrittenFiles result;
    result.paths = output_paths(path, options.format, !mesh.segments.empty());
    const WrittenPoints written = choose_written_points(mesh.vertex_of_point, options.keep_all_points);

    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const std::string& file_path : result.paths) {
        files.push_back(std::make_unique<AtomicFile>(file_path));
    }
    const std::size_t count = files.size();
    SharedProgress shared(progress, count);
    auto write_file = [&](std::size_t k) {
        TextSink sink(files[k]->fd(), files[k]->path());
        Progress part = shared.part(k);
        switch (options.format) {
            case OutputFormat::off:
                write_off(sink, mesh, written, part);
                break;
            case OutputFormat::obj:
                write_obj(sink, mesh, written, part);
                break;
            case OutputFormat::json:
                write_json(sink, mesh, written, part);
                break;
            case OutputFormat::svg:
                result.picture = write_svg(sink, mesh, written, options.svg, part);
                break;
            case OutputFormat::ele:
                if (k == 0) {
                    write_ele(sink, mesh, written, options.first_number, part);
                } else if (k == 1) {
                    write_node(sink, mesh, written, options.first_number, part);
                } else if (k == 2) {
                    write_neigh(sink, mesh, options.first_number, part);
                } else {
                    write_poly(sink, mesh, written, options.first_number);
                }
                break;
        }
        sink.flush();
        files[k]->finish();
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
    // Only now, with every file complete, do the names change.
    for (auto& file : files) {
        file->put_in_place();
    }
    return result;
}

}  // namespace d2dcli
