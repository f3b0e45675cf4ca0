// The vertices of a PLY file as point clouds come from CloudCompare and
// MeshLab: binary (little- or big-endian) or ASCII, the element "vertex"
// with properties x, y and z (any numeric type, in any order; z may be
// missing), other properties skipped by their sizes. Elements before the
// vertices are skipped when their records have a fixed size (or, in ASCII,
// a line each); elements after them (faces) are not read.
//
//   ply
//   format binary_little_endian 1.0
//   element vertex 3            <- count, checked against the file's size
//   property float x            <- offset 0
//   property double y           <- offset 4
//   property uchar red          <- skipped, 1 byte
//   property float z            <- offset 13; a record is 17 bytes
//   element face 1
//   property list uchar int vertex_indices
//   end_header
#pragma once

#include <cstdint>
#include <vector>

#include "formats/read/line_source.hpp"
#include "formats/read/point_passes.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

struct PlyLayout {
    enum class Encoding { ascii, little_endian, big_endian } encoding = Encoding::ascii;
    std::uint64_t vertex_count = 0;
    // Per vertex record: its size in bytes (binary), and for x, y, z where
    // each starts (a byte offset, or an ASCII column) and its type code
    // (one of the PLY type names' index; -1 for a z the file has not).
    std::size_t record_size = 0;
    std::size_t at[3] = {0, 0, 0};
    int type[3] = {-1, -1, -1};
    std::size_t columns = 0;  // ASCII: values in a vertex line
    bool has_z() const { return type[2] >= 0; }
};

// Whether bytes begin as a PLY file does ("ply" and a line end).
bool looks_like_ply(const char* bytes, std::size_t size);

// Reads the header of source (at its start) and skips the elements before
// the vertices, leaving source at the first vertex. Throws InputError.
PlyLayout read_ply_header(LineSource& source);

// Hands over the vertices of source (at the first, after read_ply_header)
// as x, y, z (z 0 where the file has none) in blocks of at most
// block_points. Throws InputError when the file ends first or an ASCII
// value is not a number.
void read_ply_vertices(LineSource& source, const PlyLayout& layout, const PointBlock& block,
                       std::size_t block_points = std::size_t{1} << 16);

// Every vertex of the PLY file source: x, y and z when it has z. Throws
// InputError.
PointSet read_ply_points(LineSource& source);

}  // namespace d2dcli
