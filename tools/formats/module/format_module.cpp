#include "formats/module/format_module.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "formats/output/output_error.hpp"
#include "formats/picture/png_picture.hpp"
#include "formats/raster/raster_files.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/vector_file.hpp"

namespace d2dcli {

namespace {

constexpr const char* module_name = "libdelaunay2d_formats.so";

std::string folder_of_program() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) {
        return ".";
    }
    std::string program(path.data(), static_cast<std::size_t>(length));
    const std::size_t slash = program.find_last_of('/');
    return slash == std::string::npos ? "." : program.substr(0, slash);
}

struct LoadedModule {
    const FormatModuleEntries* entries = nullptr;
    std::string why;
};

LoadedModule load_module() {
    LoadedModule loaded;
    const std::string folder = folder_of_program();
    // Beside the program in a build tree; under LIBDIR once installed.
    for (const std::string& path :
         {folder + "/" + module_name, folder + "/" DELAUNAY2D_FORMATS_FROM_BINDIR "/" + module_name}) {
        if (::access(path.c_str(), F_OK) != 0) {
            continue;
        }
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* error = ::dlerror();
            loaded.why = "cannot load " + path + ": " + (error != nullptr ? error : "unknown error");
            return loaded;
        }
        // The module stays loaded for the rest of the run.
        auto entry = reinterpret_cast<const FormatModuleEntries* (*)()>(::dlsym(handle, "delaunay2d_format_module"));
        if (entry == nullptr) {
            loaded.why = path + " is not the program's format module";
            return loaded;
        }
        loaded.entries = entry();
        return loaded;
    }
    loaded.why = std::string(module_name) + " is not installed beside the program";
    return loaded;
}

}  // namespace

const FormatModuleEntries* format_module(std::string& why) {
    static const LoadedModule loaded = load_module();  // once, and safely from any thread
    why = loaded.why;
    return loaded.entries;
}

void write_geotiff(const std::string& name, int fd, const RasterGrid& grid, const GridRows& rows,
                   const std::string& crs, const Progress& progress) {
    std::string why;
    const FormatModuleEntries* module = format_module(why);
    if (module == nullptr || module->write_geotiff == nullptr) {
        throw OutputError(name + ": not built with GeoTIFF support (" +
                          (module == nullptr ? why : "GDAL was missing when the program was built") + ")");
    }
    module->write_geotiff(name, fd, grid, rows, crs, progress);
}

void write_png(const std::string& name, int fd, std::string_view svg) {
    std::string why;
    const FormatModuleEntries* module = format_module(why);
    if (module == nullptr || module->write_png == nullptr) {
        throw OutputError(name + ": not built with PNG support (" +
                          (module == nullptr ? why : "librsvg was missing when the program was built") + ")");
    }
    module->write_png(name, fd, svg);
}

ConstrainedInput read_vector_file(const std::string& path, const VectorRequest& request) {
    std::string why;
    const FormatModuleEntries* module = format_module(why);
    if (module == nullptr || module->read_vector == nullptr) {
        throw InputError(path + ": not built with GDAL's vector formats (" +
                         (module == nullptr ? why : "GDAL was missing when the program was built") +
                         "); GeoJSON (.geojson) is read without it");
    }
    FeatureCollector collector(path, request);
    module->read_vector(path, request, collector);
    return collector.finish();
}

}  // namespace d2dcli
