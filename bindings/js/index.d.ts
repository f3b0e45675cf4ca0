// Type declarations of the delaunay2d package.

/** Points: flat x0, y0, x1, y1, ... (a Float64Array is used as it is), or [x, y] pairs. */
export type Points = Float64Array | ArrayLike<number> | ArrayLike<ArrayLike<number>>;

/** [xmin, ymin, xmax, ymax] */
export type Bounds = [number, number, number, number] | ArrayLike<number>;

export interface ConstraintOptions {
  /** Segments as point-index pairs: flat [i0, j0, i1, j1, ...], [[i, j], ...] or a Uint32Array. */
  segments?: Uint32Array | ArrayLike<number> | ArrayLike<[number, number]>;
  /** A point inside each hole; one exactly on a segment removes nothing (counted in holeOnSegmentCount). */
  holes?: Points;
  /** 'hull' (default): the whole convex hull; 'inside': what closed rings of segments enclose (even-odd), minus the holes. */
  region?: 'hull' | 'inside';
  /** Regions as in Triangle's .poly files: [x, y, attribute, maxArea] rows (or 4k numbers); maxArea > 0 bounds the region's areas under refinement. */
  regions?: ArrayLike<[number, number, number, number]> | ArrayLike<number>;
  /** Refinement: no kept triangle with an angle below this, in degrees (0 to below 60; up to 20.7 always ends, about 33 in practice). */
  minAngle?: number;
  /** Refinement: no kept triangle with an area above this (> 0). */
  maxArea?: number;
  /** Refinement: at most this many points added; 0 adds none (the figures still describe the mesh). */
  maxSteiner?: number;
  /** Refinement: split segments until every edge is Delaunay. */
  conforming?: boolean;
}

/** What the kept triangles of a constrained result are like. */
export interface MeshQuality {
  /** Smallest and largest angle of a kept triangle, degrees (0 without triangles). */
  minAngle: number;
  maxAngle: number;
  /** The angles, three per triangle, in 18 bins of 10 degrees: [0, 10) ... [170, 180]. */
  angleHistogram: number[];
  /** Points refinement added (after the crossing points). */
  addedByRefinement: number;
  /** Kept triangles still below the angle bound or above their area bound. */
  unrefinedCount: number;
  /** Whether refinement stopped at maxSteiner points. */
  budgetReached: boolean;
}

export interface InterpolateOptions {
  /** 'linear' (default, barycentric), 'nearest' (defined everywhere) or 'natural' (Sibson). */
  method?: 'linear' | 'nearest' | 'natural';
  /** The value outside the mesh for 'linear' and 'natural'; NaN by default. */
  fill?: number;
}

/** The unbounded Voronoi diagram in scipy's layout. */
export interface VoronoiDiagram {
  /** Circumcentres, x, y flat: vertex t is the circumcentre of triangle t. */
  vertices: Float64Array;
  /** The two points each ridge separates. */
  ridgePoints: Uint32Array;
  /** The two ends of each ridge, -1 at infinity. */
  ridgeVertices: Int32Array;
  /** Point i's region is regions[regionOffsets[i] .. regionOffsets[i + 1]). */
  regionOffsets: Uint32Array;
  /** Vertex indices counter-clockwise, -1 for infinity. */
  regions: Int32Array;
}

/** Voronoi cells clipped to bounds. */
export class Voronoi {
  /** Cell i is vertices[2 * offsets[i] .. 2 * offsets[i + 1]) (x, y flat), counter-clockwise with y up. */
  readonly offsets: Uint32Array;
  readonly vertices: Float64Array;
  readonly bounds: number[];
  /** Point i's cell as a closed polygon [[x0, y0], ..., [x0, y0]], or null when empty (a repeated point, or outside the bounds). */
  cellPolygon(i: number): [number, number][] | null;
  /** Every non-empty cell, with its point's index as `index`. */
  cellPolygons(): Generator<[number, number][] & { index: number }>;
}

