// Triangle's .poly files, read for their points, segments and holes.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/read/input_error.hpp"

namespace d2dcli {
namespace {

bool has_extension(std::string_view path, std::string_view extension) {
    if (path.size() <= extension.size()) return false;
    std::string_view tail = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != extension[i]) return false;
    }
    return true;
}

// The fields of one line, without its comment.
std::vector<std::string_view> fields(std::string_view line) {
    const std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == ',' || line[at] == '\r')) ++at;
        const std::size_t start = at;
        while (at < line.size() && !(line[at] == ' ' || line[at] == '\t' || line[at] == ',' || line[at] == '\r')) ++at;
        if (at > start) out.push_back(line.substr(start, at - start));
    }
    return out;
}

class PolyReader {
 public:
    explicit PolyReader(LineSource& source) : source_(source) {}

    // The next line with fields; throws at the end of the input.
    std::vector<std::string_view> line(const char* what) {
        std::string_view text;
        while (source_.next_line(text)) {
            std::vector<std::string_view> f = fields(text);
            if (!f.empty()) return f;
        }
        throw InputError(source_.name() + ": ends before " + what);
    }
    // The next line with fields, or nothing at the end.
    bool maybe_line(std::vector<std::string_view>& out) {
        std::string_view text;
        while (source_.next_line(text)) {
            out = fields(text);
            if (!out.empty()) return true;
        }
        return false;
    }

    long long integer(std::string_view field, const char* what) const {
        long long value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (error != std::errc() || end != field.data() + field.size()) fail(std::string(what) + " '" + std::string(field) + "' is not an integer");
        return value;
    }
    double number(std::string_view field, const char* what) const {
        try {
            std::size_t used = 0;
            const std::string text(field);
            const double value = std::stod(text, &used);
            if (used != text.size()) throw std::invalid_argument("");
            return value;
        } catch (const std::exception&) {
            fail(std::string(what) + " '" + std::string(field) + "' is not a number");
        }
        return 0.0;
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw InputError(source_.name() + ":" + std::to_string(source_.line_number()) + ": " + what);
    }

 private:
    LineSource& source_;
};

}  // namespace

bool is_poly_path(std::string_view path) { return has_extension(path, ".poly"); }
bool is_geojson_path(std::string_view path) { return has_extension(path, ".geojson"); }

ConstrainedInput read_poly(LineSource& source) {
    PolyReader reader(source);
    ConstrainedInput input;
    std::vector<std::string_view> f = reader.line("the node header");
    const long long count = reader.integer(f[0], "vertex count");
    if (count < 0) reader.fail("negative vertex count");
    if (count == 0) reader.fail("the points are in a separate .node file, which this reader does not follow; put them in the .poly");
    if (f.size() > 1 && reader.integer(f[1], "dimension") != 2) reader.fail("dimension must be 2");
    long long first = 0;
    for (long long k = 0; k < count; ++k) {
        f = reader.line("all vertices are read");
        if (f.size() < 3) reader.fail("a vertex needs a number, x and y");
        const long long number = reader.integer(f[0], "vertex number");
        if (k == 0) {
            if (number != 0 && number != 1) reader.fail("vertices are numbered from 0 or 1");
            first = number;
        }
        if (number != first + k) reader.fail("vertex number " + std::to_string(number) + " out of order");
        input.points.xy.push_back(reader.number(f[1], "x"));
        input.points.xy.push_back(reader.number(f[2], "y"));
    }
    f = reader.line("the segment header");
    const long long segments = reader.integer(f[0], "segment count");
    if (segments < 0) reader.fail("negative segment count");
    for (long long k = 0; k < segments; ++k) {
        f = reader.line("all segments are read");
        if (f.size() < 3) reader.fail("a segment needs a number and two endpoints");
        for (int end = 1; end <= 2; ++end) {
            const long long v = reader.integer(f[static_cast<std::size_t>(end)], "endpoint") - first;
            if (v < 0 || v >= count) reader.fail("segment endpoint " + std::string(f[static_cast<std::size_t>(end)]) + " names no vertex");
            input.segments.push_back(static_cast<std::uint32_t>(v));
        }
    }
    if (!reader.maybe_line(f)) return input;  // the hole section is optional
    const long long holes = reader.integer(f[0], "hole count");
    if (holes < 0) reader.fail("negative hole count");
    for (long long k = 0; k < holes; ++k) {
        f = reader.line("all holes are read");
        if (f.size() < 3) reader.fail("a hole needs a number, x and y");
        input.holes.push_back(reader.number(f[1], "hole x"));
        input.holes.push_back(reader.number(f[2], "hole y"));
    }
    return input;  // a regional attribute section, if any, is not needed
}

}  // namespace d2dcli
