// The EPSG code of the coordinate system a LAS file records, from either of
// its two forms: the GeoTIFF keys record (LASF_Projection 34735), whose
// ProjectedCSTypeGeoKey (3072) or GeographicTypeGeoKey (2048) holds the
// code, or the OGC WKT record (2112), whose outermost AUTHORITY (WKT 1) or
// ID (WKT 2) names it. The outputs record a coordinate system by its EPSG
// code, so a WKT without one is kept as text only.
#pragma once

#include <cstddef>
#include <string_view>

namespace d2dcli {

// The code the GeoTIFF keys name (the projected one first), or 0 when they
// name none, or a user-defined (32767) one. keys is the record's body.
int epsg_of_geotiff_keys(const unsigned char* keys, std::size_t size);

// The EPSG code of WKT's outermost node (of a compound one without a code,
// its first part's), or 0:
//   PROJCS["WGS 84 / UTM zone 33N", GEOGCS[... AUTHORITY["EPSG","4326"]],
//          ..., AUTHORITY["EPSG","32633"]]          -> 32633, not 4326
int epsg_of_wkt(std::string_view wkt);

}  // namespace d2dcli
