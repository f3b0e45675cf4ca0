"""Point clouds from writers that are not the program's: LAS files packed
here with struct from the format's layout (GDAL reads no LAS without PDAL),
PLY files written by meshio. A ground DTM from the LAS file's class 2,
read back with GDAL: its cells lie on the ground plane, not on the
vegetation above it, and it records the file's coordinate system.

    python3 point_cloud_inputs.py PROGRAM SCRATCH_FOLDER
"""
import json
import os
import random
import struct
import subprocess
import sys

import numpy
from osgeo import gdal, osr

gdal.UseExceptions()
program, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def run(*args, check=True):
    return subprocess.run([program, *args], check=check, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def ground(x, y):
    return 100.0 + 0.1 * (x - 500000) - 0.05 * (y - 5000000)


SCALE = (0.01, 0.01, 0.01)
OFFSET = (500000.0, 5000000.0, 0.0)
RECORD = {1: 28, 6: 30}  # the record lengths of the two formats written


def las_bytes(minor, point_format, points, extra, vlrs=(), evlrs=()):
    """points: (X, Y, Z, class) integers; extra bytes follow each record."""
    header_size = {2: 227, 4: 375}[minor]
    body_vlrs = b"".join(struct.pack("<H16sHH32s", 0, b"LASF_Projection", rid, len(data), b"") + data
                         for rid, data in vlrs)
    offset_to_points = header_size + len(body_vlrs)
    length = RECORD[point_format] + extra
    xs = [p[0] * SCALE[0] + OFFSET[0] for p in points]
    ys = [p[1] * SCALE[1] + OFFSET[1] for p in points]
    zs = [p[2] * SCALE[2] + OFFSET[2] for p in points]
    head = struct.pack("<4sHH16sBB32s32sHHHIIBHI5I3d3d6d",
                       b"LASF", 0, 0, b"", 1, minor, b"test", b"test", 1, 2026, header_size,
                       offset_to_points, len(vlrs), point_format, length,
                       0 if point_format >= 6 else len(points), 0, 0, 0, 0, 0,
                       *SCALE, *OFFSET, max(xs), min(xs), max(ys), min(ys), max(zs), min(zs))
    assert len(head) == 227
    records = []
    for X, Y, Z, cls in points:
        if point_format == 1:  # class in the low 5 bits of byte 15, a flag above
            record = struct.pack("<iiiHBBbBHd", X, Y, Z, 0, 0, cls | 0x20, 0, 0, 0, 0.0)
        else:  # formats 6-10: flags at byte 15, class at 16
            record = struct.pack("<iiiHBBBBhHd", X, Y, Z, 0, 0x11, 0x0F, cls, 0, 0, 0, 0.0)
        assert len(record) == RECORD[point_format]
        records.append(record + b"\xab" * extra)
    data = b"".join(records)
    if minor == 4:
        evlr_start = offset_to_points + len(data) if evlrs else 0
        head += struct.pack("<QQIQ15Q", 0, evlr_start, len(evlrs), len(points), *([0] * 15))
    out = head + body_vlrs + data
    for rid, blob in evlrs:
        out += struct.pack("<H16sHQ32s", 0, b"LASF_Projection", rid, len(blob), b"") + blob
    return out


# Ground points on a plane, and vegetation 5 to 15 m above it, classes 2
# and 5, over 200 m by 150 m.
random.seed(5)
points = []
for i in range(3000):
    X, Y = random.randrange(0, 20000), random.randrange(0, 15000)
    cls = 2 if i % 3 else 5
    z = ground(X * 0.01 + OFFSET[0], Y * 0.01 + OFFSET[1]) + (0 if cls == 2 else random.uniform(5, 15))
    points.append((X, Y, round(z / SCALE[2]), cls))
utm = osr.SpatialReference()
utm.ImportFromEPSG(32633)
wkt = utm.ExportToWkt().encode() + b"\0"
keys = struct.pack("<16H", 1, 1, 0, 3, 1024, 0, 1, 1, 2048, 0, 1, 4326, 3072, 0, 1, 32633)
files = {
    "cloud12.las": las_bytes(2, 1, points, 3, vlrs=[(34735, keys)]),
    "cloud14.las": las_bytes(4, 6, points, 0, evlrs=[(2112, wkt)]),
}
for name, data in files.items():
    with open(path(name), "wb") as f:
        f.write(data)

for name in files:
    # --- every point, with scale and offset applied ---
    run(path(name), "--keep-all-points", "-o", path("all.json"))
    got = json.load(open(path("all.json")))["points"]
    expected = [[X * SCALE[0] + OFFSET[0], Y * SCALE[1] + OFFSET[1], Z * SCALE[2] + OFFSET[2]]
                for X, Y, Z, _ in points]
    assert got == expected, name + ": the points differ from what was written"

    # --- the ground DTM: class 2 only, on the plane, in the file's CRS ---
    run(path(name), "--classes", "2", "-o", path("dtm.tif"), "--cell", "2")
    raster = gdal.Open(path("dtm.tif"))
    srs = osr.SpatialReference(wkt=raster.GetProjection())
    assert srs.GetAuthorityCode(None) == "32633", name + ": the DTM lost the coordinate system"
    west, dx, _, north, _, dy = raster.GetGeoTransform()
    band = raster.GetRasterBand(1)
    values = band.ReadAsArray()
    nodata = band.GetNoDataValue()
    rows, columns = values.shape
    j, i = numpy.meshgrid(numpy.arange(columns), numpy.arange(rows))
    plane = ground(west + (j + 0.5) * dx, north + (i + 0.5) * dy)
    inside = values != nodata
    assert inside.sum() > 0.8 * rows * columns, name + ": the DTM is mostly empty"
    # z was rounded to the centimetre when written: the plane within that.
    worst = numpy.abs(values[inside] - plane[inside]).max()
    assert worst < 0.011, "%s: the DTM is %.3f m off the ground (vegetation kept?)" % (name, worst)

# --- tile by tile (--memory), with the header's bounds drawn loose, as
# writers round them: the ground DTM equals the one-pass run's, cell for
# cell, on the grid fitted to the points themselves ---
loose = bytearray(files["cloud14.las"])
struct.pack_into("<6d", loose, 179, 1e6, -1e6, 1e7, -1e7, 1e4, -1e4)
with open(path("loose.las"), "wb") as f:
    f.write(loose)
run(path("loose.las"), "--classes", "2", "--cell", "2", "-o", path("one.tif"))
run(path("loose.las"), "--classes", "2", "--cell", "2", "--memory", "2M", "-o", path("tiled.tif"))
one, tiled = gdal.Open(path("one.tif")), gdal.Open(path("tiled.tif"))
assert one.GetGeoTransform() == tiled.GetGeoTransform(), "the tiled DTM's grid is not the one-pass grid"
assert (one.ReadAsArray() == tiled.ReadAsArray()).all(), "the tiled DTM differs from the one-pass DTM"
assert osr.SpatialReference(wkt=tiled.GetProjection()).GetAuthorityCode(None) == "32633", \
    "the tiled DTM lost the coordinate system"

# --- --classes on an input that has none ---
with open(path("points.csv"), "w") as f:
    f.write("0 0 1\n1 0 2\n0 1 3\n")
result = run(path("points.csv"), "--classes", "2", check=False)
assert result.returncode == 2 and b"--classes keeps LAS points" in result.stderr, result

# --- PLY from meshio, binary and ASCII, with a property besides x, y, z ---
try:
    import meshio
except ImportError:
    meshio = None
if meshio is not None:
    cloud = numpy.array([[random.uniform(0, 50), random.uniform(0, 50), random.uniform(0, 5)] for _ in range(200)])
    for binary in (True, False):
        for dtype in (numpy.float32, numpy.float64):
            mesh = meshio.Mesh(cloud.astype(dtype), [],
                               point_data={"intensity": numpy.arange(200, dtype=numpy.int32)})
            meshio.write(path("cloud.ply"), mesh, binary=binary)
            run(path("cloud.ply"), "--keep-all-points", "-o", path("ply.json"))
            got = numpy.array(json.load(open(path("ply.json")))["points"])
            want = meshio.read(path("cloud.ply")).points.astype(numpy.float64)
            assert (got == want).all(), "PLY (binary %s, %s) read differently" % (binary, dtype.__name__)
print("point cloud inputs: ok")
