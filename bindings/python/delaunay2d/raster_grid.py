"""The north-up grid of square cells that the ``delaunay2d`` program fits for
a DEM (``--cell``, ``--bounds``, ``--align``), double for double, so that a
DEM made elsewhere from the same points lands on the same cells.

    (west, north) +-----+-----+-----+   row 0
                  |  .  |  .  |  .  |   a value stands for its cell's centre
                  +-----+-----+-----+   row 1
                  |  .  |  .  |  .  |
                  +-----+-----+-----+ (west + columns * cell, north - rows * cell)
"""

import math

import numpy as np

# Beyond this many cells a grid is a mistaken cell size, not a DEM (the
# program's limit); GDAL counts a raster's sides in int.
MOST_CELLS = 4.0e9
MOST_SIDE = 2147483647.0


class RasterGrid:
    """west, north, cell, columns, rows: the grid's north-west corner, its
    cell size and its counts of cells."""

    def __init__(self, west, north, cell, columns, rows):
        self.west, self.north, self.cell = west, north, cell
        self.columns, self.rows = columns, rows

    def centre_x(self, columns):
        """x of the centres of the given columns (an integer array)."""
        return self.west + (np.asarray(columns, dtype=np.float64) + 0.5) * self.cell

    def centre_y(self, rows):
        """y of the centres of the given rows, row 0 the northmost."""
        return self.north - (np.asarray(rows, dtype=np.float64) + 0.5) * self.cell

    def transform(self):
        """The affine geotransform (GDAL's order): west, cell, 0, north, 0, -cell."""
        return (self.west, self.cell, 0.0, self.north, 0.0, -self.cell)

    def __repr__(self):
        return "RasterGrid(west={!r}, north={!r}, cell={!r}, columns={}, rows={})".format(
            self.west, self.north, self.cell, self.columns, self.rows)


def fit_grid(cell, extent, align=False):
    """The grid of cells of size ``cell`` over ``extent`` (min x, min y, max
    x, max y: the given bounds, or the points' own extent), from its
    lower-left corner up and right by whole cells; aligned, the corner
    moves down to the whole multiple of the cell at or below it. Raises
    ValueError for a cell that is not positive and finite, an empty
    extent, or a grid beyond the program's size limit."""
    cell = float(cell)
    if not (cell > 0.0) or not math.isfinite(cell):
        raise ValueError("a raster needs a positive, finite cell size, not {!r}".format(cell))
    xmin, ymin, xmax, ymax = (float(v) for v in extent)
    if not (xmin < xmax and ymin < ymax) or not math.isfinite(xmax - xmin) or not math.isfinite(ymax - ymin):
        raise ValueError("the raster's extent is empty (the points are flat or the bounds are wrong): {}".format(
            [xmin, ymin, xmax, ymax]))
    if align:
        xmin = math.floor(xmin / cell) * cell
        ymin = math.floor(ymin / cell) * cell
    columns = max(1.0, math.ceil((xmax - xmin) / cell))
    rows = max(1.0, math.ceil((ymax - ymin) / cell))
    if columns * rows > MOST_CELLS or columns > MOST_SIDE or rows > MOST_SIDE:
        raise ValueError("a grid of {:.3g} x {:.3g} cells is too large; give a larger cell".format(columns, rows))
    return RasterGrid(xmin, ymin + rows * cell, cell, int(columns), int(rows))
