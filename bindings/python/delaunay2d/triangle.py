"""The interface of the ``triangle`` package (Shewchuk's Triangle for
Python) over this library, so that moving to it is a change of import::

    import delaunay2d.triangle as triangle

    mesh = triangle.triangulate({"vertices": v, "segments": s, "holes": h}, "pq30a0.01")
    mesh["vertices"], mesh["triangles"], mesh["segments"]

The dict in and out and the switch string are the ``triangle`` package's:
arrays are 2-D (markers and attributes ``(k, 1)``), coordinates float64,
indices int32, triangles counter-clockwise, ``neighbors[t, k]`` the
triangle opposite vertex k or -1, the input vertices first and the added
ones after them. Keys are present only when they hold something, as there.

Switches: ``p`` (segments, holes and regions are read; without ``c`` the
triangles that can be reached from the convex hull without crossing a
segment are removed, as Triangle eats them), ``c`` (the whole convex hull
is kept and its edges listed as segments), ``q[angle]`` (20 degrees without
a number), ``a[area]`` (a number: a bound on every triangle; bare: each
region's own bound, the fourth column of ``regions``), ``A`` (region
attributes as ``triangle_attributes``), ``D`` (conforming Delaunay),
``S[count]`` (at most that many points added), ``n`` (``neighbors``),
``e`` (``edges`` and ``edge_markers``), and ``Q``, ``z`` (quiet, numbering
from zero: what this module always does). Any other switch is a
``ValueError`` that names it.

Markers follow Triangle: each piece of a segment keeps the segment's
``segment_markers`` entry (1 in place of 0 on the boundary of the mesh), a
vertex takes its nonzero input marker, else the first nonzero marker of a
segment naming it (a point added on a segment: its piece's), else 1 on the
boundary and 0 inside. The triangles
differ from Triangle's only where Triangle's own choices do: their order,
ties between cocircular points, the points refinement adds, and crossing
segments, whose crossing is the exact one rounded to doubles here.
"""

from fractions import Fraction

import numpy as np

from .triangulation import triangulate as _triangulate

# Switches of Triangle's that this module leaves out, with what they do,
# for the error that names them.
_LEFT_OUT = {
    "r": "refining a previous mesh", "o": "second-order triangles", "Y": "no points on the boundary",
    "j": "jettisoning unused vertices", "v": "the Voronoi diagram", "i": "the incremental algorithm",
    "F": "Fortune's sweep", "l": "vertical cuts only", "s": "splitting segments instead of a constrained mesh",
    "X": "inexact arithmetic", "C": "checking the mesh", "V": "verbose output", "u": "a user's triangle test",
    "B": "leaving out boundary markers", "P": "leaving out segments", "N": "leaving out vertices",
    "E": "leaving out triangles", "I": "leaving out iteration numbers", "O": "leaving out holes",
    "g": "an OFF file", "h": "help", "w": "weighted vertices", "W": "weighted vertices",
}
_NUMBER = "0123456789."  # Triangle reads no exponent: "a1e-3" is a1, then e
_KEYS = ("vertices", "segments", "holes", "regions", "vertex_markers", "segment_markers")


