// GeoJSON polygons as points and segments. A small JSON reader of our own:
// GeoJSON needs objects, arrays, strings and numbers, and the program's
// other inputs need no JSON library.
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/read/input_error.hpp"

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

class JsonParser {
 public:
    JsonParser(std::string_view text, const std::string& name) : text_(text), name_(name) {}

    Json document() {
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
    void expect(char c) {
        skip_space();
        if (at_ >= text_.size() || text_[at_] != c) fail(std::string("expected '") + c + "'");
        ++at_;
    }
    Json parse(int depth) {
        if (depth > 64) fail("nested too deeply");
        skip_space();
        if (at_ >= text_.size()) fail("unexpected end of the JSON text");
        Json value;
        const char c = text_[at_];
        if (c == '{') {
            value.kind = Json::Kind::object;
            ++at_;
            skip_space();
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                return value;
            }
            for (;;) {
                skip_space();
                Json key = parse(depth + 1);
                if (key.kind != Json::Kind::string) fail("an object key must be a string");
                expect(':');
                value.members[key.text] = parse(depth + 1);
                skip_space();
                if (at_ < text_.size() && text_[at_] == ',') {
                    ++at_;
                    continue;
                }
                expect('}');
                return value;
            }
        }
        if (c == '[') {
            value.kind = Json::Kind::array;
            ++at_;
            skip_space();
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                return value;
            }
            for (;;) {
                value.items.push_back(parse(depth + 1));
                skip_space();
                if (at_ < text_.size() && text_[at_] == ',') {
                    ++at_;
                    continue;
                }
                expect(']');
                return value;
            }
        }
        if (c == '"') {
            value.kind = Json::Kind::string;
            ++at_;
            while (at_ < text_.size() && text_[at_] != '"') {
                if (text_[at_] == '\\') ++at_;  // escapes are kept as written: only keys and type names are read
                if (at_ < text_.size()) value.text += text_[at_++];
            }
            if (at_ >= text_.size()) fail("unterminated string");
            ++at_;
            return value;
        }
        for (std::string_view word : {"true", "false", "null"}) {
            if (text_.substr(at_, word.size()) == word) {
                at_ += word.size();
                value.kind = word == "null" ? Json::Kind::null : Json::Kind::boolean;
                return value;
            }
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[at_]) != std::string_view::npos) ++at_;
        if (start == at_) fail(std::string("unexpected character '") + c + "'");
        try {
            std::size_t used = 0;
            const std::string number(text_.substr(start, at_ - start));
            value.number = std::stod(number, &used);
            if (used != number.size()) throw std::invalid_argument("");
        } catch (const std::exception&) {
            fail("malformed number");
        }
        value.kind = Json::Kind::number;
        return value;
    }

    std::string_view text_;
    const std::string& name_;
    std::size_t at_ = 0;
};

class PolygonCollector {
 public:
    explicit PolygonCollector(const std::string& name) : name_(name) {}

    void visit(const Json& value) {
        const Json* type = value.member("type");
        if (type == nullptr || type->kind != Json::Kind::string) return;
        if (type->text == "FeatureCollection") {
            if (const Json* features = value.member("features")) {
                for (const Json& feature : features->items) visit(feature);
            }
        } else if (type->text == "Feature") {
            if (const Json* geometry = value.member("geometry")) visit(*geometry);
        } else if (type->text == "GeometryCollection") {
            if (const Json* geometries = value.member("geometries")) {
                for (const Json& geometry : geometries->items) visit(geometry);
            }
        } else if (type->text == "Polygon") {
            if (const Json* rings = value.member("coordinates")) polygon(*rings);
        } else if (type->text == "MultiPolygon") {
            if (const Json* polygons = value.member("coordinates")) {
                for (const Json& rings : polygons->items) polygon(rings);
            }
        }
    }

    ConstrainedInput input;

 private:
    void polygon(const Json& rings) {
        for (const Json& ring : rings.items) {
            std::size_t n = ring.items.size();
            // GeoJSON repeats the first position at the end.
            if (n >= 2 && same(ring.items.front(), ring.items.back())) --n;
            if (n < 3) throw InputError(name_ + ": a polygon ring needs three positions or more");
            const std::size_t first = input.points.size();
            for (std::size_t k = 0; k < n; ++k) {
                const Json& position = ring.items[k];
                if (position.items.size() < 2 || position.items[0].kind != Json::Kind::number ||
                    position.items[1].kind != Json::Kind::number) {
                    throw InputError(name_ + ": a position must be [x, y]");
                }
                input.points.xy.push_back(position.items[0].number);
                input.points.xy.push_back(position.items[1].number);
            }
            for (std::size_t k = 0; k < n; ++k) {
                input.segments.push_back(static_cast<std::uint32_t>(first + k));
                input.segments.push_back(static_cast<std::uint32_t>(first + (k + 1) % n));
            }
        }
    }
    static bool same(const Json& a, const Json& b) {
        return a.items.size() >= 2 && b.items.size() >= 2 && a.items[0].number == b.items[0].number &&
               a.items[1].number == b.items[1].number;
    }

    const std::string& name_;
};

}  // namespace

ConstrainedInput read_geojson(LineSource& source) {
    std::string text;
    std::string_view line;
    while (source.next_line(line)) {
        text += line;
        text += '\n';
    }
    JsonParser parser(text, source.name());
    const Json document = parser.document();
    PolygonCollector collector(source.name());
    collector.visit(document);
    if (collector.input.points.size() == 0) throw InputError(source.name() + ": no Polygon or MultiPolygon in the GeoJSON");
    return collector.input;
}

}  // namespace d2dcli
