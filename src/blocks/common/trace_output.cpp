#include "blocks/common/trace_output.hpp"

#include <cstdio>
#include <cstring>

#include "blocks/common/trace_format.hpp"

namespace d2d {
namespace {

// The innermost live writer of this thread (writers are stack objects that
// nest strictly), so that a fatal stop can write out pending lines first.
thread_local TraceWriter* innermost_writer = nullptr;

template <std::size_t N>
inline char* put_text(char* out, const char (&text)[N]) {
    std::memcpy(out, text, N - 1);
    return out + (N - 1);
}

}  // namespace

TraceWriter::TraceWriter() noexcept : outer_(innermost_writer) {
    if (outer_ != nullptr) outer_->flush();
    innermost_writer = this;
}

TraceWriter::~TraceWriter() {
    flush();
    innermost_writer = outer_;
}

void TraceWriter::flush() noexcept {
    if (used_ == 0) return;
    std::fwrite(buffer_, 1, used_, stdout);
    used_ = 0;
}

char* TraceWriter::reserve_line() noexcept {
    if (kCapacity - used_ < kMaxLine) flush();
    return buffer_ + used_;
}

void TraceWriter::point_line(const Point3D& p) noexcept {
    char* const begin = reserve_line();
    char* out = put_text(begin, "    point: {x: ");
    out = format_fixed6(p.x, out);
    out = put_text(out, ", y: ");
    out = format_fixed6(p.y, out);
    out = put_text(out, ", z: ");
    out = format_fixed6(p.z, out);
    out = put_text(out, " - ");
    out = format_fixed6(p.w, out);
    out = put_text(out, "}\n");
    used_ += static_cast<std::size_t>(out - begin);
}

void TraceWriter::base_mesh_line(std::size_t length, std::size_t beg, std::size_t end) noexcept {
    char* const begin = reserve_line();
    char* out = put_text(begin, "create mesh, Mesh2D.length: ");
    out = format_unsigned(length, out);
    out = put_text(out, ", beg: ");
    out = format_unsigned(beg, out);
    out = put_text(out, ", end: ");
    out = format_unsigned(end, out);
    *out++ = '\n';
    used_ += static_cast<std::size_t>(out - begin);
}

void TraceWriter::merge_line(std::size_t beg, std::size_t pivot, std::size_t end) noexcept {
    char* const begin = reserve_line();
    char* out = put_text(begin, "merge mesh, [beg: ");
    out = format_unsigned(beg, out);
    out = put_text(out, ", pivot: ");
    out = format_unsigned(pivot - 1, out);
    out = put_text(out, "] <=> [beg: ");
    out = format_unsigned(pivot, out);
    out = put_text(out, ", pivot: ");
    out = format_unsigned(end - 1, out);
    out = put_text(out, "]\n");
    used_ += static_cast<std::size_t>(out - begin);
}

void TraceWriter::flush_thread_writers() noexcept {
    flush_outward_in(innermost_writer);
}

void TraceWriter::flush_outward_in(TraceWriter* writer) noexcept {
    if (writer == nullptr) return;
    flush_outward_in(writer->outer_);
    writer->flush();
}

}  // namespace d2d
