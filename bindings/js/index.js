// delaunay2d for JavaScript: exact two-dimensional Delaunay triangulation
// compiled to WebAssembly.
//
//   import Delaunator from 'delaunay2d';          // delaunator's interface
//   import { triangulate } from 'delaunay2d';     // the library's own arrays
import { bounds as checkedBounds, finiteNumber, flatCoordinates } from './src/input.js';
import { counterClockwiseArrays, triangulateFlat } from './src/mesh.js';
import * as m from './src/module.js';
import { interpolate, locate, triangulateConstrained, voronoiCells, voronoiDiagram } from './src/operations.js';

export { memoryStats } from './src/module.js';

/** The library's version, "major.minor.patch". */
export const version = m.readString(m.exports().delaunay2d_version() >>> 0);

/**
 * The operations every mesh offers; a subclass supplies the mesh in the
 * library's orientation through _libraryMesh().
 */
class MeshOperations {
  /** The triangle that contains each query point ([x, y] pairs or flat), or -1. */
  locate(queries) {
    return locate(this._libraryMesh(), queries);
  }

  /** The triangle that contains (x, y), or -1. */
  triangleAt(x, y) {
    return this.locate(Float64Array.of(finiteNumber(x, 'x'), finiteNumber(y, 'y')))[0];
  }

  /** The index of the input point nearest to (x, y), exact ties to the lower index; -1 without points. */
  find(x, y) {
    const mesh = this._libraryMesh();
    const n = mesh.vertexOfPoint.length;
    let any = false;
    for (let i = 0; i < n && !any; i++) any = mesh.vertexOfPoint[i] >= 0;
    if (!any) return -1;
    const ids = new Float64Array(n);
    for (let i = 0; i < n; i++) ids[i] = i;
    const q = Float64Array.of(finiteNumber(x, 'x'), finiteNumber(y, 'y'));
    return interpolate(mesh, ids, q, { method: 'nearest' })[0];
  }

  /** Values at the queries: see the README of the package (linear, nearest, natural). */
  interpolate(values, queries, options) {
    return interpolate(this._libraryMesh(), values, queries, options);
  }

  /** The Voronoi cells clipped to [xmin, ymin, xmax, ymax] (default: the points' bounding box). */
  voronoi(bounds) {
    const mesh = this._libraryMesh();
    const box = bounds === undefined ? boundingBox(mesh.coords) : checkedBounds(bounds);
    return new Voronoi(voronoiCells(mesh, box), box);
  }

  /** The unbounded Voronoi diagram, scipy's arrays. */
  voronoiDiagram() {
    return voronoiDiagram(this._libraryMesh());
  }
}

// The default bounds: the finite points' bounding box, widened where it has
// no width or height (one point, points on a horizontal or vertical line):
// a flat side is padded by half the other side's extent each way (a line of
// points gets a square box centred on it), a single point by 1 each way;
// where that pad is below the coordinates' precision (a point near 1e300)
// it is doubled until the box has area.
function boundingBox(coords) {
  let box = [Infinity, Infinity, -Infinity, -Infinity];
  for (let i = 0; i < coords.length; i += 2) {
    const x = coords[i];
    const y = coords[i + 1];
    if (!Number.isFinite(x) || !Number.isFinite(y)) continue;
    box = [Math.min(box[0], x), Math.min(box[1], y), Math.max(box[2], x), Math.max(box[3], y)];
  }
  if (!(box[0] <= box[2])) box = [0, 0, 0, 0];
  const extent = Math.max(box[2] - box[0], box[3] - box[1]);
  for (const axis of [0, 1]) {
    const low = box[axis];
    const high = box[axis + 2];
    if (low < high) continue;
    // Doubling ends: once the pad exceeds the spacing of doubles at low
    // (at most 2^971), low - pad < low + pad.
    let pad = extent > 0 ? extent / 2 : 1;
    while (!(low - pad < high + pad)) pad *= 2;
    box[axis] = Math.max(low - pad, -Number.MAX_VALUE);
    box[axis + 2] = Math.min(high + pad, Number.MAX_VALUE);
  }
  return box;
}

/** Clipped Voronoi cells: cell i is vertices[2 * offsets[i] .. 2 * offsets[i + 1]). */
export class Voronoi {
  constructor(cells, bounds) {
    this.offsets = cells.offsets;
    this.vertices = cells.vertices;
    this.bounds = bounds;
  }

  /**
   * Point i's cell as a closed polygon [[x0, y0], ..., [x0, y0]],
   * counter-clockwise with y up, or null when the cell is empty (a
   * repeated point, or one outside the bounds).
   */
  cellPolygon(i) {
    const first = this.offsets[i];
    const last = this.offsets[i + 1];
    if (first === undefined || last === undefined) throw new RangeError(`delaunay2d: no point ${i}`);
    if (first === last) return null;
    const polygon = [];
    for (let k = first; k < last; k++) polygon.push([this.vertices[2 * k], this.vertices[2 * k + 1]]);
    polygon.push(polygon[0].slice());
    return polygon;
  }

  /** Every non-empty cell, with its point's index as `index`. */
  *cellPolygons() {
    for (let i = 0; i + 1 < this.offsets.length; i++) {
      const polygon = this.cellPolygon(i);
      if (polygon) {
        polygon.index = i;
        yield polygon;
      }
    }
  }
}

