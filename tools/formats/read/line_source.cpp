#include "formats/read/line_source.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "formats/read/input_error.hpp"

namespace d2dcli {

LineSource::LineSource(int fd, std::string name, std::size_t block_size)
    : fd_(fd), name_(std::move(name)), block_size_(block_size < 1 ? 1 : block_size), buffer_(block_size_) {
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
        total_ = static_cast<std::uint64_t>(status.st_size);
    }
}

bool LineSource::refill() {
    if (at_end_) {
        return false;
    }
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    // A line longer than the buffer makes the buffer grow: lines are never cut.
    if (buffer_.size() - end_ < block_size_) {
        buffer_.resize(end_ + block_size_);
    }
    for (;;) {
        ssize_t got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw InputError(name_ + ": cannot read: " + std::strerror(errno));
        }
        if (got == 0) {
            at_end_ = true;
            return false;
        }
        end_ += static_cast<std::size_t>(got);
        bytes_read_ += static_cast<std::uint64_t>(got);
        if (report_) {
            report_(bytes_read_, total_);
        }
        return true;
    }
}

bool LineSource::next_line_after_refill(std::string_view& line) {
    for (;;) {
        std::size_t searched = end_ - begin_;
        bool more = refill();
        const char* newline =
            static_cast<const char*>(std::memchr(buffer_.data() + begin_ + searched, '\n', end_ - begin_ - searched));
        if (newline != nullptr) {
            hand_out(newline, line);
            return true;
        }
        if (!more) {
            if (begin_ == end_) {
                return false;
            }
            // The last line has no line end.
            if (end_ == buffer_.size()) {
                buffer_.push_back('\n');
            } else {
                buffer_[end_] = '\n';
            }
            ++end_;
            hand_out(buffer_.data() + end_ - 1, line);
            return true;
        }
    }
}

std::size_t LineSource::read_bytes(void* out, std::size_t size) {
    char* to = static_cast<char*>(out);
    std::size_t copied = 0;
    // Each turn copies what the buffer holds or refills it; a refill that
    // adds nothing ends the input, so the loop ends after at most
    // size / block_size + 1 refills.
    while (copied < size) {
        if (begin_ == end_ && !refill()) {
            break;
        }
        const std::size_t take = std::min(size - copied, end_ - begin_);
        std::memcpy(to + copied, buffer_.data() + begin_, take);
        begin_ += take;
        copied += take;
    }
    return copied;
}

std::string_view LineSource::peek() {
    while (end_ - begin_ < block_size_ && refill()) {
    }
    return {buffer_.data() + begin_, end_ - begin_};
}

}  // namespace d2dcli
