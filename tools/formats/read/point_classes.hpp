// The classification values a run keeps (--classes 2,9): LAS records a
// class per point (2 ground, 9 water, ...). An empty choice keeps every
// point.
#pragma once

#include <bitset>
#include <string>
#include <vector>

namespace d2dcli {

class PointClasses {
public:
    PointClasses() = default;
    explicit PointClasses(const std::vector<unsigned>& kept) {
        for (unsigned value : kept) {
            if (value < 256) {
                kept_.set(value);
            }
        }
        all_ = kept.empty();
    }
    bool all() const { return all_; }
    bool keeps(unsigned value) const { return all_ || kept_.test(value & 0xFFu); }

private:
    std::bitset<256> kept_;
    bool all_ = true;
};

}  // namespace d2dcli