/**
 * A triangulation in the library's own arrays:
 *   coords              the points (x, y flat; with constraints, input
 *                       points then the crossing points added)
 *   triangles           Uint32Array, 3 point indices per triangle,
 *                       counter-clockwise with y pointing up
 *   halfedges           Int32Array: half-edge e = 3t + i runs from
 *                       triangles[e] to triangles[3t + (i + 1) % 3];
 *                       halfedges[e] is the opposite half-edge, or -1
 *   triangleAcrossEdge  Int32Array: the triangle across the edge that
 *                       half-edge e runs along (halfedges[e] / 3), or -1
 *   hull                Uint32Array, the convex hull counter-clockwise
 *                       (collinear points: all of them along their line)
 *   vertexOfPoint       Int32Array: i for a point in the mesh, the first
 *                       earlier point with the same x and y for a repeat,
 *                       -1 for a point with a NaN or infinite coordinate
 * and with constraints: addedCount, constrained (Uint8Array, 1 where edge
 * e lies on a segment), segments (the segments as split),
 * triangleAttributes (Float64Array, each triangle's region attribute, 0
 * outside every region), holeOnSegmentCount (hole points lying on a
 * segment, which remove nothing) and quality (minAngle, maxAngle,
 * angleHistogram, addedByRefinement, unrefinedCount, budgetReached).
 */
export class Triangulation extends MeshOperations {
  constructor(arrays) {
    super();
    Object.assign(this, arrays);
  }

  _libraryMesh() {
    return this;
  }
}

/**
 * Triangulates points: a flat Float64Array (or array of numbers) x0, y0,
 * x1, y1, ..., or an array of [x, y]. With options.segments (index pairs),
 * the constrained triangulation; options.holes and options.region
 * ('hull' or 'inside') choose what of it is kept, options.regions
 * ([x, y, attribute, maxArea] rows) give attributes and area bounds, and
 * options.minAngle (degrees), maxArea, maxSteiner and conforming refine it
 * (the added points follow the input and crossing points in coords).
 */
export function triangulate(points, options) {
  const coords = flatCoordinates(points, 'points');
  if (options !== undefined && (options === null || typeof options !== 'object')) {
    throw new TypeError('delaunay2d: options must be an object');
  }
  if (options !== undefined && CONSTRAINED_OPTIONS.some((name) => options[name] !== undefined)) {
    return new Triangulation(triangulateConstrained(coords, options, false));
  }
  return new Triangulation({ coords, ...triangulateFlat(coords, false) });
}

// The options that take the constrained call; any one of them does.
const CONSTRAINED_OPTIONS = ['segments', 'holes', 'region', 'regions', 'minAngle', 'maxArea', 'maxSteiner', 'conforming'];

const defaultGetX = (p) => p[0];
const defaultGetY = (p) => p[1];

/**
 * delaunator's interface over the exact triangulation: the same
 * constructor forms and fields (coords, triangles, halfedges, hull,
 * trianglesLen), triangles in delaunator's orientation (counter-clockwise
 * on a page whose y points down, clockwise with y up) and its half-edge
 * layout. Beyond it: vertexOfPoint, and the operations (find, locate,
 * interpolate, voronoi). A second constructor argument
 * { segments, holes, region } gives the constrained triangulation.
 */
export default class Delaunay2D extends MeshOperations {
  static from(points, getX = defaultGetX, getY = defaultGetY, options) {
    if (points === null || typeof points !== 'object' || typeof points.length !== 'number') {
      throw new TypeError('delaunay2d: from() takes an array of points');
    }
    if (typeof getX !== 'function' || typeof getY !== 'function') {
      throw new TypeError('delaunay2d: from() takes functions getX and getY');
    }
    const n = points.length;
    const coords = new Float64Array(2 * n);
    for (let i = 0; i < n; i++) {
      const p = points[i];
      const x = getX(p, i, points);
      const y = getY(p, i, points);
      if (typeof x !== 'number' || typeof y !== 'number') {
        throw new TypeError(`delaunay2d: point ${i} gives ${typeof x} and ${typeof y} coordinates; expected numbers`);
      }
      coords[2 * i] = x;
      coords[2 * i + 1] = y;
    }
    return new Delaunay2D(coords, options);
  }

  constructor(coords, options) {
    super();
    if (coords === null || typeof coords !== 'object' || typeof coords.length !== 'number') {
      throw new TypeError('delaunay2d: expected coords, a flat array of numbers x0, y0, x1, y1, ...');
    }
    if (coords.length > 0 && typeof coords[0] !== 'number') {
      throw new TypeError('delaunay2d: expected coords to contain numbers (use Delaunator.from for an array of points)');
    }
    this.coords = coords;
    this._options = options;
    this.update();
  }

  /** Triangulates again after coords were changed in place. */
  update() {
    const flat = flatCoordinates(this.coords, 'coords');
    const options = this._options;
    const arrays = options === undefined
      ? triangulateFlat(flat, true)
      : triangulateConstrained(flat, options, true);
    // With constraints the crossing points are added after the input ones.
    if (arrays.coords !== undefined && arrays.addedCount > 0) this.coords = arrays.coords;
    delete arrays.coords;
    Object.assign(this, arrays);
    this.trianglesLen = this.triangles.length;
    this._library = null;
  }

  _libraryMesh() {
    if (this._library === null) {
      const coords = this.coords instanceof Float64Array ? this.coords : Float64Array.from(this.coords);
      this._library = {
        coords,
        ...counterClockwiseArrays(this.triangles, this.halfedges),
        hull: this.hull.slice().reverse(),
        vertexOfPoint: this.vertexOfPoint,
      };
    }
    return this._library;
  }
}

export { Delaunay2D as Delaunator };
