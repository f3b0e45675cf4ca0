// GeoJSON as points, segments and regions (vector_features.hpp). A small
// JSON reader of our own: GeoJSON needs objects, arrays, strings and
// numbers, and the program's other inputs need no JSON library.
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/output/shortest_number.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/value_fields.hpp"
#include "formats/read/vector_features.hpp"

namespace d2dcli {
namespace {

struct Json {
    enum class Kind { null, boolean, number, string, array, object } kind = Kind::null;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json* member(const std::string& key) const {
        const auto found = members.find(key);
        return found == members.end() ? nullptr : &found->second;
    }
};

// The members that carry geometry, the coordinate system, and (when an
// attribute is asked for) the properties. Every other member (bbox, id,
// foreign members) is checked for well-formed JSON and skipped without
// building it, at any depth of nesting.
bool carries_geometry(const std::string& key, bool properties) {
    return key == "type" || key == "features" || key == "geometry" || key == "geometries" ||
           key == "coordinates" || key == "crs" || (properties && key == "properties");
}

// Objects and arrays that carry geometry nest at most this deep (a
// MultiPolygon in a Feature in a FeatureCollection takes 8); skipped
// members may nest deeper.
constexpr int most_geometry_depth = 64;

class JsonParser {
 public:
    JsonParser(std::string_view text, const std::string& name, bool properties)
        : text_(text), name_(name), properties_(properties) {}

    Json document() {
        // A byte-order mark, as some Windows programs write before UTF-8.
        at_ = text_.size() - without_byte_order_mark(text_).size();
        Json value = parse(0);
        skip_space();
        if (at_ != text_.size()) fail("text after the JSON value");
        return value;
    }