class _Switches:
    """The switch string, read as Triangle reads it: one letter each, q, a
    and S followed by an optional number."""

    def __init__(self, opts):
        if not isinstance(opts, str):
            raise ValueError("opts must be a string of Triangle's switches, not {!r}".format(opts))
        self.letters = set()
        self.min_angle = None
        self.max_area = None
        self.region_areas = False
        self.max_steiner = None
        i = 0
        while i < len(opts):
            letter = opts[i]
            i += 1
            number = ""
            if letter in "qaS":
                while i < len(opts) and opts[i] in _NUMBER:
                    number += opts[i]
                    i += 1
            if letter == "q":
                self.min_angle = self._value(letter, number) if number else 20.0
            elif letter == "a":
                if number:
                    self.max_area = self._value(letter, number)
                    if not self.max_area > 0:
                        raise ValueError("switch 'a{}': the maximum area must be greater than zero".format(number))
                else:
                    self.region_areas = True
            elif letter == "S":
                if not number.isdigit():
                    raise ValueError("switch 'S' needs a count of points, as in 'S100'")
                self.max_steiner = int(number)
            elif letter in "pcADneQz":
                self.letters.add(letter)
            elif letter in _LEFT_OUT:
                raise ValueError("switch '{}' ({}) is not supported by delaunay2d.triangle".format(
                    letter, _LEFT_OUT[letter]))
            elif letter != "-":
                raise ValueError("switch '{}' is not one of Triangle's supported here".format(letter))

    @staticmethod
    def _value(letter, number):
        try:
            return float(number)
        except ValueError:
            raise ValueError("switch '{}{}': {!r} is not a number".format(letter, number, number)) from None

    def __contains__(self, letter):
        return letter in self.letters


def _array(tri, key, dtype, columns):
    value = tri.get(key)
    if value is None:
        return None
    try:
        array = np.asarray(value, dtype=dtype)
    except (TypeError, ValueError) as error:
        raise ValueError("{} must be numbers: {}".format(key, error)) from None
    if array.size == 0:
        return None
    if array.ndim == 1 and columns == 1:
        array = array.reshape(-1, 1)
    if array.ndim != 2 or array.shape[1] != columns:
        raise ValueError("{} must have shape (k, {}), not {}".format(key, columns, array.shape))
    return array


def _strictly_inside(point, corners):
    """Exactly: point lies inside the counter-clockwise triangle, off its edges."""
    x, y = (Fraction(float(c)) for c in point)
    for k in range(3):
        (ax, ay), (bx, by) = ((Fraction(float(c)) for c in corners[j]) for j in (k, (k + 1) % 3))
        if (bx - ax) * (y - ay) - (by - ay) * (x - ax) <= 0:
            return False
    return True


def _outside_hole_points(vertices, segments):
    r"""Hole points that remove what Triangle's ``p`` removes without ``c``:
    the triangles reached from a hull edge that is not on a segment without
    crossing a segment. One point goes in each triangle on such a hull edge
    (each removes what it reaches, so together they remove all of it), at
    its centroid, checked exactly to lie inside it; where rounding put the
    centroid out of a sliver, a neighbour it reaches serves instead.

         hull edge, not a segment
        ______________________
        \  x   /\   x  /\  x /    x: a hole point in each triangle on it;
         \    /  \     /  \  /       each removes what it reaches
        ==\==/====\===/====\/==   a segment stops them
    """
    tri = _triangulate(vertices, segments, region="hull", threads=1)
    nb, simplices, points = tri.neighbors, tri.simplices, tri.points
    open_hull = (nb < 0) & ~tri.constrained
    points_out = []
    for t in np.flatnonzero(open_hull.any(axis=1)).tolist():
        candidates = [t] + [int(nb[t, k]) for k in range(3) if nb[t, k] >= 0 and not tri.constrained[t, k]]
        for c in candidates:
            corners = points[simplices[c]]
            centroid = corners.mean(axis=0)
            if _strictly_inside(centroid, corners):
                points_out.append(centroid)
                break
        else:
            raise RuntimeError("delaunay2d.triangle: no point found inside hull triangle {} to remove "
                               "the outside from".format(t))
    return np.array(points_out, dtype=np.float64).reshape(-1, 2)


