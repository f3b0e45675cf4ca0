#include "formats/read/text_columns.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace d2dcli {

namespace {

// Lower case, without surrounding quotes.
std::string plain_name(std::string_view field) {
    if (field.size() >= 2 && (field.front() == '"' || field.front() == '\'') && field.back() == field.front()) {
        field = field.substr(1, field.size() - 2);
    }
    std::string name(field);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

template <std::size_t N>
bool is_one_of(const std::string& name, const std::array<const char*, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

const std::array<const char*, 7> x_names = {"x", "easting", "east", "e", "lon", "long", "longitude"};
const std::array<const char*, 6> y_names = {"y", "northing", "north", "n", "lat", "latitude"};
const std::array<const char*, 7> z_names = {"z", "elevation", "elev", "height", "h", "altitude", "alt"};
const std::array<const char*, 1> w_names = {"w"};

}  // namespace

std::size_t TextColumns::needed() const {
    std::size_t last = std::max(x, y);
    if (z != absent) {
        last = std::max(last, z);
    }
    if (w != absent) {
        last = std::max(last, w);
    }
    return last + 1;
}

std::string TextColumns::describe() const {
    return "x in column " + std::to_string(x + 1) + " and y in column " + std::to_string(y + 1);
}

std::optional<TextColumns> columns_named_by(const ValueFields& header, std::string& problem) {
    TextColumns columns;
    const std::size_t count = header.count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = plain_name(header.field[i]);
        std::size_t* slot = is_one_of(name, x_names)   ? &columns.x
                            : is_one_of(name, y_names) ? &columns.y
                            : is_one_of(name, z_names) ? &columns.z
                            : is_one_of(name, w_names) ? &columns.w
                                                       : nullptr;
        if (slot == nullptr) {
            continue;
        }
        if (*slot != TextColumns::absent) {
            problem = "the header names two columns for the same coordinate: " + quoted(header.field[*slot]) +
                      " and " + quoted(header.field[i]);
            return std::nullopt;
        }
        *slot = i;
    }
    if (columns.x == TextColumns::absent && columns.y == TextColumns::absent) {
        return std::nullopt;  // names that say nothing: the columns go by position
    }
    if (columns.x == TextColumns::absent || columns.y == TextColumns::absent) {
        problem = std::string("the header names a column for ") + (columns.x == TextColumns::absent ? "y" : "x") +
                  " but none for " + (columns.x == TextColumns::absent ? "x" : "y");
        return std::nullopt;
    }
    return columns;
}

}  // namespace d2dcli
