#include "formats/read/ply_points.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read/input_error.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {

namespace {

// The PLY type names (the old and the sized spelling) and their sizes;
// a type's code is its index in the first list.
constexpr const char* type_names[8] = {"char", "uchar", "short", "ushort", "int", "uint", "float", "double"};
constexpr const char* sized_names[8] = {"int8", "uint8", "int16", "uint16", "int32", "uint32", "float32", "float64"};
constexpr std::size_t type_sizes[8] = {1, 1, 2, 2, 4, 4, 4, 8};
constexpr std::size_t most_block_bytes = std::size_t{4} << 20;

int type_named(std::string_view name) {
    for (int i = 0; i < 8; ++i) {
        if (name == type_names[i] || name == sized_names[i]) {
            return i;
        }
    }
    return -1;
}

struct Property {
    std::string name;
    int type = -1;
    bool list = false;
};

struct Element {
    std::string name;
    std::uint64_t count = 0;
    std::vector<Property> properties;
    bool has_list() const {
        return std::any_of(properties.begin(), properties.end(), [](const Property& p) { return p.list; });
    }
    std::size_t record_size() const {
        std::size_t size = 0;
        for (const Property& p : properties) {
            size += type_sizes[p.type];
        }
        return size;
    }
};

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t", at);
        if (begin == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        at = end;
    }
    return words;
}

[[noreturn]] void refuse_line(const LineSource& source, const std::string& what) {
    throw_input_error(source.name(), source.line_number(), what);
}

[[noreturn]] void refuse(const LineSource& source, const std::string& what) {
    throw InputError(source.name() + ": " + what);
}

// Refuses count records of size bytes that the rest of the file cannot
// hold (when its size is known), before anything is read or allocated.
void check_room(const LineSource& source, std::uint64_t count, std::size_t size, const std::string& what) {
    const std::uint64_t total = source.total_size();
    if (total == 0 || size == 0) {
        return;
    }
    const std::uint64_t room = total - std::min(total, source.position());
    if (count > room / size) {
        refuse(source, "the header counts " + std::to_string(count) + " " + what + " of " + std::to_string(size) +
                           " bytes; the file holds " + std::to_string(room / size));
    }
}

double value_at(const unsigned char* p, int type, bool swap) {
    unsigned char b[8];
    const std::size_t size = type_sizes[type];
    std::memcpy(b, p, size);
    if (swap) {
        std::reverse(b, b + size);
    }
    switch (type) {
        case 0: { std::int8_t v; std::memcpy(&v, b, 1); return v; }
        case 1: { std::uint8_t v; std::memcpy(&v, b, 1); return v; }
        case 2: { std::int16_t v; std::memcpy(&v, b, 2); return v; }
        case 3: { std::uint16_t v; std::memcpy(&v, b, 2); return v; }
        case 4: { std::int32_t v; std::memcpy(&v, b, 4); return v; }
        case 5: { std::uint32_t v; std::memcpy(&v, b, 4); return v; }
        case 6: { float v; std::memcpy(&v, b, 4); return static_cast<double>(v); }
        default: { double v; std::memcpy(&v, b, 8); return v; }
    }
}

}  // namespace

bool looks_like_ply(const char* bytes, std::size_t size) {
    return size >= 4 && std::memcmp(bytes, "ply", 3) == 0 && (bytes[3] == '\n' || bytes[3] == '\r');
}

PlyLayout read_ply_header(LineSource& source) {
    PlyLayout layout;
    std::string_view line;
    if (!source.next_line(line) || line != "ply") {
        refuse(source, "not a PLY file: it does not begin with a line \"ply\"");
    }
    std::vector<Element> elements;
    bool format_read = false;
    // Each turn takes one line of the header; the input's end ends it.
    for (;;) {
        if (!source.next_line(line)) {
            refuse(source, "the file ends inside its PLY header (no end_header)");
        }
        const std::vector<std::string_view> words = words_of(line);
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info") {
            continue;
        }
        if (words[0] == "end_header") {
            break;
        }
        if (words[0] == "format" && words.size() == 3) {
            if (words[1] == "ascii") {
                layout.encoding = PlyLayout::Encoding::ascii;
            } else if (words[1] == "binary_little_endian") {
                layout.encoding = PlyLayout::Encoding::little_endian;
            } else if (words[1] == "binary_big_endian") {
                layout.encoding = PlyLayout::Encoding::big_endian;
            } else {
                refuse_line(source, "unknown PLY format " + quoted(words[1]) +
                                        " (ascii, binary_little_endian, binary_big_endian)");
            }
            format_read = true;
        } else if (words[0] == "element" && words.size() == 3) {
            std::int64_t count = 0;
            if (!parse_integer(words[2], count) || count < 0) {
                refuse_line(source, "the element's count is not a count: " + quoted(words[2]));
            }
            elements.push_back({std::string(words[1]), static_cast<std::uint64_t>(count), {}});
        } else if (words[0] == "property" && !elements.empty() &&
                   (words.size() == 3 || (words.size() == 5 && words[1] == "list"))) {
            Property property;
            property.list = words.size() == 5;
            property.name = std::string(words.back());
            property.type = type_named(words[property.list ? 3 : 1]);
            if (property.type < 0 || (property.list && type_named(words[2]) < 0)) {
                refuse_line(source, "unknown PLY property type in " + quoted(line));
            }
            elements.back().properties.push_back(property);
        } else {
            refuse_line(source, "not a line of a PLY header: " + quoted(line));
        }
    }
    if (!format_read) {
        refuse(source, "the PLY header has no format line");
    }
    const bool ascii = layout.encoding == PlyLayout::Encoding::ascii;
    auto vertex = std::find_if(elements.begin(), elements.end(), [](const Element& e) { return e.name == "vertex"; });
    if (vertex == elements.end()) {
        refuse(source, "the PLY file has no element vertex");
    }
    if (vertex->has_list()) {
        refuse(source, "the PLY vertices have a list property; only fixed-size vertices are read");
    }
    std::size_t offset = 0;
    for (std::size_t i = 0; i < vertex->properties.size(); ++i) {
        const Property& property = vertex->properties[i];
        static const char* const axes[3] = {"x", "y", "z"};
        for (int axis = 0; axis < 3; ++axis) {
            if (property.name == axes[axis]) {
                layout.at[axis] = ascii ? i : offset;
                layout.type[axis] = property.type;
            }
        }
        offset += type_sizes[property.type];
    }
    if (layout.type[0] < 0 || layout.type[1] < 0) {
        refuse(source, "the PLY vertices have no property x or no property y");
    }
    layout.record_size = offset;
    layout.columns = vertex->properties.size();
    layout.vertex_count = vertex->count;

    // What comes before the vertices (rare) is skipped whole.
    for (auto element = elements.begin(); element != vertex; ++element) {
        if (ascii) {
            // Each turn reads one line of the element's count, or stops.
            for (std::uint64_t i = 0; i < element->count; ++i) {
                if (!source.next_line(line)) {
                    refuse(source, "the file ends inside the element " + quoted(element->name));
                }
            }
            continue;
        }
        if (element->has_list()) {
            refuse(source, "the element " + quoted(element->name) +
                               " before the vertices has a list property; only fixed-size elements are skipped");
        }
        check_room(source, element->count, element->record_size(), quoted(element->name) + " records");
        std::vector<unsigned char> scratch(std::size_t{1} << 14);
        std::uint64_t left = element->count * element->record_size();
        // Each turn takes up to the scratch's size off left, or stops.
        while (left > 0) {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, scratch.size()));
            if (source.read_bytes(scratch.data(), take) != take) {
                refuse(source, "the file ends inside the element " + quoted(element->name));
            }
            left -= take;
        }
    }
    if (!ascii) {
        check_room(source, layout.vertex_count, layout.record_size, "vertices");
    }
    return layout;
}

