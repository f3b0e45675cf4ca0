// The points of each tile core, sorted out in one pass over the input and
// kept in one scratch file: each core has a small buffer in memory that is
// appended to the file as a chunk when full, and a list of its chunks, so
// that a core is read back by its own chunks alone, whatever the number of
// cores (one file, not one per core).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tiles/scratch_file.hpp"
#include "tiles/tile_grid.hpp"

namespace d2dcli {

class BucketStore {
public:
    // buffer_points: each core's buffer, in points.
    BucketStore(const std::string& folder, std::size_t buckets, std::size_t buffer_points);

    void add(std::size_t bucket, const TilePoint& point) {
        std::vector<TilePoint>& buffer = buffers_[bucket];
        buffer.push_back(point);
        ++counts_[bucket];
        if (buffer.size() == buffer_points_) {
            spill(bucket);
        }
    }
    // Writes every buffer out and frees the buffers' memory.
    void finish();

    std::uint64_t count(std::size_t bucket) const { return counts_[bucket]; }
    // Hands over the bucket's points, chunk by chunk (after finish()).
    void read(std::size_t bucket, const std::function<void(const TilePoint*, std::size_t)>& chunk) const;

private:
    struct Chunk {
        std::uint64_t offset;
        std::uint64_t count;
    };
    void spill(std::size_t bucket);

    ScratchFile file_;
    std::size_t buffer_points_;
    std::vector<std::vector<TilePoint>> buffers_;
    std::vector<std::vector<Chunk>> chunks_;
    std::vector<std::uint64_t> counts_;
};

}  // namespace d2dcli
