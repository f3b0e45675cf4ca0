"""The raster and mesh controls (--align, --nodata, --clip, --max-edge), the
Thiessen cells cut to the hull or a polygon, and the picture options, each
read back by a reader that is not the program's (GDAL and OGR) and checked
against a count or an area made here independently.

    python3 gis_controls.py PROGRAM SCRATCH_FOLDER
"""
import json
import math
import os
import random
import re
import subprocess
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()
program, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def run(*args):
    return subprocess.run([program, *args], check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def read_raster(name):
    raster = gdal.Open(path(name))
    band = raster.GetRasterBand(1)
    return raster.GetGeoTransform(), band.GetNoDataValue(), band.ReadAsArray().tolist()


# Points off any round number, far from the origin as map coordinates are,
# and a disc's worth of them so that the hull has corners to cut.
random.seed(5)
points = []
while len(points) < 400:
    x, y = random.uniform(-500, 500), random.uniform(-500, 500)
    if x * x + y * y < 480 * 480 or len(points) < 30:
        points.append(tuple(round(v, 3) for v in (431200.3 + x, 5248000.7 + y, 200 + 0.01 * x + 20 * math.sin(y / 90))))
with open(path("survey.csv"), "w") as f:
    f.write("easting,northing,elevation\n")
    for p in points:
        f.write("%.3f,%.3f,%.3f\n" % p)

# --- --align: the origin on whole cells; --nodata recorded and used ---
cell = 7.0
run(path("survey.csv"), "-o", path("plain.tif"), "--cell", "7")
run(path("survey.csv"), "-o", path("aligned.tif"), "--cell", "7", "--align", "--nodata", "-32768")
run(path("survey.csv"), "-o", path("aligned.asc"), "--cell", "7", "--align", "--nodata", "-32768")
(west, dx, _, north, _, dy), nodata, plain = read_raster("plain.tif")
assert nodata == -9999.0, "the default NODATA changed"
assert west % cell != 0.0, "the unaligned grid should start at the points' corner"
(west, dx, _, north, _, dy), nodata, aligned = read_raster("aligned.tif")
assert (dx, dy) == (cell, -cell)
assert west % cell == 0.0 and north % cell == 0.0, (west, north)
xs = [p[0] for p in points]
ys = [p[1] for p in points]
columns, rows = len(aligned[0]), len(aligned)
assert west <= min(xs) < west + cell and west + columns * cell >= max(xs), "the grid does not cover the points"
assert north - rows * cell <= min(ys) < north - rows * cell + cell and north >= max(ys)
assert nodata == -32768.0
assert any(v == -32768.0 for row in aligned for v in row), "no cell holds the NODATA value"
assert not any(v == -9999.0 for row in aligned for v in row)
info = json.loads(subprocess.run(["gdalinfo", "-json", path("aligned.asc")], check=True,
                                 stdout=subprocess.PIPE).stdout)
assert info["bands"][0]["noDataValue"] == -32768.0 and info["geoTransform"][0] == west
_, _, aligned_asc = read_raster("aligned.asc")
assert aligned_asc == aligned, "the ASCII grid and the GeoTIFF differ"

# --- --clip: a polygon with a hole, as GeoJSON; its corners lie off the
# cell centres' lines so no centre sits on a border ---
outer = [(430950.1, 5247700.2), (431500.3, 5247760.4), (431420.5, 5248350.6), (431000.7, 5248250.8)]
hole = [(431150.1, 5247950.2), (431250.3, 5247950.2), (431250.3, 5248050.4), (431150.1, 5248050.4)]
with open(path("clip.geojson"), "w") as f:
    json.dump({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {}, "geometry": {
        "type": "Polygon", "coordinates": [[list(p) for p in outer + outer[:1]],
                                           [list(p) for p in hole + hole[:1]]]}}]}, f)
clip_source = ogr.Open(path("clip.geojson"))  # a layer lives only as long as its source
clip_feature = clip_source.GetLayer().GetNextFeature()  # and a geometry as long as its feature
clip = clip_feature.GetGeometryRef().Clone()
run(path("survey.csv"), "-o", path("clipped.tif"), "--cell", "7", "--clip", path("clip.geojson"))
(west, dx, _, north, _, dy), _, clipped = read_raster("clipped.tif")
inside = outside = 0
for r in range(len(clipped)):
    for c in range(len(clipped[0])):
        centre = ogr.Geometry(ogr.wkbPoint)
        centre.AddPoint_2D(west + (c + 0.5) * dx, north + (r + 0.5) * dy)
        if clip.Contains(centre):
            assert clipped[r][c] == plain[r][c], (r, c)
            inside += plain[r][c] != -9999.0
        else:
            assert clipped[r][c] == -9999.0, (r, c)
            outside += plain[r][c] != -9999.0
