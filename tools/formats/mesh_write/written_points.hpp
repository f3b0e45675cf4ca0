// Which points a mesh file holds, and the number each gets there.
//
// By default a file holds the vertices only, in input order: the first of
// several points with equal x and y, and no point with a NaN or infinite
// coordinate, so the files describe the mesh and nothing else. With every
// point kept, point i of the input is point i of the file, whether or not it
// is a vertex, so that a file lines up with the input it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace d2dcli {

struct WrittenPoints {
    static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> input_index;  // in file order: the input point written there
    std::vector<std::uint32_t> number;       // per input point: its place in the file, or none
    // Every input point is written in its own place (the common case); the
    // writers then skip the look-up, which at 10^7 points misses the cache
    // on nearly every vertex.
    bool identity = false;

    std::uint32_t number_of(std::uint32_t input) const { return identity ? input : number[input]; }
};

// vertex_of_point as in MeshView.
WrittenPoints choose_written_points(std::span<const std::int32_t> vertex_of_point, bool keep_all_points);

}  // namespace d2dcli
