// Progress of a long write, reported as a fraction now and then (a call per
// 64 Ki items at most, so that a report costs nothing next to formatting).
#pragma once

#include <cstddef>
#include <functional>

namespace d2dcli {

using Progress = std::function<void(double fraction)>;

class ProgressSteps {
public:
    ProgressSteps(const Progress& report, std::size_t total) : report_(report), total_(total) {}
    void advance() {
        if ((++done_ & 0xffff) == 0 && report_) {
            report_(total_ == 0 ? 1.0 : static_cast<double>(done_) / static_cast<double>(total_));
        }
    }

private:
    const Progress& report_;
    std::size_t total_;
    std::size_t done_ = 0;
};

}  // namespace d2dcli
