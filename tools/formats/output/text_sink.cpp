#include "formats/output/text_sink.hpp"

#include <utility>

#include "formats/output/output_error.hpp"
#include "formats/output/write_all.hpp"

namespace d2dcli {

namespace {
constexpr std::size_t block_size = std::size_t{1} << 20;
}

TextSink::TextSink(int fd, std::string name) : fd_(fd), name_(std::move(name)), buffer_(block_size) {}

void TextSink::flush() {
    if (const int error = write_all(fd_, buffer_.data(), used_); error != 0) {
        throw_output_error(name_, "cannot write", error);
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