declare abstract class MeshOperations {
  /** For each query, a triangle that contains it (one of them when on an edge or vertex), or -1. */
  locate(queries: Points): Int32Array;
  /** The triangle that contains (x, y), or -1. */
  triangleAt(x: number, y: number): number;
  /** The input point nearest to (x, y), exact ties to the lower index; -1 without points. */
  find(x: number, y: number): number;
  /**
   * values holds k numbers per point (values[i * k + j]); the result k numbers per query.
   * A repeated point takes the value of the point that stands for it (vertexOfPoint).
   */
  interpolate(values: Float64Array | ArrayLike<number>, queries: Points, options?: InterpolateOptions): Float64Array;
  /** Cells clipped to bounds (default: the bounding box of the points, widened where it is flat). */
  voronoi(bounds?: Bounds): Voronoi;
  voronoiDiagram(): VoronoiDiagram;
}

/**
 * A triangulation in the library's arrays. Triangles are counter-clockwise
 * with y pointing up (clockwise on a page whose y points down).
 */
export class Triangulation extends MeshOperations {
  /** The points, x, y flat: the input, then any crossing points a constrained triangulation added. */
  readonly coords: Float64Array;
  /** Three point indices per triangle, counter-clockwise. */
  readonly triangles: Uint32Array;
  /** Half-edge e = 3t + i runs from triangles[e] to triangles[3t + (i + 1) % 3]; halfedges[e] is its opposite, or -1. */
  readonly halfedges: Int32Array;
  /** The triangle on the other side of half-edge e (that is, halfedges[e] / 3 rounded down), or -1. */
  readonly triangleAcrossEdge: Int32Array;
  /** The convex hull, counter-clockwise; without triangles, the distinct points along their line. */
  readonly hull: Uint32Array;
  /** i for a point in the mesh; for a repeat, the first point with the same x and y; -1 for a NaN or infinite coordinate. */
  readonly vertexOfPoint: Int32Array;
  /** With constraints: points added after the input points (crossings, then refinement's). */
  readonly addedCount?: number;
  /** With constraints: each triangle's region attribute (0 outside every region). */
  readonly triangleAttributes?: Float64Array;
  /** With constraints: hole points lying on a segment (they remove nothing). */
  readonly holeOnSegmentCount?: number;
  /** With constraints: the quality figures of the kept triangles. */
  readonly quality?: MeshQuality;
  /** With constraints: 1 where half-edge e lies on a segment. */
  readonly constrained?: Uint8Array;
  /** With constraints: the segments as split, point-index pairs. */
  readonly segments?: Uint32Array;
  /** With constraints: hole points lying exactly on a segment (or its end); they remove nothing. */
  readonly holeOnSegmentCount?: number;
}

/**
 * Triangulates points exactly. With options (segments, holes, region),
 * the constrained Delaunay triangulation.
 * @throws TypeError for input that is not points, RangeError for an odd number of coordinates,
 *   too many points or memory that runs out.
 */
export function triangulate(points: Points, options?: ConstraintOptions): Triangulation;

/**
 * delaunator's interface over the exact triangulation (import Delaunator from 'delaunay2d'):
 * triangles listed as delaunator lists them (counter-clockwise on a page whose y points down),
 * its half-edge layout, its hull order. Repeated points are left out as delaunator leaves
 * them out; vertexOfPoint says which point stands for each.
 */
export default class Delaunay2D extends MeshOperations {
  static from<P>(points: ArrayLike<P>, getX?: (p: P, i: number, points: ArrayLike<P>) => number,
    getY?: (p: P, i: number, points: ArrayLike<P>) => number, options?: ConstraintOptions): Delaunay2D;
  constructor(coords: ArrayLike<number>, options?: ConstraintOptions);
  /** The caller's array (with constraints that added crossing points: a new one with them appended). */
  coords: ArrayLike<number>;
  triangles: Uint32Array;
  halfedges: Int32Array;
  hull: Uint32Array;
  trianglesLen: number;
  vertexOfPoint: Int32Array;
  addedCount?: number;
  constrained?: Uint8Array;
  segments?: Uint32Array;
  triangleAttributes?: Float64Array;
  holeOnSegmentCount?: number;
  quality?: MeshQuality;
  /** Triangulates again after coords changed in place. */
  update(): void;
}
export { Delaunay2D as Delaunator };

/** The library's version, "major.minor.patch". */
export const version: string;

/** Heap bytes in use inside the WebAssembly module (0 between calls) and the size of its memory. */
export function memoryStats(): { heapBytesInUse: number; memoryBytes: number };
