// Lines of a file or of standard input, read in large blocks. A line is
// handed out as a view into the block, without its line end (LF or CR LF);
// nothing is copied per line, which keeps reading ten million points within
// a few seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace d2dcli {

class LineSource {
public:
    // fd stays owned by the caller; name is used in messages. block_size is
    // the size of one read (tests make it tiny to exercise block edges).
    LineSource(int fd, std::string name, std::size_t block_size = std::size_t{4} << 20);

    // The next line, or false at the end of the input. Throws InputError
    // when the input cannot be read.
    bool next_line(std::string_view& line) {
        const char* newline = static_cast<const char*>(std::memchr(buffer_.data() + begin_, '\n', end_ - begin_));
        if (newline == nullptr) {
            return next_line_after_refill(line);
        }
        hand_out(newline, line);
        return true;
    }

    // 1-based number of the line last handed out.
    std::size_t line_number() const { return line_number_; }
    // The input's size in bytes; 0 when unknown (a pipe).
    std::uint64_t total_size() const { return total_; }
    const std::string& name() const { return name_; }

    // The start of the input, read ahead without consuming it, so that a
    // format can be recognised from content (at most one block).
    std::string_view peek();

    // Binary inputs (LAS, binary PLY) read bytes rather than lines, from
    // the same buffer, so that a header read as lines (PLY's) or the start
    // peeked at is not lost. Reads up to size bytes into out; fewer only at
    // the end of the input. Throws InputError when the input cannot be read.
    std::size_t read_bytes(void* out, std::size_t size);
    // Bytes handed out so far (as lines or bytes): where the next read starts.
    std::uint64_t position() const { return bytes_read_ - (end_ - begin_); }

    // Called after each block is read with the bytes read so far and the
    // input's size (0 when unknown, as for a pipe).
    void on_block(std::function<void(std::uint64_t bytes_read, std::uint64_t total)> report) {
        report_ = std::move(report);
    }

private:
    void hand_out(const char* newline, std::string_view& line) {
        std::size_t length = static_cast<std::size_t>(newline - (buffer_.data() + begin_));
        std::size_t next = begin_ + length + 1;
        if (length > 0 && buffer_[begin_ + length - 1] == '\r') {
            --length;
        }
        line = std::string_view(buffer_.data() + begin_, length);
        begin_ = next;
        ++line_number_;
    }
    bool next_line_after_refill(std::string_view& line);
    // Moves unread bytes to the front and reads one more block; false at end.
    bool refill();

    int fd_;
    std::string name_;
    std::size_t block_size_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read
    bool at_end_ = false;
    std::size_t line_number_ = 0;
    std::uint64_t bytes_read_ = 0;
    std::uint64_t total_ = 0;
    std::function<void(std::uint64_t, std::uint64_t)> report_;
};

}  // namespace d2dcli