def _trace_segments(points, pieces, segments, markers):
    """Which input segment each piece of the mesh's segments lies on: each
    segment a -> b is walked from a along pieces, every step to the nearest
    vertex ahead that lies on the line within rounding (added points on
    segments are rounded to doubles), so it ends after at most one step per
    piece. Returns each piece's marker (the first segment's to cover it),
    by the piece's key (see _keys)."""
    links = {}
    for u, w in pieces.tolist():
        links.setdefault(u, []).append(w)
        links.setdefault(w, []).append(u)
    xy = points.tolist()  # Python floats: this loop runs once per piece
    piece_marker = {}
    for (a, b), marker in zip(segments.tolist(), markers):
        (ax, ay), (bx, by) = xy[a], xy[b]
        dx, dy = bx - ax, by - ay
        length = (dx * dx + dy * dy) ** 0.5
        if length == 0:
            continue
        slack = (4 * float(np.spacing(max(abs(ax), abs(ay), abs(bx), abs(by)))) + 1e-12 * length) * length
        at, here = a, 0.0
        for _ in range(len(pieces)):
            step, nearest = None, None
            for w in links.get(at, ()):
                ex, ey = xy[w][0] - ax, xy[w][1] - ay
                ahead = ex * dx + ey * dy
                if ahead > here and abs(ex * dy - ey * dx) <= slack and (nearest is None or ahead < nearest):
                    step, nearest = w, ahead
            if step is None:
                break
            piece_marker.setdefault(min(at, step) * len(xy) + max(at, step), marker)
            at, here = step, nearest
            if at == b:
                break
    return piece_marker


def _keys(pairs, count):
    """Each undirected edge (u, w) as one int64, min * count + max."""
    pairs = np.asarray(pairs, dtype=np.int64).reshape(-1, 2)
    return pairs.min(axis=1) * count + pairs.max(axis=1)


def _edges(simplices, neighbors):
    """Each edge of the mesh once, as Triangle's ``e`` lists them, with
    whether it is on the boundary."""
    m = len(simplices)
    t = np.repeat(np.arange(m), 3)
    k = np.tile(np.arange(3), m)
    across = neighbors.ravel()
    once = (across < 0) | (t < across)
    ends = np.column_stack((simplices[t, (k + 1) % 3], simplices[t, (k + 2) % 3]))[once]
    return ends.astype(np.int32), across[once] < 0


