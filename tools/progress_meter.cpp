#include "progress_meter.hpp"

#include <unistd.h>

#include <cstdio>

#include "formats/output/printable_text.hpp"

namespace d2dcli {

ProgressMeter::ProgressMeter(bool enabled) : active_(enabled && ::isatty(STDERR_FILENO) == 1) {}

void ProgressMeter::show(std::string_view stage, double fraction) {
    if (!active_) {
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) {
        return;
    }
    last_ = now;
    int percent = static_cast<int>(fraction * 100.0);
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    draw(std::string(stage) + ": " + std::to_string(percent) + "%");
}

void ProgressMeter::show(std::string_view text) {
    if (active_) {
        last_ = std::chrono::steady_clock::now();
        draw(std::string(text));
    }
}

void ProgressMeter::draw(const std::string& line) {
    // Carriage return, the text (a file name in it shown printable), then
    // erase to the end of the line.
    std::fprintf(stderr, "\r%s\033[K", printable(line).c_str());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressMeter::clear() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

}  // namespace d2dcli
