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

std::size_t column_named(const ValueFields& header, const std::string& name) {
    for (std::size_t i = 0; i < header.count; ++i) {
        if (unquoted(header.field[i]) == name) {
            return i;
        }
    }
    // Then in any case: "Elevation" for elevation.
    std::string lower = plain_name(name);
    for (std::size_t i = 0; i < header.count; ++i) {
        if (plain_name(unquoted(header.field[i])) == lower) {
            return i;
        }
    }
    return TextColumns::absent;
}

std::optional<TextColumns> columns_named_by(const ValueFields& header, std::string& problem,
                                            const std::string& z_column) {
    TextColumns columns;
    const std::size_t count = header.count;
    if (!z_column.empty()) {
        columns.z = column_named(header, z_column);
        if (columns.z == TextColumns::absent) {
            problem = "the header has no column " + quoted(z_column) + " (--z-column)";
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = plain_name(unquoted(header.field[i]));
        const bool z_named = z_column.empty() && is_one_of(name, z_names);
        std::size_t* slot = is_one_of(name, x_names)   ? &columns.x
                            : is_one_of(name, y_names) ? &columns.y
                            : z_named                  ? &columns.z
                            : is_one_of(name, w_names) ? &columns.w
                                                       : nullptr;
        if (i == columns.z && !z_column.empty()) {
            continue;  // the named z column, whatever its name
        }
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
        if (z_column.empty()) {
            return std::nullopt;  // names that say nothing: the columns go by position
        }
        if (columns.z < 2) {
            problem = "the header names no x and y columns, and --z-column " + quoted(z_column) +
                      " is one of the first two, where x and y then stand";
            return std::nullopt;
        }
        columns.x = 0;  // x and y by position, z by name
        columns.y = 1;
        return columns;
    }
    if (columns.x == TextColumns::absent || columns.y == TextColumns::absent) {
        problem = std::string("the header names a column for ") + (columns.x == TextColumns::absent ? "y" : "x") +
                  " but none for " + (columns.x == TextColumns::absent ? "x" : "y");
        return std::nullopt;
    }
    return columns;
}

}  // namespace d2dcli
