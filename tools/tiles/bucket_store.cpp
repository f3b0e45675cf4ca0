#include "tiles/bucket_store.hpp"

#include <algorithm>

namespace d2dcli {

BucketStore::BucketStore(const std::string& folder, std::size_t buckets, std::size_t buffer_points)
    : file_(folder),
      buffer_points_(std::max<std::size_t>(buffer_points, 1)),
      buffers_(buckets),
      chunks_(buckets),
      counts_(buckets, 0) {}

void BucketStore::spill(std::size_t bucket) {
    std::vector<TilePoint>& buffer = buffers_[bucket];
    if (buffer.empty()) {
        return;
    }
    const std::uint64_t at = file_.append(buffer.data(), buffer.size() * sizeof(TilePoint));
    chunks_[bucket].push_back({at, buffer.size()});
    buffer.clear();
}

void BucketStore::finish() {
    for (std::size_t b = 0; b < buffers_.size(); ++b) {
        spill(b);
        std::vector<TilePoint>().swap(buffers_[b]);
    }
}

void BucketStore::read(std::size_t bucket, const std::function<void(const TilePoint*, std::size_t)>& chunk) const {
    std::vector<TilePoint> points;
    for (const Chunk& c : chunks_[bucket]) {
        points.resize(c.count);
        file_.read(c.offset, points.data(), c.count * sizeof(TilePoint));
        chunk(points.data(), points.size());
    }
}

}  // namespace d2dcli
