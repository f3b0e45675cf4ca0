#include "formats/read/las_header.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/read/input_error.hpp"
#include "formats/read/las_coordinate_system.hpp"

namespace d2dcli {

namespace {

// Header sizes: what versions 1.0 to 1.2, 1.3 and 1.4 define.
constexpr std::uint32_t header_size_10 = 227;
constexpr std::uint32_t header_size_13 = 235;
constexpr std::uint32_t header_size_14 = 375;
constexpr std::size_t vlr_header_size = 54;
constexpr std::size_t evlr_header_size = 60;
// LASzip marks a compressed file by setting bit 7 (and older writers bit
// 6) of the point format.
constexpr unsigned compressed_bits = 0xC0;
// The largest WKT record read from an EVLR; a coordinate system's WKT is a
// few kilobytes, and a longer record is not one.
constexpr std::uint64_t most_wkt_bytes = std::uint64_t{1} << 20;

constexpr std::uint16_t wkt_record = 2112;
constexpr std::uint16_t geotiff_keys_record = 34735;

std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t u64(const unsigned char* p) { return u32(p) | (static_cast<std::uint64_t>(u32(p + 4)) << 32); }
double f64(const unsigned char* p) {
    const std::uint64_t bits = u64(p);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

[[noreturn]] void refuse(const LineSource& source, const std::string& what) {
    throw InputError(source.name() + ": " + what);
}

void read_exactly(LineSource& source, unsigned char* out, std::size_t size, const char* what) {
    if (source.read_bytes(out, size) != size) {
        refuse(source, std::string("the file ends inside ") + what);
    }
}

bool is_projection(const unsigned char* user_id) {
    // The user id is 16 bytes, NUL-padded.
    static const char name[] = "LASF_Projection";
    return std::memcmp(user_id, name, sizeof name - 1) == 0 && user_id[sizeof name - 1] == 0;
}

// Takes a projection record's body into header: WKT outranks GeoTIFF keys.
void take_projection(LasHeader& header, std::uint16_t record, const std::vector<unsigned char>& body) {
    if (record == wkt_record) {
        // The text ends at its NUL, or with the record.
        const auto end = std::find(body.begin(), body.end(), static_cast<unsigned char>(0));
        header.wkt.assign(body.begin(), end);
        const int code = epsg_of_wkt(header.wkt);
        if (code > 0) {
            header.epsg = code;
        }
    } else if (record == geotiff_keys_record && header.wkt.empty()) {
        const int code = epsg_of_geotiff_keys(body.data(), body.size());
        if (code > 0) {
            header.epsg = code;
        }
    }
}

}  // namespace

std::uint32_t las_minimum_record_length(int point_format) {
    static const std::uint32_t lengths[11] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};
    return point_format >= 0 && point_format <= 10 ? lengths[point_format] : 0;
}

bool looks_like_las(const void* bytes, std::size_t size) {
    return size >= 4 && std::memcmp(bytes, "LASF", 4) == 0;
}

void skip_bytes(LineSource& source, std::uint64_t size, const char* what) {
    unsigned char scratch[1 << 14];
    // Each turn takes up to sizeof scratch bytes off size, or stops.
    while (size > 0) {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof scratch));
        read_exactly(source, scratch, take, what);
        size -= take;
    }
}

