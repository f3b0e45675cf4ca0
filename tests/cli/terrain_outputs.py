"""The program's terrain outputs, each read back by a reader that is not the
program's: GDAL for the GeoTIFF, the ASCII grid and GeoJSON, a parser here
for PLY, and a direct barycentric interpolation (brute-force triangle
search) for the raster's values.

    python3 terrain_outputs.py PROGRAM SCRATCH_FOLDER
"""
import json
import math
import os
import random
import struct
import subprocess
import sys

from osgeo import gdal, ogr, osr

gdal.UseExceptions()
ogr.UseExceptions()
program, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def run(*args, stdout=None):
    return subprocess.run([program, *args], check=True, stdout=stdout, stderr=subprocess.PIPE).stdout


def surface(x, y):
    return 200.0 + 30.0 * math.sin(x / 70.0) * math.cos(y / 50.0) + 0.05 * x


# A disc of points, so that the grid's corners lie outside the mesh; ids
# as surveys write them, in a column of their own ahead of the coordinates.
random.seed(11)
points = []
while len(points) < 1500:
    x, y = random.uniform(-300, 300), random.uniform(-300, 300)
    if x * x + y * y < 290 * 290:
        points.append((1000 + x, 5000 + y))
points.append(points[7])  # a repeated point: no cell of its own
with open(path("survey.csv"), "w") as f:
    f.write("station,easting,northing,elevation\n")
    for i, (x, y) in enumerate(points):
        f.write("%d,%.3f,%.3f,%.4f\n" % (9000 + i, x, y, surface(x, y)))
xyz = [(round(x, 3), round(y, 3), round(surface(x, y), 4)) for x, y in points]

# --- the mesh, with z and ids, from JSON (the reference for the others) ---
run(path("survey.csv"), "--id-column", "station", "--keep-all-points", "-o", path("mesh.json"))
mesh = json.load(open(path("mesh.json")))
assert [tuple(p) for p in mesh["points"]] == xyz, "JSON lost z"
assert mesh["ids"] == [str(9000 + i) for i in range(len(points))], "JSON lost the ids"
triangles = mesh["triangles"]

# --- PLY, binary and ASCII, by a parser of its own ---
def read_ply(data):
    header, _, body = data.partition(b"end_header\n")
    lines = header.decode().split("\n")
    assert lines[0] == "ply"
    vertex_count = int(next(l for l in lines if l.startswith("element vertex")).split()[2])
    face_count = int(next(l for l in lines if l.startswith("element face")).split()[2])
    if "format ascii 1.0" in lines:
        rows = body.decode().split("\n")
        vertices = [tuple(float(v) for v in r.split()) for r in rows[:vertex_count]]
        faces = [[int(v) for v in r.split()[1:]] for r in rows[vertex_count:vertex_count + face_count]]
        assert all(r.split()[0] == "3" for r in rows[vertex_count:vertex_count + face_count])
        return vertices, faces
    assert "format binary_little_endian 1.0" in lines
    vertices = list(struct.iter_unpack("<3d", body[:24 * vertex_count]))
    faces, at = [], 24 * vertex_count
    for _ in range(face_count):
        assert body[at] == 3
        faces.append(list(struct.unpack_from("<3i", body, at + 1)))
        at += 13
    assert at == len(body), "bytes after the last face"
    return vertices, faces


run(path("survey.csv"), "--keep-all-points", "-o", path("mesh.ply"))
run(path("survey.csv"), "--keep-all-points", "--ascii", "-o", path("text.ply"))
for name in ("mesh.ply", "text.ply"):
    vertices, faces = read_ply(open(path(name), "rb").read())
    assert vertices == xyz, name + ": vertices differ from the input"
    assert faces == triangles, name + ": faces differ from the JSON's triangles"
# Standard output carries the same bytes as the file.
piped = run(path("survey.csv"), "--keep-all-points", "-o", "-", "--format", "ply", stdout=subprocess.PIPE)
assert piped == open(path("mesh.ply"), "rb").read(), "-o - differs from the file"

# --- OFF keeps z; .node carries z and the id as attributes ---
run(path("survey.csv"), "--keep-all-points", "-o", path("mesh.off"))
off = open(path("mesh.off")).read().split("\n")
assert tuple(float(v) for v in off[2].split()) == xyz[0], off[2]
run(path("survey.csv"), "--id-column", "station", "--keep-all-points", "-o", path("mesh.node"))
node = open(path("mesh.node")).read().split("\n")
assert node[0].split() == [str(len(points)), "2", "2", "1"], node[0]
number, x, y, z, station, _ = node[1].split()
assert (float(x), float(y), float(z), station) == (*xyz[0], "9000"), node[1]


# --- the raster: GDAL reads it; its values are the linear interpolation ---
def barycentric_z(qx, qy):
    for a, b, c in triangles:
        (ax, ay, az), (bx, by, bz), (cx, cy, cz) = xyz[a], xyz[b], xyz[c]
        d = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax)
        u = ((bx - qx) * (cy - qy) - (by - qy) * (cx - qx)) / d
        v = ((cx - qx) * (ay - qy) - (cy - qy) * (ax - qx)) / d
        w = 1.0 - u - v
        if min(u, v, w) >= -1e-12:
            return u * az + v * bz + w * cz
    return None


