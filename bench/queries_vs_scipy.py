"""Location, interpolation and Voronoi: delaunay2d's Python package beside
scipy, and the native cases (with CGAL) of delaunay2d-queries-bench, each
case in a process of its own.

    python3 bench/queries_vs_scipy.py [--n 1000000] [--scipy-n 200000]
        [--queries random|grid|both] [--native build/bench/delaunay2d-queries-bench]
        [--threads 1] [--skip-scipy]

Run it with the installed package, or from a source checkout with
PYTHONPATH=bindings/python and DELAUNAY2D_LIBRARY=path/to/libdelaunay2d.so.
Points are uniform in the unit square; the queries are as many uniform
points ("random") or the 1000 x 1000 grid of cell centres ("grid"). scipy
takes minutes at 10^6 points, so it runs at --scipy-n points (and
delaunay2d once more at that size for a like-for-like ratio). Each row:
case, points, queries, seconds. Times include the triangulation where the
operation needs one (scipy's LinearNDInterpolator and griddata build it
too); find_simplex is timed on a finished triangulation on both sides.
"""

import argparse
import json
import os
import subprocess
import sys
import time

CASE = r'''
import json, sys, time
import numpy as np
which, n, kind, threads = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
rng = np.random.default_rng(1)
points = rng.random((n, 2))
values = np.sin(6 * points[:, 0]) * np.cos(4 * points[:, 1])
if kind == "grid":
    g = (np.arange(1000) + 0.5) / 1000
    X, Y = np.meshgrid(g, g)
    xi = np.column_stack([X.ravel(), Y.ravel()])
else:
    xi = np.random.default_rng(2).random((n, 2))
if which.startswith("scipy"):
    import scipy.interpolate as si
    from scipy.spatial import Delaunay, Voronoi
    op = which.split("-", 1)[1]
    if op == "find_simplex":
        tri = Delaunay(points)
        start = time.perf_counter(); tri.find_simplex(xi)
    else:
        start = time.perf_counter()
        if op == "linear": si.LinearNDInterpolator(points, values)(xi)
        elif op == "griddata-linear": si.griddata(points, values, xi, method="linear")
        elif op == "griddata-nearest": si.griddata(points, values, xi, method="nearest")
        elif op == "voronoi": Voronoi(points)
else:
    import delaunay2d as d
    op = which.split("-", 1)[1]
    if op == "find_simplex":
        tri = d.triangulate(points, threads=threads)
        tri.find_simplex(xi[:10])  # declares the operations' ctypes once
        start = time.perf_counter(); d.queries.find_simplex(tri, xi, threads=threads)
    else:
        start = time.perf_counter()
        if op == "linear": d.LinearNDInterpolator(d.triangulate(points, threads=threads), values, threads=threads)(xi)
        elif op == "griddata-linear": d.griddata(points, values, xi, method="linear")
        elif op == "griddata-nearest": d.griddata(points, values, xi, method="nearest")
        elif op == "griddata-natural": d.griddata(points, values, xi, method="natural")
        elif op == "voronoi": d.Voronoi(points, threads=threads)
print(json.dumps(time.perf_counter() - start))
'''

OPS = ["find_simplex", "linear", "griddata-linear", "griddata-nearest", "voronoi"]


def run_python(which, n, kind, threads):
    out = subprocess.run([sys.executable, "-c", CASE, which, str(n), kind, str(threads)],
                         capture_output=True, text=True, check=True)
    return json.loads(out.stdout.strip().splitlines()[-1])


def run_native(path, case, n, kind, threads):
    out = subprocess.run([path, case, str(n), kind, str(threads)], capture_output=True, text=True, check=True)
    return float(out.stdout.split()[4])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--n", type=int, default=1000000)
    parser.add_argument("--scipy-n", type=int, default=200000)
    parser.add_argument("--queries", choices=["random", "grid", "both"], default="both")
    parser.add_argument("--native", default=None)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--skip-scipy", action="store_true")
    args = parser.parse_args()
    kinds = ["random", "grid"] if args.queries == "both" else [args.queries]
    rows = []

    def row(case, n, kind, seconds):
        rows.append((case, n, kind, seconds))
        print("{:28s} {:>9d} {:7s} {:10.3f} s".format(case, n, kind, seconds), flush=True)

    for kind in kinds:
        if args.native:
            for case in ["locate", "cgal-locate", "linear", "nearest", "natural", "cgal-natural",
                         "cgal-natural-unhinted", "voronoi", "cells"]:
                try:
                    row("native " + case, args.n, kind, run_native(args.native, case, args.n, kind, args.threads))
                except subprocess.CalledProcessError as error:
                    print("native", case, "failed:", error.stderr.strip(), file=sys.stderr)
        for op in OPS + ["griddata-natural"]:
            row("delaunay2d " + op, args.n, kind, run_python("ours-" + op, args.n, kind, args.threads))
        if not args.skip_scipy:
            for op in OPS:
                ours = run_python("ours-" + op, args.scipy_n, kind, args.threads)
                theirs = run_python("scipy-" + op, args.scipy_n, kind, args.threads)
                row("delaunay2d " + op, args.scipy_n, kind, ours)
                row("scipy " + op, args.scipy_n, kind, theirs)
                print("{:28s} {:>9s} {:7s} {:10.1f} x".format("  scipy / delaunay2d", "", "", theirs / ours),
                      flush=True)


if __name__ == "__main__":
    main()
