#include "quality/triangle_program.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace d2dtest {

std::string triangle_program() {
    for (const char* path : {"/usr/bin/triangle", "/usr/local/bin/triangle"}) {
        if (access(path, X_OK) == 0) return path;
    }
    return "";
}

long triangle_count(const d2dcommon::QualityShape& shape, const std::string& switches, std::string* why) {
    const std::string program = triangle_program();
    if (program.empty()) {
        *why = "Triangle's program is not installed";
        return -1;
    }
    char folder[] = "/tmp/delaunay2d-quality-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        *why = "no temporary folder";
        return -1;
    }
    const std::filesystem::path dir(folder);
    {
        std::ofstream poly(dir / "shape.poly");
        poly.precision(17);
        poly << shape.xy.size() / 2 << " 2 0 0\n";
        for (size_t i = 0; i < shape.xy.size() / 2; ++i) poly << i << ' ' << shape.xy[2 * i] << ' ' << shape.xy[2 * i + 1] << '\n';
        poly << shape.segments.size() / 2 << " 0\n";
        for (size_t s = 0; s < shape.segments.size() / 2; ++s) {
            poly << s << ' ' << shape.segments[2 * s] << ' ' << shape.segments[2 * s + 1] << '\n';
        }
        poly << shape.holes.size() / 2 << '\n';
        for (size_t h = 0; h < shape.holes.size() / 2; ++h) poly << h << ' ' << shape.holes[2 * h] << ' ' << shape.holes[2 * h + 1] << '\n';
        poly << shape.regions.size() << '\n';
        for (size_t k = 0; k < shape.regions.size(); ++k) {
            const delaunay2d_region_point& r = shape.regions[k];
            poly << k << ' ' << r.x << ' ' << r.y << ' ' << r.attribute << ' ' << (r.max_area > 0 ? r.max_area : -1.0) << '\n';
        }
    }
    const std::string command = program + " -Q" + switches + " " + (dir / "shape.poly").string() + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    long count = -1;
    if (status == 0) {
        std::ifstream ele(dir / "shape.1.ele");
        if (!(ele >> count)) count = -1;
    }
    if (count < 0) *why = "`" + command + "` failed";
    std::filesystem::remove_all(dir);
    return count;
}

}  // namespace d2dtest