 private:
    [[noreturn]] void fail(const std::string& what) const {
        std::size_t line = 1;
        for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) line += text_[i] == '\n' ? 1 : 0;
        throw_input_error(name_, line, what);
    }
    void skip_space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) ++at_;
    }
    bool next_is(char c) {
        skip_space();
        return at_ < text_.size() && text_[at_] == c;
    }
    void expect(char c) {
        if (!next_is(c)) fail(std::string("expected '") + c + "'");
        ++at_;
    }
    // An object's key and its colon.
    std::string key() {
        if (!next_is('"')) fail("an object key must be a string");
        std::string text = string();
        expect(':');
        return text;
    }

    Json parse(int depth, bool keep_all = false) {
        if (depth > most_geometry_depth) {
            fail("the geometry nests more than " + std::to_string(most_geometry_depth) + " objects and arrays deep");
        }
        skip_space();
        if (at_ >= text_.size()) fail("unexpected end of the JSON text");
        Json value;
        const char c = text_[at_];
        if (c == '{') {
            value.kind = Json::Kind::object;
            ++at_;
            if (next_is('}')) {
                ++at_;
                return value;
            }
            do {
                const std::string name = key();
                if (keep_all || carries_geometry(name, properties_)) {
                    // A feature's properties are kept whole: their names are the data's.
                    value.members[name] = parse(depth + 1, keep_all || name == "properties" || name == "crs");
                } else {
                    skip_value();
                }
            } while (comma());
            expect('}');
            return value;
        }
        if (c == '[') {
            value.kind = Json::Kind::array;
            ++at_;
            if (next_is(']')) {
                ++at_;
                return value;
            }
            do {
                value.items.push_back(parse(depth + 1, keep_all));
            } while (comma());
            expect(']');
            return value;
        }
        if (c == '"') {
            value.kind = Json::Kind::string;
            value.text = string();
            return value;
        }
        return scalar();
    }

    bool comma() {
        if (!next_is(',')) return false;
        ++at_;
        return true;
    }

    // Skips one value of any depth without recursion: the closing brackets
    // still due are kept on a stack of the heap. Every pass of the outer
    // loop consumes at least one byte or fails, so it ends within the
    // text's length.
    void skip_value() {
        std::vector<char> due;  // closing brackets, innermost last
        for (;;) {
            skip_space();
            if (at_ >= text_.size()) fail("unexpected end of the JSON text");
            const char c = text_[at_];
            if (c == '{' || c == '[') {
                ++at_;
                const char closing = c == '{' ? '}' : ']';
                if (next_is(closing)) {
                    ++at_;
                } else {
                    due.push_back(closing);
                    if (closing == '}') key();
                    continue;  // to the first value inside
                }
            } else if (c == '"') {
                string();
            } else {
                scalar();
            }
            // A value ended: close what ends with it, then on to the next.
            for (;;) {
                if (due.empty()) return;
                if (comma()) {
                    if (due.back() == '}') key();
                    break;
                }
                expect(due.back());
                due.pop_back();
            }
        }
    }

    // A string at at_, its escapes decoded (\u0067 is g), as UTF-8.
    std::string string() {
        ++at_;  // the opening quote
        std::string text;
        for (;;) {
            if (at_ >= text_.size()) fail("unterminated string");
            const char c = text_[at_++];
            if (c == '"') return text;
            if (c != '\\') {
                text += c;
                continue;
            }
            if (at_ >= text_.size()) fail("unterminated string");
            const char escape = text_[at_++];
            switch (escape) {
                case '"': case '\\': case '/': text += escape; break;
                case 'b': text += '\b'; break;
                case 'f': text += '\f'; break;
                case 'n': text += '\n'; break;
                case 'r': text += '\r'; break;
                case 't': text += '\t'; break;
                case 'u': append_utf8(text, code_point()); break;
                default: fail("unknown escape " + quoted(std::string("\\") + escape) + " in a string");
            }
        }
    }
    // The character of a \u escape (after the u), joining a surrogate pair;
    // a lone surrogate becomes U+FFFD, the replacement character.
    std::uint32_t code_point() {
        std::uint32_t c = hex4();
        if (c >= 0xd800 && c <= 0xdbff && text_.substr(at_, 2) == "\\u") {
            const std::size_t back = at_;
            at_ += 2;
            const std::uint32_t low = hex4();
            if (low >= 0xdc00 && low <= 0xdfff) return 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
            at_ = back;
        }
        return c >= 0xd800 && c <= 0xdfff ? 0xfffd : c;
    }
    std::uint32_t hex4() {
        std::uint32_t value = 0;
        for (int k = 0; k < 4; ++k, ++at_) {
            const char h = at_ < text_.size() ? text_[at_] : '\0';
            const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            if (digit < 0) fail("a \\u escape needs four hexadecimal digits");
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return value;
    }
    static void append_utf8(std::string& text, std::uint32_t c) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xc0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xe0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
            text += static_cast<char>(0x80 | (c & 0x3f));
        } else {
            text += static_cast<char>(0xf0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
            text += static_cast<char>(0x80 | (c & 0x3f));
        }
    }

    // true, false, null or a number; numbers are read as in the other
    // inputs (read_number), subnormals such as 1e-310 included.
    Json scalar() {
        Json value;
        for (std::string_view word : {"true", "false", "null"}) {
            if (text_.substr(at_, word.size()) == word) {
                at_ += word.size();
                value.kind = word == "null" ? Json::Kind::null : Json::Kind::boolean;
                return value;
            }
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[at_]) != std::string_view::npos) ++at_;
        const std::string_view field = text_.substr(start, at_ - start);
        if (field.empty()) fail("unexpected character " + quoted(text_.substr(at_, 1)));
        switch (read_number(field, value.number)) {
            case NumberRead::ok:
                value.kind = Json::Kind::number;
                return value;
            case NumberRead::out_of_range:
                fail("number out of range: " + quoted(field) + " (beyond the largest double, about 1.8e308)");
            case NumberRead::not_a_number:
                break;
        }
        fail("malformed number: " + quoted(field));
    }

    std::string_view text_;
    const std::string& name_;
    bool properties_;
    std::size_t at_ = 0;
};

// "EPSG:code" from the legacy crs member's name ("EPSG:32633",
// "urn:ogc:def:crs:EPSG::32633"); empty for another (CRS84 is GeoJSON's
// own longitude and latitude).
std::string epsg_of(const Json& crs) {
    const Json* properties = crs.member("properties");
    const Json* name = properties != nullptr ? properties->member("name") : nullptr;
    if (name == nullptr || name->kind != Json::Kind::string) return {};
    const std::string& text = name->text;
    const std::size_t at = text.find("EPSG:");
    if (at == std::string::npos) return {};
    const std::size_t digits = text.find_first_of("0123456789", at);
    if (digits == std::string::npos || text.find_first_not_of(':', at + 5) != digits) return {};
    return "EPSG:" + text.substr(digits, text.find_first_not_of("0123456789", digits) - digits);
}

// A property's value as a label's text: strings as they are, numbers in
// their shortest form, booleans as words; null is no label.
std::optional<std::string> label_of(const Json& value, bool& is_number) {
    is_number = false;
    switch (value.kind) {
        case Json::Kind::string:
            return value.text;
        case Json::Kind::number: {
            is_number = true;
            char digits[max_number_chars];
            return std::string(digits, write_shortest(digits, value.number));
        }
        case Json::Kind::boolean:
            return value.number != 0.0 ? "true" : "false";
        default:
            return std::nullopt;
    }
}