assert inside > 1000 and outside > 1000, (inside, outside)

# --- --max-edge: exactly the triangles with an edge longer than L go ---
def read_triangle_files(stem):
    with open(path(stem + ".node")) as f:
        lines = [l.split() for l in f if l.strip() and not l.startswith("#")]
    nodes = {int(l[0]): (float(l[1]), float(l[2])) for l in lines[1:]}
    with open(path(stem + ".ele")) as f:
        lines = [l.split() for l in f if l.strip() and not l.startswith("#")]
    return nodes, [tuple(int(v) for v in l[1:4]) for l in lines[1:]]


longest = 40.0
run(path("survey.csv"), "-o", path("whole.ele"))
run(path("survey.csv"), "-o", path("short.ele"), "--max-edge", str(longest))
nodes, whole = read_triangle_files("whole")
short_nodes, short = read_triangle_files("short")
assert short_nodes == nodes


def longest_edge(t):
    return max(math.dist(nodes[t[k]], nodes[t[(k + 1) % 3]]) for k in range(3))


expected = [t for t in whole if longest_edge(t) <= longest]
assert short == expected, (len(short), len(expected))
assert 0 < len(short) < len(whole)
# The raster keeps the cells whose centres lie in a kept triangle.
run(path("survey.csv"), "-o", path("short.tif"), "--cell", "7", "--max-edge", str(longest))
(west, dx, _, north, _, dy), _, short_grid = read_raster("short.tif")
kept = ogr.Geometry(ogr.wkbMultiPolygon)
for t in short:
    ring = ogr.Geometry(ogr.wkbLinearRing)
    for k in (0, 1, 2, 0):
        ring.AddPoint_2D(*nodes[t[k]])
    triangle = ogr.Geometry(ogr.wkbPolygon)
    triangle.AddGeometry(ring)
    kept.AddGeometry(triangle)
kept = kept.UnionCascaded()
for r in range(len(short_grid)):
    for c in range(len(short_grid[0])):
        centre = ogr.Geometry(ogr.wkbPoint)
        centre.AddPoint_2D(west + (c + 0.5) * dx, north + (r + 0.5) * dy)
        if kept.Contains(centre):
            assert short_grid[r][c] == plain[r][c], (r, c)
        elif not kept.Touches(centre):
            assert short_grid[r][c] == -9999.0, (r, c)
# The GeoJSON of the triangles and the picture leave them out as well.
run(path("survey.csv"), "-o", path("short.geojson"), "--max-edge", str(longest))
short_source = ogr.Open(path("short.geojson"))
assert short_source.GetLayer().GetFeatureCount() == len(short)
run(path("survey.csv"), "-o", path("clipped.ele"), "--clip", path("clip.geojson"))
_, clipped_triangles = read_triangle_files("clipped")
for t in whole:
    centroid = ogr.Geometry(ogr.wkbPoint)
    centroid.AddPoint_2D(sum(nodes[v][0] for v in t) / 3, sum(nodes[v][1] for v in t) / 3)
    assert (t in clipped_triangles) == clip.Contains(centroid), t


# --- Thiessen cells: cut to the hull by default, to --clip when given ---
def cells_of(name):
    source = ogr.Open(path(name))
    return [(f.GetField("index"), f.GetGeometryRef().Clone()) for f in source.GetLayer()]


def union_of(cells):
    union = ogr.Geometry(ogr.wkbMultiPolygon)
    for _, g in cells:
        for k in range(g.GetGeometryCount()) if g.GetGeometryType() != ogr.wkbPolygon else [None]:
            part = g if k is None else g.GetGeometryRef(k)
            if part.GetGeometryType() == ogr.wkbPolygon:
                union.AddGeometry(part)
    return union.UnionCascaded()


run(path("survey.csv"), "-o", path("cells.geojson"), "--voronoi")
cells = cells_of("cells.geojson")
collection = ogr.Geometry(ogr.wkbMultiPoint)
for x, y, _ in points:
    p = ogr.Geometry(ogr.wkbPoint)
    p.AddPoint_2D(x, y)
    collection.AddGeometry(p)
hull_area = collection.ConvexHull().GetArea()
assert len(cells) == len(points)
assert all(g.IsValid() for _, g in cells)
for i, g in cells:
    p = ogr.Geometry(ogr.wkbPoint)
    p.AddPoint_2D(points[i][0], points[i][1])
    # a hull vertex is a corner of its cut cell, up to the rounding of the cut
    assert g.Distance(p) < 1e-6, (i, g.Distance(p))
