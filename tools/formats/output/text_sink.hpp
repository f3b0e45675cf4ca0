// A buffered writer of text to a file descriptor: large blocks, no locale,
// numbers formatted in place. Writing a mesh of millions of triangles is
// mostly formatting numbers, so the per-number path is kept short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/output/shortest_number.hpp"

namespace d2dcli {

class TextSink {
public:
    // fd stays owned by the caller; name is used in error messages.
    TextSink(int fd, std::string name);
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    void put(std::string_view text) {
        if (text.size() > buffer_.size() - used_) {
            make_room(text.size());
        }
        text.copy(buffer_.data() + used_, text.size());
        used_ += text.size();
    }
    void put(char c) {
        if (used_ == buffer_.size()) {
            flush();
        }
        buffer_[used_++] = c;
    }
    void put_shortest(double value) {
        reserve_number();
        used_ = static_cast<std::size_t>(write_shortest(buffer_.data() + used_, value) - buffer_.data());
    }
    void put_fixed(double value, int digits) {
        reserve_number();
        used_ = static_cast<std::size_t>(write_fixed(buffer_.data() + used_, value, digits) - buffer_.data());
    }
    void put_integer(std::int64_t value) {
        reserve_number();
        used_ = static_cast<std::size_t>(write_integer(buffer_.data() + used_, value) - buffer_.data());
    }

    // Writes out everything buffered; throws OutputError when the system
    // refuses (a full disk, a closed pipe).
    void flush();

    const std::string& name() const { return name_; }

private:
    void reserve_number() {
        if (buffer_.size() - used_ < max_number_chars) {
            flush();
        }
    }
    void make_room(std::size_t size);

    int fd_;
    std::string name_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace d2dcli
