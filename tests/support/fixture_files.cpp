#include "support/fixture_files.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace d2dtest {
namespace {

// std::from_chars reads "NaN", "Infinity" and "-0.0" and, unlike strtod,
// does not depend on the locale.
bool read_number(std::string_view text, double* value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && stop == end;
}

}  // namespace

std::vector<Fixture> fixture_files() {
    std::vector<Fixture> fixtures;
    for (const auto& entry : std::filesystem::directory_iterator(DELAUNAY2D_FIXTURES_DIR)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".csv") continue;
        fixtures.push_back({entry.path().stem().string(), entry.path().string()});
    }
    std::sort(fixtures.begin(), fixtures.end(), [](const Fixture& a, const Fixture& b) { return a.name < b.name; });
    return fixtures;
}

std::vector<Point3D> read_fixture(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot open " + path);
    std::vector<Point3D> points;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t comma = line.find(',');
        Point3D p{0.0, 0.0, 0.0, 0.0};
        if (comma == std::string::npos || !read_number(std::string_view(line).substr(0, comma), &p.x) ||
            !read_number(std::string_view(line).substr(comma + 1), &p.y)) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": not x,y: " + line);
        }
        points.push_back(p);
    }
    return points;
}

}  // namespace d2dtest
