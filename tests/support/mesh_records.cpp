#include "support/mesh_records.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <sstream>

namespace d2dtest {

MeshRecords records_of(const Mesh2D* mesh, const Point3D* points, bool with_numbers) {
    MeshRecords records;
    records.length = mesh->length;
    records.inner_length = mesh->inner_length;
    for (size_t i = 0; i < mesh->length; ++i) {
        const Triangle& t = mesh->triangles[i];
        for (const Point3D* p : t.points) records.vertices.push_back(p - points);
        for (const Triangle* n : t.vor) records.links.push_back(n == nullptr ? -1 : n - mesh->triangles);
        if (!with_numbers) continue;
        const Point3D& c = t.inner_center;
        for (const double v : {c.x, c.y, c.z, c.w, t.radius}) records.numbers.push_back(v);
    }
    return records;
}

namespace {

// The first index at which two sequences of `width` entries per triangle
// differ (by `same`), or `size` when they agree up to it.
template <class T, class Same>
size_t first_difference(const std::vector<T>& a, const std::vector<T>& b, size_t size, Same same) {
    for (size_t i = 0; i < size; ++i) {
        if (!same(a[i], b[i])) return i;
    }
    return size;
}

}  // namespace

::testing::AssertionResult same_records(const MeshRecords& want, const MeshRecords& got) {
    std::ostringstream out;
    out.precision(17);
    if (want.length != got.length) out << "length is " << got.length << " instead of " << want.length << "; ";
    if (want.inner_length != got.inner_length) {
        out << "inner_length is " << got.inner_length << " instead of " << want.inner_length << "; ";
    }
    const size_t common = std::min(want.length, got.length);
    const auto equal = [](long a, long b) { return a == b; };
    const size_t vertex = first_difference(want.vertices, got.vertices, 3 * common, equal);
    const size_t link = first_difference(want.links, got.links, 3 * common, equal);
    const bool numbers = want.numbers.size() == 5 * want.length && got.numbers.size() == 5 * got.length;
    const size_t number =
        numbers ? first_difference(want.numbers, got.numbers, 5 * common,
                                   [](double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); })
                : 5 * common;
    // The triangle where the first difference of any field lies.
    const size_t triangle = std::min({vertex / 3, link / 3, number / 5});
    if (triangle < common) {
        static const char* const kNumberNames[5] = {"centroid x", "centroid y", "centroid z", "centroid w", "radius"};
        out << "triangle " << triangle << ": ";
        if (vertex / 3 == triangle) {
            out << "vertex " << vertex % 3 << " is point " << got.vertices[vertex] << " instead of "
                << want.vertices[vertex];
        } else if (link / 3 == triangle) {
            out << "link " << link % 3 << " is triangle " << got.links[link] << " instead of " << want.links[link];
        } else {
            out << kNumberNames[number % 5] << " is " << got.numbers[number] << " instead of " << want.numbers[number];
        }
    }
    std::string difference = out.str();
    if (difference.empty()) return ::testing::AssertionSuccess();
    if (difference.ends_with("; ")) difference.resize(difference.size() - 2);
    return ::testing::AssertionFailure() << difference;
}

}  // namespace d2dtest