LasHeader read_las_header(LineSource& source) {
    const std::string& name = source.name();
    if (name.size() > 4 && (name.compare(name.size() - 4, 4, ".laz") == 0 || name.compare(name.size() - 4, 4, ".LAZ") == 0)) {
        refuse(source, "LAZ is compressed; decompress it to LAS first (for example with laszip or pdal translate)");
    }
    LasHeader header;
    unsigned char bytes[header_size_14] = {};
    const std::size_t got = source.read_bytes(bytes, header_size_10);
    if (!looks_like_las(bytes, got)) {
        refuse(source, "not a LAS file: it does not begin with \"LASF\"");
    }
    if (got < header_size_10) {
        refuse(source, "the file ends inside its LAS header (" + std::to_string(got) + " of " +
                           std::to_string(header_size_10) + " bytes)");
    }
    const int major = bytes[24];
    header.version_minor = bytes[25];
    if (major != 1 || header.version_minor > 4) {
        refuse(source, "LAS version " + std::to_string(major) + "." + std::to_string(header.version_minor) +
                           " is not one this program reads (1.0 to 1.4)");
    }
    const std::string version = "LAS 1." + std::to_string(header.version_minor);
    header.header_size = u16(bytes + 94);
    const std::uint32_t needed = header.version_minor >= 4   ? header_size_14
                                 : header.version_minor == 3 ? header_size_13
                                                             : header_size_10;
    if (header.header_size < needed) {
        refuse(source, "the header size is " + std::to_string(header.header_size) + " bytes; a " + version +
                           " header has " + std::to_string(needed));
    }
    read_exactly(source, bytes + header_size_10, needed - header_size_10, "its LAS header");
    skip_bytes(source, header.header_size - needed, "its LAS header");

    header.point_offset = u32(bytes + 96);
    const std::uint32_t vlr_count = u32(bytes + 100);
    const unsigned format_byte = bytes[104];
    header.record_length = u16(bytes + 105);
    if ((format_byte & compressed_bits) != 0) {
        refuse(source, "LAZ is compressed; decompress it to LAS first (for example with laszip or pdal translate)");
    }
    header.point_format = static_cast<int>(format_byte);
    if (header.point_format > 10) {
        refuse(source, "point data record format " + std::to_string(header.point_format) +
                           " is not one LAS defines (0 to 10)");
    }
    const std::uint32_t shortest = las_minimum_record_length(header.point_format);
    if (header.record_length < shortest) {
        refuse(source, "point records of " + std::to_string(header.record_length) + " bytes are too short for format " +
                           std::to_string(header.point_format) + ", whose records hold " + std::to_string(shortest));
    }
    header.point_count = u32(bytes + 107);
    if (header.version_minor >= 4) {
        const std::uint64_t count = u64(bytes + 247);
        if (count != 0 || header.point_count == 0) {
            header.point_count = count;
        }
        header.evlr_start = u64(bytes + 235);
        header.evlr_count = u32(bytes + 243);
    }
    static const char axis[] = "xyz";
    for (int i = 0; i < 3; ++i) {
        header.scale[i] = f64(bytes + 131 + 8 * i);
        header.offset[i] = f64(bytes + 155 + 8 * i);
        header.max[i] = f64(bytes + 179 + 16 * i);
        header.min[i] = f64(bytes + 187 + 16 * i);
        if (!std::isfinite(header.scale[i]) || header.scale[i] == 0.0 || !std::isfinite(header.offset[i])) {
            refuse(source, std::string("the header's ") + axis[i] + " scale or offset is not a finite number (or the "
                           "scale is 0)");
        }
    }
    if (header.point_offset < header.header_size) {
        refuse(source, "the point data starts at byte " + std::to_string(header.point_offset) +
                           ", inside the header of " + std::to_string(header.header_size) + " bytes");
    }
    // The counts against the file's size, before anything is allocated
    // for them (a pipe's size is not known: reading finds its end).
    const std::uint64_t total = source.total_size();
    if (total > 0) {
        const std::uint64_t room = total > header.point_offset ? total - header.point_offset : 0;
        if (header.point_count > room / header.record_length) {
            refuse(source, "the header counts " + std::to_string(header.point_count) + " points of " +
                               std::to_string(header.record_length) + " bytes from byte " +
                               std::to_string(header.point_offset) + "; the file of " + std::to_string(total) +
                               " bytes holds " + std::to_string(room / header.record_length));
        }
    }

    // The VLRs, between the header and the point data.
    std::uint64_t at = header.header_size;
    std::vector<unsigned char> body;
    for (std::uint32_t k = 0; k < vlr_count; ++k) {
        unsigned char record[vlr_header_size];
        if (at + vlr_header_size > header.point_offset) {
            refuse(source, "variable-length record " + std::to_string(k + 1) + " of " + std::to_string(vlr_count) +
                               " runs into the point data");
        }
        read_exactly(source, record, vlr_header_size, "a variable-length record");
        const std::uint16_t length = u16(record + 20);
        at += vlr_header_size;
        if (at + length > header.point_offset) {
            refuse(source, "variable-length record " + std::to_string(k + 1) + " of " + std::to_string(vlr_count) +
                               " runs into the point data");
        }
        if (is_projection(record + 2)) {
            body.assign(length, 0);
            read_exactly(source, body.data(), length, "a variable-length record");
            take_projection(header, u16(record + 18), body);
        } else {
            skip_bytes(source, length, "a variable-length record");
        }
        at += length;
    }
    skip_bytes(source, header.point_offset - at, "the bytes before the point data");
    return header;
}

void read_las_trailing_records(LineSource& source, std::uint64_t at, LasHeader& header) {
    if (header.evlr_count == 0 || header.epsg > 0 || !header.wkt.empty() || header.evlr_start < header.points_end()) {
        return;
    }
    const std::uint64_t total = source.total_size();
    if (at > header.evlr_start) {
        return;
    }
    // Skipped by hand: a file cut before its EVLRs costs the coordinate
    // system, not the points already read.
    unsigned char scratch[1 << 14];
    // Each turn takes up to sizeof scratch bytes off the distance, or stops.
    while (at < header.evlr_start) {
        const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(header.evlr_start - at, sizeof scratch));
        if (source.read_bytes(scratch, take) != take) {
            return;
        }
        at += take;
    }
    std::vector<unsigned char> body;
    for (std::uint32_t k = 0; k < header.evlr_count; ++k) {
        unsigned char record[evlr_header_size];
        if (source.read_bytes(record, evlr_header_size) != evlr_header_size) {
            return;  // a cut EVLR costs the coordinate system, not the points
        }
        at += evlr_header_size;
        const std::uint64_t length = u64(record + 20);
        if (total > 0 && length > total - std::min(total, at)) {
            return;
        }
        const bool wanted = is_projection(record + 2) && length <= most_wkt_bytes;
        if (!wanted) {
            // Waveform data may follow; nothing after it is worth the read.
            if (k + 1 == header.evlr_count || length > most_wkt_bytes) {
                return;
            }
            body.resize(static_cast<std::size_t>(length));
            if (source.read_bytes(body.data(), body.size()) != body.size()) {
                return;
            }
        } else {
            body.assign(static_cast<std::size_t>(length), 0);
            if (source.read_bytes(body.data(), body.size()) != body.size()) {
                return;
            }
            take_projection(header, u16(record + 18), body);
            if (!header.wkt.empty() || header.epsg > 0) {
                return;
            }
        }
        at += length;
    }
}

}  // namespace d2dcli
