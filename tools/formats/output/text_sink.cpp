#include "formats/output/text_sink.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {
constexpr std::size_t block_size = std::size_t{1} << 20;
}

void throw_output_error(const std::string& path, const std::string& what, int error_number) {
    throw OutputError(path + ": " + what + ": " + std::strerror(error_number));
}

TextSink::TextSink(int fd, std::string name) : fd_(fd), name_(std::move(name)), buffer_(block_size) {}

void TextSink::flush() {
    const char* next = buffer_.data();
    std::size_t left = used_;
    while (left > 0) {
        ssize_t written = ::write(fd_, next, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw_output_error(name_, "cannot write", errno);
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    used_ = 0;
}

void TextSink::make_room(std::size_t size) {
    flush();
    if (size > buffer_.size()) {
        buffer_.resize(size);
    }
}

}  // namespace d2dcli
