// The bad triangles waiting for refinement: a queue per bucket (Triangle's
// arrangement), taken lowest bucket first and first in, first out within
// one. Pushing and popping cost O(1) but for the scan to the next non-empty
// bucket, which only moves up between pushes below it; a heap over the
// same order spent a tenth of the refinement in its sift-downs.
#ifndef DELAUNAY2D_OPERATIONS_REFINE_BAD_TRIANGLE_QUEUE_HPP
#define DELAUNAY2D_OPERATIONS_REFINE_BAD_TRIANGLE_QUEUE_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

namespace d2d::operations::refine {

struct BadTriangle {
    uint32_t v[3];   // its vertices, from the smallest number, in order round
    int32_t t;
};

class BadTriangleQueue {
 public:
    // Buckets 0 ... count - 1.
    explicit BadTriangleQueue(size_t count) : buckets_(count) {}

    void push(size_t bucket, const BadTriangle& b) {
        buckets_[bucket].items.push_back(b);
        if (bucket < lowest_) lowest_ = bucket;
        ++size_;
    }
    bool empty() const { return size_ == 0; }
    // The first of the lowest non-empty bucket, removed. Expects !empty().
    BadTriangle pop() {
        while (buckets_[lowest_].head == buckets_[lowest_].items.size()) ++lowest_;
        Bucket& bucket = buckets_[lowest_];
        const BadTriangle b = bucket.items[bucket.head++];
        if (bucket.head == bucket.items.size()) {
            bucket.items.clear();
            bucket.head = 0;
        }
        --size_;
        return b;
    }

 private:
    struct Bucket {
        std::vector<BadTriangle> items;
        size_t head = 0;   // the next to pop
    };
    std::vector<Bucket> buckets_;
    size_t lowest_ = 0;    // no bucket below it holds anything
    size_t size_ = 0;
};

}  // namespace d2d::operations::refine

#endif