total = sum(g.GetArea() for _, g in cells)
assert abs(total - hull_area) < 1e-9 * hull_area, (total, hull_area)
assert abs(union_of(cells).GetArea() - hull_area) < 1e-6 * hull_area, "the cells overlap or leave gaps"

run(path("survey.csv"), "-o", path("clipped_cells.geojson"), "--voronoi", "--clip", path("clip.geojson"))
cells = cells_of("clipped_cells.geojson")
total = sum(g.GetArea() for _, g in cells)
assert abs(total - clip.GetArea()) < 1e-9 * clip.GetArea(), (total, clip.GetArea())
assert all(g.IsValid() for _, g in cells), "a cut cell is not a valid polygon"
union = union_of(cells)
assert abs(union.GetArea() - clip.GetArea()) < 1e-6 * clip.GetArea()
assert union.SymDifference(clip).GetArea() < 1e-6 * clip.GetArea(), "the cells differ from the clip polygon"

# A U with a narrow slot (cells cut in two) beside a square that shares a
# border with it (the shared border cancels under the even-odd rule).
u = [(430800.5, 5247600.5), (431200.5, 5247600.5), (431200.5, 5248400.5), (431010.5, 5248400.5),
     (431010.5, 5247800.5), (431000.5, 5247800.5), (431000.5, 5248400.5), (430800.5, 5248400.5)]
square = [(431200.5, 5247600.5), (431600.5, 5247600.5), (431600.5, 5248000.5), (431200.5, 5248000.5)]
with open(path("two.geojson"), "w") as f:
    json.dump({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {}, "geometry": {"type": "Polygon", "coordinates": [[list(p) for p in ring + ring[:1]]]}}
        for ring in (u, square)]}, f)
two_source = ogr.Open(path("two.geojson"))
two = ogr.Geometry(ogr.wkbMultiPolygon)
for feature in two_source.GetLayer():
    two.AddGeometry(feature.GetGeometryRef().Clone())
two = two.UnionCascaded()
run(path("survey.csv"), "-o", path("two_cells.geojson"), "--voronoi", "--clip", path("two.geojson"))
cells = cells_of("two_cells.geojson")
assert all(g.IsValid() for _, g in cells)
assert any(g.GetGeometryType() == ogr.wkbMultiPolygon for _, g in cells), "no cell is cut in two by the slot"
union = union_of(cells)
assert abs(sum(g.GetArea() for _, g in cells) - two.GetArea()) < 1e-9 * two.GetArea()
assert union.SymDifference(two).GetArea() < 1e-6 * two.GetArea()

# --- pictures: Thiessen cells, no points, no edges, the region's outline ---
run(path("survey.csv"), "-o", path("cells.svg"), "--voronoi")
assert "Thiessen cells" in open(path("cells.svg")).read()


def svg_paths(*options):
    run(path("survey.csv"), "-o", path("picture.svg"), *options)
    return open(path("picture.svg")).read()


drawn = svg_paths()
assert "h0" in drawn and 'stroke-opacity="0.35"' in drawn, "the plain picture lacks points or edges"
assert "h0" not in svg_paths("--no-points")
assert 'stroke-opacity="0.35"' not in svg_paths("--no-edges")
assert 'stroke="#5d7fb0"' not in svg_paths("--voronoi", "--no-edges")

# An L-shaped region: the picture's outline is its six sides, not the
# five of its convex hull.
with open(path("ell.poly"), "w") as f:
    f.write("6 2 0 0\n1 0 0\n2 2 0\n3 2 1\n4 1 1\n5 1 2\n6 0 2\n6 0\n")
    for k in range(6):
        f.write("%d %d %d\n" % (k + 1, k + 1, (k + 1) % 6 + 1))
    f.write("0\n")
run(path("ell.poly"), "-o", path("ell.svg"))
outline = re.search(r'<path fill="none" stroke="#1d3557"[^>]* d="([^"]*)"', open(path("ell.svg")).read())
assert outline and outline.group(1).count("M") == 6, outline and outline.group(1)

# --- the summary names its stages ---
summary = run("--generate", "uniform", "--n", "1000", "-o", path("generated.off"), "-v").stderr.decode()
assert "points generated" in summary and "generate 0" in summary and "read" not in summary, summary
summary = run(path("survey.csv"), "-o", path("summary.tif"), "--cell", "7", "-v").stderr.decode()
assert "interpolate " in summary and "write " in summary, summary
print("gis controls ok")
