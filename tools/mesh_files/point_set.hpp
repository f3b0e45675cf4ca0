// Points as read from a file: x and y interleaved, which is the layout the
// triangulation takes directly (stride 2), and z and w only when the input
// gave them, since only the traced entry point carries them along.
#pragma once

#include <cstddef>
#include <vector>

namespace d2dcli {

struct PointSet {
    std::vector<double> xy;  // x0 y0 x1 y1 ...
    std::vector<double> zw;  // empty, or z0 w0 z1 w1 ... for every point
    std::size_t size() const { return xy.size() / 2; }
};

}  // namespace d2dcli