cell = 7.5
run(path("survey.csv"), "-o", path("dem.tif"), "--cell", str(cell), "--crs", "EPSG:32633")
run(path("survey.csv"), "-o", path("dem.asc"), "--cell", str(cell))
xmin, xmax = min(p[0] for p in xyz), max(p[0] for p in xyz)
ymin, ymax = min(p[1] for p in xyz), max(p[1] for p in xyz)
columns, rows = math.ceil((xmax - xmin) / cell), math.ceil((ymax - ymin) / cell)
grids = {}
for name in ("dem.tif", "dem.asc"):
    raster = gdal.Open(path(name))
    assert (raster.RasterXSize, raster.RasterYSize) == (columns, rows), name
    west, dx, _, north, _, dy = raster.GetGeoTransform()
    assert (dx, dy) == (cell, -cell), name
    assert abs(west - xmin) < 1e-6 and abs(north - (ymin + rows * cell)) < 1e-6, name
    band = raster.GetRasterBand(1)
    assert band.GetNoDataValue() == -9999.0, name
    grids[name] = band.ReadAsArray()
srs = osr.SpatialReference(wkt=gdal.Open(path("dem.tif")).GetProjection())
assert srs.GetAuthorityCode(None) == "32633", "the GeoTIFF lost its CRS"
# GDAL's own command-line reader agrees, and a GeoTIFF sent to standard
# output is the same raster.
info = json.loads(subprocess.run(["gdalinfo", "-json", path("dem.tif")], check=True,
                                 stdout=subprocess.PIPE).stdout)
assert info["driverShortName"] == "GTiff" and info["size"] == [columns, rows], info["size"]
assert info["geoTransform"] == [west, cell, 0.0, north, 0.0, -cell], info["geoTransform"]
assert "32633" in info["coordinateSystem"]["wkt"].split("ID[")[-1]
with open(path("piped.tif"), "wb") as f:
    f.write(run(path("survey.csv"), "-o", "-", "--format", "tif", "--cell", str(cell), stdout=subprocess.PIPE))
piped = gdal.Open(path("piped.tif"))  # a band lives only as long as its dataset
assert (piped.GetRasterBand(1).ReadAsArray() == grids["dem.asc"]).all(), "the piped GeoTIFF differs"
assert (grids["dem.tif"] == grids["dem.asc"]).all(), "the two rasters differ"
grid = grids["dem.tif"]
assert grid[0][0] == -9999.0 and grid[rows - 1][columns - 1] == -9999.0, "corners outside the disc hold data"
random.seed(3)
checked = 0
for _ in range(60):
    r, c = random.randrange(rows), random.randrange(columns)
    expected = barycentric_z(west + (c + 0.5) * cell, north - (r + 0.5) * cell)
    if expected is None:
        assert grid[r][c] == -9999.0, (r, c)
    else:
        assert abs(grid[r][c] - expected) <= 1e-5 * abs(expected), (r, c, grid[r][c], expected)
        checked += 1
assert checked > 30

# Natural-neighbour interpolation reproduces a plane exactly: a surface of
# z = plane gives the plane back at every cell inside.
with open(path("plane.txt"), "w") as f:
    for x, y, _ in xyz:
        f.write("%r %r %r\n" % (x, y, 3.0 + 0.25 * x - 0.5 * y))
run(path("plane.txt"), "-o", path("plane.tif"), "--cell", "20", "--method", "natural")
raster = gdal.Open(path("plane.tif"))
west, dx, _, north, _, dy = raster.GetGeoTransform()
values = raster.GetRasterBand(1).ReadAsArray()
inside = 0
for r in range(raster.RasterYSize):
    for c in range(raster.RasterXSize):
        if values[r][c] != -9999.0:
            x, y = west + (c + 0.5) * dx, north + (r + 0.5) * dy
            assert abs(values[r][c] - (3.0 + 0.25 * x - 0.5 * y)) < 1e-3 * abs(values[r][c]) + 1e-3, (r, c)
            inside += 1
assert inside > 500, inside

# --- GeoJSON: triangles, and Thiessen polygons tiling the box ---
run(path("survey.csv"), "-o", path("triangles.geojson"))
source = ogr.Open(path("triangles.geojson"))  # the layer lives only as long as its source
layer = source.GetLayer()
assert layer.GetFeatureCount() == len(triangles)
assert layer.GetSpatialRef() is None or layer.GetSpatialRef().IsGeographic(), "a crs that was not asked for"
for feature in layer:
    a, b, c = feature.GetField("a"), feature.GetField("b"), feature.GetField("c")
    assert [a, b, c] == triangles[feature.GetField("index")]
    assert feature.GetGeometryRef().IsValid()

run(path("survey.csv"), "--id-column", "station", "-o", path("cells.geojson"), "--voronoi",
    "--bounds", "600", "4600", "1400", "5400", "--crs", "EPSG:32633")
source = ogr.Open(path("cells.geojson"))
layer = source.GetLayer()
assert layer.GetSpatialRef().GetAuthorityCode(None) == "32633"
assert layer.GetFeatureCount() == len(points) - 1, "the repeated point has no cell"
area = 0.0
for feature in layer:
    polygon = feature.GetGeometryRef()
    i = feature.GetField("index")
    assert polygon.IsValid(), i
    x, y, z = xyz[i]
    assert feature.GetField("id") == str(9000 + i) and feature.GetField("z") == z
    point = ogr.Geometry(ogr.wkbPoint)
    point.AddPoint_2D(x, y)
    assert polygon.Contains(point), i
    area += polygon.GetArea()
assert abs(area - 800.0 * 800.0) < 1e-6 * 800.0 * 800.0, area
print("terrain outputs ok")