def triangulate(tri, opts=""):
    """Triangulates the dict ``tri`` (``vertices``, and with ``p``
    ``segments``, ``holes``, ``regions``; ``vertex_markers`` and
    ``segment_markers`` optional)
    under the switches ``opts``, as ``triangle.triangulate`` does; returns
    a new dict (``vertices``, ``vertex_markers``, ``triangles``, and as the
    switches ask ``segments``, ``segment_markers``, ``holes``, ``regions``,
    ``triangle_attributes``, ``neighbors``, ``edges``, ``edge_markers``).

    Raises ValueError for a switch or key this module does not take (naming
    it), fewer than three vertices, and arrays of the wrong shape or with
    NaN or infinite numbers."""
    switches = _Switches(opts)
    if not isinstance(tri, dict):
        raise ValueError("tri must be a dict with 'vertices', as triangle.triangulate takes")
    for key in tri:
        if key not in _KEYS:
            raise ValueError("key '{}' is not supported by delaunay2d.triangle (it takes {})".format(
                key, ", ".join(_KEYS)))
    vertices = _array(tri, "vertices", np.float64, 2)
    if vertices is None or len(vertices) < 3:
        raise ValueError("Input must have at least three vertices.")
    if not np.isfinite(vertices).all():
        raise ValueError("vertex {} has a NaN or infinite coordinate".format(
            np.flatnonzero(~np.isfinite(vertices).all(axis=1))[0]))
    markers_in = _array(tri, "vertex_markers", np.int32, 1)
    if markers_in is not None and len(markers_in) != len(vertices):
        raise ValueError("vertex_markers has {} rows for {} vertices".format(len(markers_in), len(vertices)))

    segment_markers_in = _array(tri, "segment_markers", np.int32, 1)
    poly = "p" in switches
    segments = _array(tri, "segments", np.int64, 2) if poly else None
    holes = _array(tri, "holes", np.float64, 2) if poly else None
    regions_in = _array(tri, "regions", np.float64, 4) if poly else None
    regions = None
    if regions_in is not None and ("A" in switches or switches.region_areas):
        regions = regions_in.copy()
        if not switches.region_areas:
            regions[:, 3] = 0.0  # Triangle reads the regions' areas only with a bare 'a'
    all_holes = holes
    if poly and "c" not in switches and len(vertices) >= 3:
        outside = _outside_hole_points(vertices, segments)
        all_holes = outside if holes is None else np.vstack((holes, outside))
    refine = dict(min_angle=switches.min_angle, max_area=switches.max_area, max_steiner=switches.max_steiner,
                  conforming="D" in switches)
    mesh = _triangulate(vertices, segments, all_holes, region="hull", regions=regions, **refine)

    simplices = np.ascontiguousarray(mesh.simplices, dtype=np.int32)
    neighbors = np.ascontiguousarray(mesh.neighbors, dtype=np.int32)
    out = {"vertices": np.array(mesh.points[:, :2], dtype=np.float64)}
    edges, on_boundary = _edges(simplices, neighbors)
    count = len(out["vertices"])
    edge_keys = _keys(edges, count)
    boundary_keys = edge_keys[on_boundary]
    piece_marker = {}
    markers = []
    if segments is not None:
        if segment_markers_in is not None and len(segment_markers_in) != len(segments):
            raise ValueError("segment_markers has {} rows for {} segments".format(
                len(segment_markers_in), len(segments)))
        markers = [0] * len(segments) if segment_markers_in is None else segment_markers_in[:, 0].tolist()
        if any(markers):  # unmarked segments need no tracing: their pieces are 0, or 1 on the boundary
            piece_marker = _trace_segments(out["vertices"], mesh.segments, segments, markers)

    def markers_of(keys):
        """The pieces' own markers, 1 in place of 0 on the boundary."""
        raw = np.array([piece_marker.get(k, 0) for k in keys.tolist()] if piece_marker else np.zeros(len(keys)),
                       dtype=np.int32)
        return np.where((raw == 0) & np.isin(keys, boundary_keys), 1, raw).astype(np.int32).reshape(-1, 1)

    # A vertex's own marker, else the first nonzero marker of a segment
    # naming it, else (for a point added on a segment) its piece's, else 1
    # on the boundary: the order in which Triangle sets them.
    vertex_markers = np.zeros((count, 1), dtype=np.int32)
    if markers_in is not None:
        vertex_markers[: len(vertices)] = markers_in
    if any(markers):
        for (a, b), marker in zip(segments.tolist(), markers):
            for end in (a, b):
                if vertex_markers[end, 0] == 0:
                    vertex_markers[end] = marker
        keys = np.array(list(piece_marker), dtype=np.int64)
        for key, marker in zip(keys.tolist(), markers_of(keys)[:, 0].tolist()):
            for v in (key // count, key % count):
                if v >= len(vertices):
                    vertex_markers[v] = marker
    on_edge = edges[on_boundary].ravel()
    vertex_markers[on_edge] = np.where(vertex_markers[on_edge] == 0, 1, vertex_markers[on_edge])
    out["vertex_markers"] = vertex_markers
    if len(simplices):
        out["triangles"] = simplices
    if poly or "c" in switches:
        # The segments as split, each an edge of a kept triangle (one with
        # removed triangles on both sides is gone, as in Triangle), and with
        # 'c' the hull's edges.
        segment_keys = _keys(mesh.segments, count)
        listed = np.union1d(segment_keys[np.isin(segment_keys, edge_keys)], boundary_keys)
        if len(listed):
            out["segments"] = np.column_stack((listed // count, listed % count)).astype(np.int32)
            out["segment_markers"] = markers_of(listed)
    if poly and holes is not None:
        out["holes"] = holes.copy()
    if poly and regions_in is not None:
        out["regions"] = regions_in.copy()
    if "A" in switches and regions is not None and len(simplices):
        out["triangle_attributes"] = mesh.triangle_attributes.reshape(-1, 1).astype(np.float64)
    if "n" in switches and len(simplices):
        out["neighbors"] = neighbors
    if "e" in switches and len(edges):
        out["edges"] = edges
        out["edge_markers"] = markers_of(edge_keys)
    return out