void read_ply_vertices(LineSource& source, const PlyLayout& layout, const PointBlock& block, std::size_t block_points) {
    block_points = std::max<std::size_t>(block_points, 1);
    std::vector<double> xyz(3 * block_points);
    const int axes = layout.has_z() ? 3 : 2;
    if (layout.encoding == PlyLayout::Encoding::ascii) {
        ValueFields fields;
        std::string_view line;
        std::size_t filled = 0;
        // Each turn reads one vertex line of the count, or stops.
        for (std::uint64_t done = 0; done < layout.vertex_count; ++done) {
            if (!source.next_line(line)) {
                refuse(source, "the file ends after " + std::to_string(done) + " of its " +
                                   std::to_string(layout.vertex_count) + " vertices");
            }
            if (split_fields(line, fields) != nullptr || fields.count < layout.columns) {
                refuse_line(source, "a vertex line needs " + std::to_string(layout.columns) + " values");
            }
            xyz[3 * filled + 2] = 0.0;
            for (int axis = 0; axis < axes; ++axis) {
                double& value = xyz[3 * filled + static_cast<std::size_t>(axis)];
                if (!parse_double(fields.field[layout.at[axis]], value)) {
                    refuse_line(source, "not a number: " + quoted(fields.field[layout.at[axis]]));
                }
            }
            if (++filled == block_points) {
                block(xyz.data(), filled);
                filled = 0;
            }
        }
        if (filled > 0) {
            block(xyz.data(), filled);
        }
        return;
    }
    const bool swap = (layout.encoding == PlyLayout::Encoding::big_endian) != (std::endian::native == std::endian::big);
    const std::size_t size = layout.record_size;
    // A vertex of many properties is long: the block is held to a few MB.
    block_points = std::min(block_points, std::max<std::size_t>(1, most_block_bytes / size));
    std::vector<unsigned char> records(block_points * size);
    // Each turn reads up to block_points vertices of the count.
    for (std::uint64_t done = 0; done < layout.vertex_count;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(block_points, layout.vertex_count - done));
        const std::size_t got = source.read_bytes(records.data(), count * size);
        if (got != count * size) {
            refuse(source, "the file ends after " + std::to_string(done + got / size) + " of its " +
                               std::to_string(layout.vertex_count) + " vertices");
        }
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* record = records.data() + i * size;
            xyz[3 * i + 2] = 0.0;
            for (int axis = 0; axis < axes; ++axis) {
                xyz[3 * i + static_cast<std::size_t>(axis)] = value_at(record + layout.at[axis], layout.type[axis], swap);
            }
        }
        block(xyz.data(), count);
        done += count;
    }
}

PointSet read_ply_points(LineSource& source) {
    const PlyLayout layout = read_ply_header(source);
    PointSet points;
    if (layout.encoding != PlyLayout::Encoding::ascii && source.total_size() > 0) {
        points.xy.reserve(static_cast<std::size_t>(2 * layout.vertex_count));  // checked against the file's size
    }
    read_ply_vertices(source, layout, [&](const double* xyz, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            points.xy.push_back(xyz[3 * i]);
            points.xy.push_back(xyz[3 * i + 1]);
            if (layout.has_z()) {
                points.zw.push_back(xyz[3 * i + 2]);
                points.zw.push_back(0.0);
            }
        }
    });
    points.extra_columns = layout.has_z() ? 1 : 0;
    return points;
}

}  // namespace d2dcli
