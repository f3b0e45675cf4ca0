"""The program's vector inputs, made by GDAL's own tools and read back by
GDAL: GeoJSON, Shapefile and GeoPackage written by ogr2ogr from one
GeoJSON, GDAL's CSV export, a feature attribute carried to the triangles,
--layer, z along breaklines in a DEM checked against values known by hand,
and shared polygon borders that raise no warning.

    python3 vector_inputs.py PROGRAM SCRATCH_FOLDER
"""
import json
import os
import subprocess
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()
program, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)
failures = []


def path(name):
    return os.path.join(folder, name)


def run(*args, stdin=None, status=0):
    result = subprocess.run([program, *args], input=stdin, capture_output=True, text=True)
    if result.returncode != status:
        failures.append("%s: exit %d (expected %d): %s" % (" ".join(args), result.returncode, status, result.stderr))
    return result


def check(condition, what):
    if not condition:
        failures.append(what)


def ogr2ogr(*args):
    subprocess.run(["ogr2ogr", *args], check=True, capture_output=True)


# Two squares side by side sharing the border x = 1 (its two vertices
# repeated in both rings), the left one with a square hole; labels of
# text with a blank and of numbers; EPSG:32633 recorded.
def square(x0, y0, x1, y1):
    return [[x0, y0], [x1, y0], [x1, y1], [x0, y1], [x0, y0]]


squares = {"type": "FeatureCollection",
           "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::32633"}},
           "features": [
               {"type": "Feature", "properties": {"name": "New York", "code": 7},
                "geometry": {"type": "Polygon", "coordinates": [square(0, 0, 1, 1), square(0.25, 0.25, 0.5, 0.5)]}},
               {"type": "Feature", "properties": {"name": "Vatican City", "code": 9},
                "geometry": {"type": "Polygon", "coordinates": [square(1, 0, 2, 1)]}}]}
with open(path("squares.geojson"), "w") as f:
    json.dump(squares, f)
points = {"type": "FeatureCollection",
          "features": [{"type": "Feature", "properties": {"name": n, "elev": e},
                        "geometry": {"type": "Point", "coordinates": [x, y]}}
                       for n, x, y, e in [("New York", 0, 0, 10.5), ("Vatican City", 3, 0, 20), ("b", 0, 3, 30),
                                          ("c", 3, 3, 40)]]}
with open(path("points.geojson"), "w") as f:
    json.dump(points, f)
for name in ["squares.shp", "squares.gpkg", "points.csv"]:
    if os.path.exists(path(name)):
        os.remove(path(name))
ogr2ogr("-f", "ESRI Shapefile", path("squares.shp"), path("squares.geojson"))
ogr2ogr("-f", "GPKG", path("squares.gpkg"), path("squares.geojson"), "-nln", "squares")
ogr2ogr("-f", "GPKG", "-update", path("squares.gpkg"), path("points.geojson"), "-nln", "points")
ogr2ogr("-f", "CSV", path("points.csv"), path("points.geojson"), "-lco", "GEOMETRY=AS_XY")

# Every reader: the triangles tile both squares but the hole, each labelled
# by the square it lies in; the shared border raises no warning, even with
# --strict; the CRS reaches the GeoJSON output.
for source in ["squares.geojson", "squares.shp", "squares.gpkg"]:
    for attribute, expected in [("name", ("New York", "Vatican City")), ("code", (7, 9))]:
        out = path("labelled_%s_%s.geojson" % (source.replace(".", "_"), attribute))
        result = run(path(source), "--attribute", attribute, "--strict", "-o", out)
        check(result.stderr == "", "%s: a warning on shared borders: %s" % (source, result.stderr))
        if not os.path.exists(out):
            continue
        dataset = ogr.Open(out)
        layer = dataset.GetLayer(0)
        area = 0.0
        srs = layer.GetSpatialRef()
        check(srs is not None and srs.GetAuthorityCode(None) == "32633", "%s: CRS not carried" % source)
        for feature in layer:
            geometry = feature.GetGeometryRef()
            area += geometry.GetArea()
            centre = geometry.Centroid()
            want = expected[0] if centre.GetX() < 1 else expected[1]
            check(feature.GetField(attribute) == want,
                  "%s: triangle at %s labelled %r, not %r" % (source, centre.ExportToWkt(), feature.GetField(attribute), want))
        check(abs(area - (2 - 0.0625)) < 1e-12, "%s: the triangles cover %r, not 1.9375" % (source, area))

