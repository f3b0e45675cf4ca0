// Progress of a long run on standard error, one line rewritten in place, and
// only when standard error is a terminal: logs and pipes stay clean.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace d2dcli {

class ProgressMeter {
public:
    // Shows nothing unless enabled and standard error is a terminal.
    explicit ProgressMeter(bool enabled);
    ~ProgressMeter() { clear(); }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    bool active() const { return active_; }
    // "stage: 42%", at most ten times a second.
    void show(std::string_view stage, double fraction);
    // A stage whose share of the work cannot be measured.
    void show(std::string_view text);
    // Removes the line, before anything else is written to standard error.
    void clear();

private:
    void draw(const std::string& line);

    bool active_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace d2dcli