class GeometryReader {
 public:
    GeometryReader(const std::string& name, const VectorRequest& request, FeatureSink& sink)
        : name_(name), request_(request), sink_(sink) {}

    void visit(const Json& value) {
        if (const Json* crs = value.member("crs")) sink_.coordinate_system(epsg_of(*crs));
        const Json* type = value.member("type");
        if (type == nullptr || type->kind != Json::Kind::string) return;
        if (type->text == "FeatureCollection") {
            if (const Json* features = value.member("features")) {
                for (const Json& feature : features->items) visit(feature);
            }
        } else if (type->text == "Feature") {
            sink_.begin_feature(values_of(value.member("properties")));
            if (const Json* geometry = value.member("geometry")) geometry_of(*geometry);
        } else {
            sink_.begin_feature(FeatureValues{});
            geometry_of(value);
        }
    }

 private:
    FeatureValues values_of(const Json* properties) const {
        FeatureValues values;
        if (properties == nullptr) return values;
        if (!request_.z_column.empty()) {
            const Json* z = properties->member(request_.z_column);
            if (z != nullptr && z->kind == Json::Kind::number) values.z = z->number;
            double number = 0.0;
            if (z != nullptr && z->kind == Json::Kind::string && parse_double(z->text, number)) values.z = number;
        }
        if (!request_.attribute.empty()) {
            if (const Json* label = properties->member(request_.attribute)) {
                values.label = label_of(*label, values.label_is_number);
            }
        }
        return values;
    }

    void geometry_of(const Json& value) {
        const Json* type = value.member("type");
        if (type == nullptr || type->kind != Json::Kind::string) return;
        const std::string& kind = type->text;
        if (kind == "GeometryCollection") {
            if (const Json* geometries = value.member("geometries")) {
                for (const Json& geometry : geometries->items) geometry_of(geometry);
            }
            return;
        }
        const Json* c = value.member("coordinates");
        if (c == nullptr) return;
        if (kind == "Point") {
            const std::vector<double> p = positions({*c});
            sink_.point(p[0], p[1], p[2]);
        } else if (kind == "MultiPoint") {
            const std::vector<double> p = positions(c->items);
            for (std::size_t k = 0; k < p.size(); k += 3) sink_.point(p[k], p[k + 1], p[k + 2]);
        } else if (kind == "LineString") {
            sink_.line(positions(c->items));
        } else if (kind == "MultiLineString") {
            for (const Json& line : c->items) sink_.line(positions(line.items));
        } else if (kind == "Polygon") {
            polygon(*c);
        } else if (kind == "MultiPolygon") {
            for (const Json& rings : c->items) polygon(rings);
        }
    }

    void polygon(const Json& rings) {
        std::vector<std::vector<double>> xyz;
        for (const Json& ring : rings.items) xyz.push_back(positions(ring.items));
        if (!xyz.empty()) sink_.polygon(xyz);
    }

    // Positions as x, y, z triples (z NaN without a third number).
    std::vector<double> positions(const std::vector<Json>& list) const {
        std::vector<double> xyz;
        xyz.reserve(3 * list.size());
        for (const Json& position : list) {
            if (position.items.size() < 2 || position.items[0].kind != Json::Kind::number ||
                position.items[1].kind != Json::Kind::number) {
                throw InputError(name_ + ": a position must be [x, y] or [x, y, z]");
            }
            xyz.push_back(position.items[0].number);
            xyz.push_back(position.items[1].number);
            const bool z = position.items.size() > 2 && position.items[2].kind == Json::Kind::number;
            xyz.push_back(z ? position.items[2].number : std::nan(""));
        }
        return xyz;
    }

    const std::string& name_;
    const VectorRequest& request_;
    FeatureSink& sink_;
};

}  // namespace

ConstrainedInput read_geojson(LineSource& source, const VectorRequest& request) {
    std::string text;
    std::string_view line;
    while (source.next_line(line)) {
        text += line;
        text += '\n';
    }
    JsonParser parser(text, source.name(), !request.z_column.empty() || !request.attribute.empty());
    const Json document = parser.document();
    FeatureCollector collector(source.name(), request);
    GeometryReader(source.name(), request, collector).visit(document);
    return collector.finish();
}

}  // namespace d2dcli
