// Points as read from a file: x and y interleaved, which is the layout the
// triangulation takes directly (stride 2), and z and w only when the input
// gave them, since only the traced entry point carries them along.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace d2dcli {

// The values of a named id column, as the text they were written in (an id
// may be "P-017" as well as 17), packed end to end: ten million short
// strings of their own would cost more than the coordinates.
struct PointIds {
    std::string name;              // the column's name in the header
    std::string text;              // every id, one after the other
    std::vector<std::size_t> end;  // per point: where its id ends in text

    bool empty() const { return end.empty(); }
    std::string_view at(std::size_t i) const {
        std::size_t begin = i == 0 ? 0 : end[i - 1];
        return std::string_view(text).substr(begin, end[i] - begin);
    }
    void add(std::string_view id) {
        text.append(id);
        end.push_back(text.size());
    }
};

// The labels of a vector input's regions: the attribute's name, and the
// value each region code stands for (code k, from 1, is values[k - 1]; 0
// is no region), written as a JSON number where number[k - 1] says so.
struct RegionLabels {
    std::string name;
    std::vector<std::string> values;
    std::vector<bool> number;
    bool empty() const { return name.empty(); }
};

struct PointSet {
    std::vector<double> xy;  // x0 y0 x1 y1 ...
    std::vector<double> zw;  // empty, or z0 w0 z1 w1 ... for every point
    // How many of z and w the input gave (0, 1 or 2): a w of 0 filled in
    // for a file of "x y z" lines is not a column of the input.
    int extra_columns = 0;
    PointIds ids;            // empty unless an id column was asked for
    std::string z_name;      // z's column name in the header ("elevation"), or empty
    std::size_t size() const { return xy.size() / 2; }
};

}  // namespace d2dcli
