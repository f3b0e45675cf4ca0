// Which columns of a text file hold x, y, z and w. Without a header, or
// with a header whose names say nothing, they are the first two to four
// values of each line. A header that names them (x/y, easting/northing,
// lon/lat, with z as z, elevation or height) picks those columns out
// wherever they stand, and the other columns (an id, a code, a label) are
// skipped, as survey and GIS exports carry them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "formats/read/value_fields.hpp"

namespace d2dcli {

struct TextColumns {
    static constexpr std::size_t absent = static_cast<std::size_t>(-1);
    std::size_t x = absent;
    std::size_t y = absent;
    std::size_t z = absent;
    std::size_t w = absent;

    bool named() const { return x != absent; }
    // The number of values a line needs to hold every named column.
    std::size_t needed() const;
    // "x in column 2 and y in column 3", for messages.
    std::string describe() const;
};

// The columns that a header line names, or nothing when it names neither x
// nor y. A header that names only one of them, or one coordinate twice, is
// an error: problem then says what is wrong.
// With z_column, z is the column of that name, and the usual z names mean
// nothing: a header without it is an error.
std::optional<TextColumns> columns_named_by(const ValueFields& header, std::string& problem,
                                            const std::string& z_column = {});

// The column of the header that bears name (as written, else in any case;
// without quotes), or absent.
std::size_t column_named(const ValueFields& header, const std::string& name);

}  // namespace d2dcli