# A layer of adjacent polygons keeps every one of them: the middle square
# of a 3 x 3 grid lies two borders in from outside, where rings nesting
# even-odd would make it a hole.
grid = {"type": "FeatureCollection", "features": [
    {"type": "Feature", "properties": {"cell": 3 * i + j}, "geometry": {"type": "Polygon",
     "coordinates": [square(i, j, i + 1, j + 1)]}} for i in range(3) for j in range(3)]}
result = run("-", "--attribute", "cell", "--strict", "-o", path("grid.geojson"), stdin=json.dumps(grid))
check(result.stderr == "", "a grid of polygons: " + result.stderr)
with open(path("grid.geojson")) as f:
    cells = json.load(f)["features"]
check(len(cells) == 18, "a grid of 9 squares gives %d triangles, not 18" % len(cells))
for feature in cells:
    corners = feature["geometry"]["coordinates"][0][:3]
    x, y = sum(p[0] for p in corners) / 3, sum(p[1] for p in corners) / 3
    check(feature["properties"]["cell"] == 3 * int(x) + int(y), "grid: %r" % feature["properties"])

# --layer picks the GeoPackage's point layer; a wrong name lists the layers.
result = run(path("squares.gpkg"), "--layer", "points")
check("points read       4" in result.stdout and "triangles         2" in result.stdout, "--layer points: " + result.stdout)
result = run(path("squares.gpkg"), "--layer", "roads", status=1)
check("no layer 'roads' (--layer); its layers: 'squares', 'points'" in result.stderr, "--layer roads: " + result.stderr)

# GDAL's CSV export (header "X,Y,name,elev", quoted numbers, a name with a
# blank) reads back as the points it came from, z from --z-column.
result = run(path("points.csv"), "--z-column", "elev", "-o", path("points.json"))
with open(path("points.json")) as f:
    mesh = json.load(f)
check(sorted(map(tuple, mesh["points"])) == [(0, 0, 10.5), (0, 3, 30), (3, 0, 20), (3, 3, 40)],
      "GDAL's CSV: %r" % mesh["points"])

# Points given twice still warn; GeoJSON on standard input is read.
twice = dict(points, features=points["features"] + points["features"][:1])
result = run("-", "-o", path("twice.off"), stdin=json.dumps(twice))
check("1 point left out (1 repeated" in result.stderr, "a repeated point: " + result.stderr)
run("-", "-o", path("twice.off"), "--strict", stdin=json.dumps(twice), status=1)

# A DEM with breaklines. The square [0, 4]^2 at height 0 at its corners;
# a breakline along y = 2 at height 10 and one along x = 2 at height 0
# crossing it at (2, 2), where the first one gives z = 10. Every triangle
# then has its corners on y = 0 or 4 (z = 0) and y = 2 (z = 10), so the
# surface is 5y below the line and 20 - 5y above it: at the centres of
# 1-unit cells 2.5, 7.5, 7.5, 2.5 from north to south in every column.
# (Without the breaklines the centre would be a saddle of other values.)
with open(path("breakline.poly"), "w") as f:
    f.write("8 2 1 0\n1 0 0 0\n2 4 0 0\n3 4 4 0\n4 0 4 0\n5 0 2 10\n6 4 2 10\n7 2 0 0\n8 2 4 0\n"
            "2 0\n1 5 6\n2 7 8\n0\n")
lines = {"type": "FeatureCollection", "features": [
    {"type": "Feature", "properties": {}, "geometry": {"type": "MultiPoint", "coordinates": [
        [0, 0, 0], [4, 0, 0], [4, 4, 0], [0, 4, 0]]}},
    {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[0, 2, 10], [4, 2, 10]]}},
    {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[2, 0, 0], [2, 4, 0]]}}]}
with open(path("breakline.geojson"), "w") as f:
    json.dump(lines, f)
ogr2ogr("-f", "GPKG", path("breakline.gpkg"), path("breakline.geojson"), "-nln", "lines")
for source in ["breakline.poly", "breakline.geojson", "breakline.gpkg"]:
    out = path(source.replace(".", "_") + ".tif")
    run(path(source), "-o", out, "--cell", "1")
    if os.path.exists(out):
        raster = gdal.Open(out)
        band = raster.GetRasterBand(1).ReadAsArray().tolist()
        check(band == [[2.5] * 4, [7.5] * 4, [7.5] * 4, [2.5] * 4], "%s: DEM %r" % (source, band))

for failure in failures:
    print("FAIL:", failure)
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
