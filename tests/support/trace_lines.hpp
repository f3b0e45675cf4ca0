// The library's trace lines as printf writes them, for tests that compare
// whole traces byte for byte.
#pragma once

#include <cstdio>
#include <string>

#include "delaunay2d.h"

namespace d2dtest {

// "    point: {x: %f, y: %f, z: %f - %f}\n" of one record.
inline std::string point_line(const Point3D& p) {
    char line[1500];  // four values of up to 309 digits each
    std::snprintf(line, sizeof line, "    point: {x: %f, y: %f, z: %f - %f}\n", p.x, p.y, p.z, p.w);
    return line;
}

// The line of a base mesh over the range [beg, end).
inline std::string base_line(size_t beg, size_t end) {
    return "create mesh, Mesh2D.length: 1, beg: " + std::to_string(beg) + ", end: " + std::to_string(end) + "\n";
}

// The line of a merge of [left_beg, left_last] with [right_beg, right_last].
inline std::string merge_line(size_t left_beg, size_t left_last, size_t right_beg, size_t right_last) {
    return "merge mesh, [beg: " + std::to_string(left_beg) + ", pivot: " + std::to_string(left_last) +
           "] <=> [beg: " + std::to_string(right_beg) + ", pivot: " + std::to_string(right_last) + "]\n";
}

}  // namespace d2dtest
