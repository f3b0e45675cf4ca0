// An input read in passes rather than held: each pass hands the points over
// block by block in file order, so that a run over more points than memory
// holds reads them as often as it needs, in fixed memory. A reader that can
// be read again (a LAS or binary PLY file, a text file on disk) offers its
// points this way besides its whole-file read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace d2dcli {

// A block of points: x, y, z of each, interleaved (3 doubles a point).
using PointBlock = std::function<void(const double* xyz, std::size_t count)>;

// The extent of an input's points, known after a first pass or from a
// file's header.
struct PointExtent {
    std::uint64_t count = 0;
    double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
};

class PointPasses {
public:
    virtual ~PointPasses() = default;
    // Count and bounds of the points a pass hands over (after any filter
    // such as LAS classes). May read the input once the first time.
    virtual PointExtent extent() = 0;
    // One pass over every point, in file order; blocks of at most a few
    // megabytes. Throws InputError on a malformed input.
    virtual void pass(const PointBlock& block) = 0;
    // What the points' coordinates are in: WKT ("EPSG:code" when the input
    // names only a code), or empty when unknown.
    virtual std::string crs_wkt() const { return {}; }
    // Whether the points carry z (a text file of x y lines does not, and its
    // passes hand over z = 0); known after extent().
    virtual bool has_z() const { return true; }
};

}  // namespace d2dcli
