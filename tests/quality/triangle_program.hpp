// Shewchuk's Triangle program as an oracle of triangle counts: a shape is
// written as a .poly file in a temporary folder of its own (the program
// writes its outputs beside its input), the program run with the given
// switches, and the count of its .ele file read back.
#pragma once

#include <cstddef>
#include <string>

#include "common/quality_shapes.hpp"

namespace d2dtest {

// The program's path, or "" when it is not installed.
std::string triangle_program();

// The number of triangles `triangle -<switches>` makes of the shape, or -1
// (with *why saying what went wrong).
long triangle_count(const d2dcommon::QualityShape& shape, const std::string& switches, std::string* why);

}  // namespace d2dtest
