// Vector inputs (GeoJSON, and whatever OGR reads: Shapefile, GeoPackage,
// ...) feature by feature. A reader hands each feature's geometry to a
// FeatureSink; the FeatureCollector below turns them into the points,
// segments and regions of a ConstrainedInput:
//
//   Point, MultiPoint             -> points (a repeated one stays repeated)
//   LineString, MultiLineString   -> chains of segments (breaklines)
//   Polygon, MultiPolygon         -> rings as closed chains, the polygon
//                                    itself (polygon_faces.hpp keeps what
//                                    it covers), and with a label a point
//                                    inside it for its region
//
// Vertices of lines and rings that share x and y (the borders adjacent
// polygons share) become one point, so a polygon layer has no repeated
// points. The sink is an interface of virtual calls only, so that the
// format module, which is opened at run time, calls into the program
// without resolving any of its symbols.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/read/constrained_input.hpp"

namespace d2dcli {

// What the user asked of a vector input.
struct VectorRequest {
    std::string layer;      // empty: the first layer
    std::string z_column;   // empty: z from the geometry's coordinates
    std::string attribute;  // empty: none; else each polygon's region is labelled by it
};

// A feature's values of the attributes the request names.
struct FeatureValues {
    std::optional<double> z;           // the z_column's value, when it has one
    std::optional<std::string> label;  // the attribute's value as text (a number in shortest form)
    bool label_is_number = false;
};

class FeatureSink {
public:
    virtual ~FeatureSink() = default;
    virtual void begin_feature(const FeatureValues& values) = 0;
    // Positions as x, y, z triples; z is NaN where the geometry has none.
    virtual void point(double x, double y, double z) = 0;
    virtual void line(const std::vector<double>& xyz) = 0;
    // A polygon's rings, the outer one first; a ring may repeat its first
    // position at its end or not.
    virtual void polygon(const std::vector<std::vector<double>>& rings) = 0;
    // The coordinate system, as "EPSG:code" (empty: none known).
    virtual void coordinate_system(const std::string& crs) = 0;
};

class FeatureCollector final : public FeatureSink {
public:
    FeatureCollector(std::string name, VectorRequest request);
    void begin_feature(const FeatureValues& values) override;
    void point(double x, double y, double z) override;
    void line(const std::vector<double>& xyz) override;
    void polygon(const std::vector<std::vector<double>>& rings) override;
    void coordinate_system(const std::string& crs) override;
    // The input gathered; throws InputError when it holds no geometry.
    ConstrainedInput finish();

private:
    std::uint32_t vertex(double x, double y, double z);
    std::uint32_t add_point(double x, double y, double z);
    double z_of(double geometry_z) const;

    std::string name_;
    VectorRequest request_;
    ConstrainedInput input_;
    FeatureValues feature_;
    bool any_z_ = false;        // some point has z: every point gets one
    bool any_label_ = false;    // some feature has the attribute
    std::size_t features_ = 0;  // features begun, for messages (from 1)
    std::unordered_map<std::string, std::uint32_t> shared_;  // x and y's bits -> point
    std::unordered_map<std::string, double> label_codes_;  // label -> its region attribute
};

// A point strictly inside the polygon (outer ring first, then holes, each
// as x, y, z triples), or nothing when the rings enclose no area. The
// horizontal line halfway across the widest gap between the vertices'
// y values meets no vertex; the widest stretch of it inside the rings
// (even-odd) has its middle inside and off every edge:
//
//   +---------------------+
//   |     +------+        |
//   a=====b hole c========d    at y_mid the edges give a b c d: inside
//   |     +------+        |    are a..b and c..d (even-odd); the middle
//   +---------------------+    of the widest is the point
std::optional<std::pair<double, double>> point_inside(const std::vector<std::vector<double>>& rings);

}  // namespace d2dcli
