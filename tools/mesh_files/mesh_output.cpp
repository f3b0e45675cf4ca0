#include "mesh_output.hpp"

#include <algorithm>
#include <cctype>
#include <memory>

#include "atomic_file.hpp"
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

// Reports the progress of file k of count as a share of the whole write.
Progress share_of(const Progress& progress, std::size_t k, std::size_t count) {
    if (!progress) {
        return {};
    }
    return [&progress, k, count](double fraction) {
        progress((static_cast<double>(k) + fraction) / static_cast<double>(count));
    };
}

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

std::vector<std::string> output_paths(const std::string& path, OutputFormat format) {
    if (format != OutputFormat::ele) {
        return {path};
    }
    std::string stem = stem_of(path);
    return {stem + ".ele", stem + ".node", stem + ".neigh"};
}

WrittenFiles write_mesh_files(const std::string& path, const MeshView& mesh, const OutputOptions& options,
                              const Progress& progress) {
    WrittenFiles result;
    result.paths = output_paths(path, options.format);
    const WrittenPoints written = choose_written_points(mesh.vertex_of_point, options.keep_all_points);

    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const std::string& file_path : result.paths) {
        files.push_back(std::make_unique<AtomicFile>(file_path));
    }
    const std::size_t count = files.size();
    for (std::size_t k = 0; k < count; ++k) {
        TextSink sink(files[k]->fd(), files[k]->path());
        Progress part = share_of(progress, k, count);
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
                } else {
                    write_neigh(sink, mesh, options.first_number, part);
                }
                break;
        }
        sink.flush();
        files[k]->finish();
    }
    // Only now, with every file complete, do the names change.
    for (auto& file : files) {
        file->put_in_place();
    }
    return result;
}

}  // namespace d2dcli
