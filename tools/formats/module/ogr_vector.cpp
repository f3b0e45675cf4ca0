// Vector files through OGR (built into the format module only, see
// format_module.hpp): every format GDAL reads (Shapefile, GeoPackage, GML,
// KML, FlatGeobuf, ...), one layer of it, handed feature by feature to the
// program's FeatureSink (vector_features.hpp). Curved geometries are
// linearised by OGR first.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "formats/module/format_module_parts.hpp"
#include "formats/output/shortest_number.hpp"
#include "formats/read/input_error.hpp"

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

namespace d2dcli {

namespace {

[[noreturn]] void throw_ogr_error(const std::string& name, const std::string& what) {
    const std::string reason = CPLGetLastErrorMsg();
    throw InputError(name + ": " + what + (reason.empty() ? "" : ": " + reason));
}

struct OgrHandles {
    GDALDatasetH dataset = nullptr;
    OGRFeatureH feature = nullptr;
    ~OgrHandles() {
        if (feature != nullptr) {
            OGR_F_Destroy(feature);
        }
        if (dataset != nullptr) {
            GDALClose(dataset);
        }
        CPLPopErrorHandler();
    }
};

// x, y, z triples of a curve's points; z NaN when the geometry has none.
std::vector<double> positions(OGRGeometryH geometry) {
    const int n = OGR_G_GetPointCount(geometry);
    const bool z = OGR_G_Is3D(geometry) != 0;
    std::vector<double> xyz;
    xyz.reserve(3 * static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        xyz.push_back(OGR_G_GetX(geometry, k));
        xyz.push_back(OGR_G_GetY(geometry, k));
        xyz.push_back(z ? OGR_G_GetZ(geometry, k) : std::nan(""));
    }
    return xyz;
}

// Geometry collections nest at most this deep (a GeometryCollection of
// MultiPolygons is 2); deeper nesting is refused rather than followed.
constexpr int most_depth = 16;

void send(const std::string& name, OGRGeometryH geometry, FeatureSink& sink, int depth) {
    if (geometry == nullptr) {
        return;
    }
    if (depth > most_depth) {
        throw InputError(name + ": geometry collections nest more than " + std::to_string(most_depth) + " deep");
    }
    switch (wkbFlatten(OGR_G_GetGeometryType(geometry))) {
        case wkbPoint: {
            if (OGR_G_IsEmpty(geometry) == 0) {
                const std::vector<double> p = positions(geometry);
                sink.point(p[0], p[1], p[2]);
            }
            break;
        }
        case wkbLineString:
        case wkbLinearRing:
            sink.line(positions(geometry));
            break;
        case wkbPolygon: {
            std::vector<std::vector<double>> rings;
            for (int k = 0; k < OGR_G_GetGeometryCount(geometry); ++k) {
                rings.push_back(positions(OGR_G_GetGeometryRef(geometry, k)));
            }
            if (!rings.empty()) {
                sink.polygon(rings);
            }
            break;
        }
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (int k = 0; k < OGR_G_GetGeometryCount(geometry); ++k) {
                send(name, OGR_G_GetGeometryRef(geometry, k), sink, depth + 1);
            }
            break;
        default: {
            // Curves and surfaces: their linear approximation.
            OGRGeometryH linear = OGR_G_GetLinearGeometry(geometry, 0.0, nullptr);
            if (linear != nullptr && wkbFlatten(OGR_G_GetGeometryType(linear)) != wkbFlatten(OGR_G_GetGeometryType(geometry))) {
                send(name, linear, sink, depth + 1);
            }
            OGR_G_DestroyGeometry(linear);
            break;
        }
    }
}

// The field of that name, or a message listing the layer's fields.
int field_named(const std::string& name, OGRFeatureDefnH definition, const std::string& field, const char* option) {
    const int index = OGR_FD_GetFieldIndex(definition, field.c_str());
    if (index >= 0) {
        return index;
    }
    std::string fields;
    for (int k = 0; k < OGR_FD_GetFieldCount(definition); ++k) {
        fields += (k == 0 ? "" : ", ") + std::string(OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(definition, k)));
    }
    throw InputError(name + ": the layer has no field '" + field + "' (" + option + "); its fields: " +
                     (fields.empty() ? "none" : fields));
}

}  // namespace

void ogr_read_vector(const std::string& path, const VectorRequest& request, FeatureSink& sink) {
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);  // errors become the program's messages, not GDAL's
    OgrHandles ogr;
    ogr.dataset = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (ogr.dataset == nullptr) {
        throw_ogr_error(path, "not a vector file GDAL reads");
    }
    const int layers = GDALDatasetGetLayerCount(ogr.dataset);
    if (layers == 0) {
        throw InputError(path + ": no layer");
    }
    OGRLayerH layer = request.layer.empty() ? GDALDatasetGetLayer(ogr.dataset, 0)
                                            : GDALDatasetGetLayerByName(ogr.dataset, request.layer.c_str());
    if (layer == nullptr) {
        std::string names;
        for (int k = 0; k < layers; ++k) {
            names += (k == 0 ? "'" : ", '") + std::string(OGR_L_GetName(GDALDatasetGetLayer(ogr.dataset, k))) + "'";
        }
        throw InputError(path + ": no layer '" + request.layer + "' (--layer); its layers: " + names);
    }
    if (OGRSpatialReferenceH srs = OGR_L_GetSpatialRef(layer); srs != nullptr) {
        OGRSpatialReferenceH copy = OSRClone(srs);
        if (OSRAutoIdentifyEPSG(copy) == OGRERR_NONE || OSRGetAuthorityCode(copy, nullptr) != nullptr) {
            const char* authority = OSRGetAuthorityName(copy, nullptr);
            const char* code = OSRGetAuthorityCode(copy, nullptr);
            if (authority != nullptr && code != nullptr && std::string(authority) == "EPSG") {
                sink.coordinate_system(std::string("EPSG:") + code);
            }
        }
        OSRDestroySpatialReference(copy);
    }
    OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
    const int z_field = request.z_column.empty() ? -1 : field_named(path, definition, request.z_column, "--z-column");
    const int label_field =
        request.attribute.empty() ? -1 : field_named(path, definition, request.attribute, "--attribute");
    OGR_L_ResetReading(layer);
    while ((ogr.feature = OGR_L_GetNextFeature(layer)) != nullptr) {
        FeatureValues values;
        if (z_field >= 0 && OGR_F_IsFieldSetAndNotNull(ogr.feature, z_field) != 0) {
            values.z = OGR_F_GetFieldAsDouble(ogr.feature, z_field);
        }
        if (label_field >= 0 && OGR_F_IsFieldSetAndNotNull(ogr.feature, label_field) != 0) {
            const OGRFieldType type = OGR_Fld_GetType(OGR_FD_GetFieldDefn(definition, label_field));
            if (type == OFTReal) {
                char digits[max_number_chars];
                values.label = std::string(digits, write_shortest(digits, OGR_F_GetFieldAsDouble(ogr.feature, label_field)));
            } else {
                values.label = OGR_F_GetFieldAsString(ogr.feature, label_field);
            }
            values.label_is_number = type == OFTReal || type == OFTInteger || type == OFTInteger64;
        }
        sink.begin_feature(values);
        send(path, OGR_F_GetGeometryRef(ogr.feature), sink, 0);
        OGR_F_Destroy(ogr.feature);
        ogr.feature = nullptr;
    }
}

}  // namespace d2dcli
