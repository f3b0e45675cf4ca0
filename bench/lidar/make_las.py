"""Writes a LiDAR-like LAS 1.4 file (point format 6) of N points, a block at
a time, so that 10^9 points need no more memory than one block.

Like an airborne survey: flight lines north to south, each a run of scan
lines across the swath; along a scan line the spacing grows toward the
swath's edges and the swaths overlap (density varies by a factor of
about three); lakes leave round voids; the ground is a smooth surface with
hills, and a third of the points are vegetation above it (class 5, the
rest class 2). Coordinates are in metres, at a scale of 1 cm.

    python3 bench/lidar/make_las.py N out.las
"""
import struct
import sys

import numpy as np

SCALE = 0.01
ORIGIN = (500000.0, 4000000.0)
BLOCK = 2_000_000
RECORD = np.dtype([("X", "<i4"), ("Y", "<i4"), ("Z", "<i4"), ("intensity", "<u2"), ("returns", "u1"),
                   ("flags", "u1"), ("classification", "u1"), ("user", "u1"), ("angle", "<i2"),
                   ("source", "<u2"), ("time", "<f8")])
assert RECORD.itemsize == 30


def layout(n):
    """A square survey at about 8 points a square metre on average."""
    side = np.sqrt(n / 8.0)
    swath = min(400.0, side / 2)
    lines = max(1, int(np.ceil(side / (swath * 0.7))))  # 30% overlap between swaths
    return side, swath, lines


def ground(x, y):
    return (120.0 + 25.0 * np.sin(x / 700.0) * np.cos(y / 900.0) + 8.0 * np.sin(x / 90.0 + y / 140.0))


def lakes(side, rng):
    count = 12
    centres = rng.uniform(0.1 * side, 0.9 * side, (count, 2))
    radii = rng.uniform(0.01, 0.05, count) * side
    return centres, radii


def points(n, seed=20261208):
    """Yields blocks of (x, y, z, class) until n points are given."""
    rng = np.random.default_rng(seed)
    side, swath, lines = layout(n)
    centres, radii = lakes(side, rng)
    per_line = int(np.ceil(n / lines))
    given = 0
    # Flight line by flight line, a block at a time; each turn draws twice
    # what it wants, and more than half of a swath lies in the survey and
    # outside the lakes, so a turn all but never comes up short and the
    # loop ends after about n / BLOCK turns.
    for line in range(lines):
        # The last swath is kept over the survey, so that most of its
        # points fall inside it.
        centre_x = min(line * swath * 0.7 + swath / 2, side - swath / 4)
        left = min(per_line, n - given)
        while left > 0:
            want = min(BLOCK, left)
            # Along-track position uniform; across-track spacing growing
            # toward the swath's edges.
            u = rng.uniform(-1.0, 1.0, 2 * want)
            across = np.sign(u) * np.abs(u) ** 0.6 * swath / 2
            x = centre_x + across
            y = rng.uniform(0.0, side, 2 * want)
            inside = (x >= 0) & (x <= side)
            for (cx, cy), r in zip(centres, radii):
                inside &= (x - cx) ** 2 + (y - cy) ** 2 > r * r
            x, y = x[inside][:want], y[inside][:want]
            vegetation = rng.random(x.size) < 1 / 3
            z = ground(x, y) + vegetation * rng.uniform(2.0, 20.0, x.size)
            cls = np.where(vegetation, 5, 2).astype(np.uint8)
            given += x.size
            left -= x.size
            yield x, y, z, cls


def write(n, path):
    side, _, _ = layout(n)
    header_size = 375
    head = struct.pack("<4sHH16sBB32s32sHHHIIBHI5I3d3d6d", b"LASF", 0, 0x10, b"", 1, 4, b"delaunay2d bench",
                       b"bench/lidar/make_las.py", 1, 2026, header_size, header_size, 0, 6, 30, 0, 0, 0, 0, 0, 0,
                       SCALE, SCALE, SCALE, ORIGIN[0], ORIGIN[1], 0.0,
                       ORIGIN[0] + side, ORIGIN[0], ORIGIN[1] + side, ORIGIN[1], 400.0, 0.0)
    head += struct.pack("<QQIQ15Q", 0, 0, 0, n, *([0] * 15))
    assert len(head) == header_size
    with open(path, "wb") as f:
        f.write(head)
        for x, y, z, cls in points(n):
            block = np.zeros(x.size, RECORD)
            block["X"] = np.round(x / SCALE)
            block["Y"] = np.round(y / SCALE)
            block["Z"] = np.round(z / SCALE)
            block["returns"] = 0x11
            block["classification"] = cls
            f.write(block.tobytes())


if __name__ == "__main__":
    write(int(float(sys.argv[1])), sys.argv[2])
