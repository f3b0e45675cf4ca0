// The public header block of a LAS file (versions 1.0 to 1.4) and its
// variable-length records, read as far as a point reader needs them: where
// the point records start, how many there are and how long each is, the
// scale and offset that turn their integers into coordinates, and the
// coordinate system the file records.
//
//   byte 0    "LASF", version, header size, offset to the point data,
//             number of VLRs, point format, record length, legacy count,
//             scale, offset, bounds                       (227 bytes, 1.0)
//   227       start of the waveform data                  (1.3: 235 bytes)
//   235       first EVLR, number of EVLRs, 64-bit count   (1.4: 375 bytes)
//   header    VLRs: 54-byte header, then its body
//   offset    point records, record length bytes each (extra bytes after
//             what the format defines belong to the record)
//   after     EVLRs (1.4): 60-byte header, then its body
//
// Every count is checked against the file's size before it is trusted, so
// that a damaged header is a message and never a huge allocation.
#pragma once

#include <cstdint>
#include <string>

#include "formats/read/line_source.hpp"

namespace d2dcli {

struct LasHeader {
    int version_minor = 0;          // LAS 1.<minor>
    std::uint32_t header_size = 0;
    std::uint32_t point_offset = 0;  // where the first point record starts
    int point_format = 0;            // 0 to 10
    std::uint32_t record_length = 0;
    std::uint64_t point_count = 0;
    double scale[3] = {1, 1, 1};
    double offset[3] = {0, 0, 0};
    double min[3] = {0, 0, 0};  // bounds as the header records them, in
    double max[3] = {0, 0, 0};  // coordinates (scale and offset applied)
    std::uint64_t evlr_start = 0;  // 1.4: where the EVLRs start (0: none)
    std::uint32_t evlr_count = 0;
    // The coordinate system: the OGC WKT record's text when the file has
    // one, and the EPSG code read from it or from the GeoTIFF keys (0 when
    // neither names one).
    std::string wkt;
    int epsg = 0;

    // "EPSG:code" for the outputs that record a coordinate system, or empty.
    std::string crs() const { return epsg > 0 ? "EPSG:" + std::to_string(epsg) : std::string(); }
    // Where the point records end.
    std::uint64_t points_end() const { return point_offset + point_count * record_length; }
};

// The fewest bytes a point record of each format holds.
std::uint32_t las_minimum_record_length(int point_format);

// Whether bytes begin as a LAS file does.
bool looks_like_las(const void* bytes, std::size_t size);

// Reads the header and the VLRs of source, which must be at the file's
// start, and leaves source at the first point record. Throws InputError
// naming the file and what is wrong: not LAS, cut short, LAZ (compressed),
// an unknown version or point format, a record length too short for its
// format, more points than the file holds.
LasHeader read_las_header(LineSource& source);

// Reads the coordinate system from the EVLRs of a LAS 1.4 file when the
// VLRs gave none; source stands at byte at of the file, at or before the
// first EVLR (the end of the point records, or the EVLRs' start itself).
// Records it cannot use are skipped; a cut record costs the coordinate
// system, not the points.
void read_las_trailing_records(LineSource& source, std::uint64_t at, LasHeader& header);

// Skips size bytes of source; throws InputError, saying what was being
// skipped, when the input ends first.
void skip_bytes(LineSource& source, std::uint64_t size, const char* what);

}  // namespace d2dcli
