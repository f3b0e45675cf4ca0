// The inputs the program can read in passes, behind one factory: a LAS, PLY
// or text file of points on disk is read again for each pass (in a few
// megabytes, point_file_passes.hpp), and a point set already in memory
// (standard input, a generated sample, a test's points) hands over its
// blocks from there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/read/input_format.hpp"
#include "formats/read/point_passes.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// Passes over the file at path, read as the format the user named (or, when
// automatic, its name and content say); z from the column z_column when
// not empty, LAS points of the given classes only (all when empty). Null
// for a format that is not read in passes (the caller
// reads it whole and passes over it in memory). Throws InputError for a
// file that cannot be opened.
std::unique_ptr<PointPasses> point_passes_of_file(const std::string& path, InputFormat named,
                                                  const std::string& z_column,
                                                  const std::vector<unsigned>& classes);

// Passes over points held in memory; points must outlive the passes.
std::unique_ptr<PointPasses> point_passes_of(const PointSet& points);

}  // namespace d2dcli
