"""Cost of one tile of delaunay2d.dask's DEM: the time and the peak memory of
a tile of N points (triangulate, certify, interpolate its core's cells),
each size in a fresh process so that its peak is its own.

    python3 bench/dask_tile_cost.py [--n 250000 1000000 4000000] [--per-cell 4] [--threads 1] [--method linear]

The points are uniform at --per-cell points per cell (1 m cells: 4 points
per square metre, a common airborne LiDAR density) over the tile's seen box,
a square core with a halo of 8 mean point spacings. Run it with the
installed package, or from a source checkout with PYTHONPATH=bindings/python
and DELAUNAY2D_LIBRARY=path/to/libdelaunay2d.so. Prints one line per size:
points, core cells, seconds (best of --repeat), peak resident memory of the
process (MB), and the input's own size (24 bytes a point).
"""

import argparse
import json
import math
import resource
import subprocess
import sys
import time


def one_tile(n, per_cell, threads, repeat, method):
    import numpy as np

    from delaunay2d.raster_grid import RasterGrid
    from delaunay2d.tile_surface import TileJob, tile_values

    spacing = math.sqrt(1.0 / per_cell)
    halo = 8.0 * spacing
    seen_side = math.sqrt(n / per_cell)
    core = max(1, int((seen_side - 2.0 * halo)))
    grid = RasterGrid(0.0, float(core), 1.0, core, core)
    rng = np.random.default_rng(1)
    xyz = rng.random((n, 3))
    xyz[:, :2] = xyz[:, :2] * seen_side - halo
    index = np.arange(n, dtype=np.int64)
    # The whole set reaches far beyond the tile, as in a country's middle.
    bounds = (-1e6, -1e6, 1e6, 1e6)
    job = TileJob(grid, (0, core), (0, core), bounds, halo, -9999.0, threads, method)

    def read_box(box):
        raise RuntimeError("the halo of {} had to grow: the figures would mix two rounds".format(halo))

    best = math.inf
    for _ in range(repeat):
        start = time.perf_counter()
        tile_values(job, index, xyz, read_box)
        best = min(best, time.perf_counter() - start)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    return {"points": n, "cells": core * core, "seconds": best, "peak_mb": peak, "input_mb": n * 24 / 2**20}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--n", type=int, nargs="+", default=[250000, 1000000, 4000000])
    parser.add_argument("--per-cell", type=float, default=4.0)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--method", choices=["linear", "natural"], default="linear")
    parser.add_argument("--one", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.one:
        print(json.dumps(one_tile(args.n[0], args.per_cell, args.threads, args.repeat, args.method)))
        return
    print("{:>10} {:>10} {:>9} {:>9} {:>9}".format("points", "cells", "seconds", "peak MB", "input MB"))
    for n in args.n:
        out = subprocess.run([sys.executable, __file__, "--one", "--n", str(n), "--per-cell", str(args.per_cell),
                              "--threads", str(args.threads), "--repeat", str(args.repeat), "--method", args.method],
                             check=True, capture_output=True, text=True).stdout
        r = json.loads(out)
        print("{points:>10} {cells:>10} {seconds:>9.2f} {peak_mb:>9.0f} {input_mb:>9.0f}".format(**r))


if __name__ == "__main__":
    main()
