// The operations on a finished mesh (location, interpolation, Voronoi) and
// the constrained triangulation, each one call into the module with its
// input copied in and its output copied out.
import * as m from './module.js';
import { bounds as checkedBounds, finiteNumber, flatCoordinates, MOST_POINTS } from './input.js';
import { meshInMemory, readResult } from './mesh.js';

function need(call) {
  if (!m.has(call)) throw new Error(`delaunay2d: ${call} is not in this build of the module`);
  return m.exports()[call];
}

const METHODS = { linear: 0, nearest: 1, natural: 2 };
const REGIONS = { hull: 0, inside: 1 };

/** Triangle containing each query (one of them on an edge or vertex), or -1. */
export function locate(mesh, queries) {
  const q = flatCoordinates(queries, 'queries');
  const call = need('delaunay2d_locate');
  return m.withBlocks((keep) => {
    const { xy, result } = meshInMemory(mesh, keep);
    const at = keep(m.copyIn(q));
    const out = keep(m.allocate(2 * q.length));
    m.check(call(xy, 2, result, at, q.length / 2, 1, out), 'locate');
    return m.copyOut(Int32Array, out, q.length / 2);
  });
}

/**
 * values: k numbers per point (k = values.length / points); returns k numbers
 * per query. method: 'linear' (default), 'nearest' or 'natural'; fill: the
 * value outside the mesh (NaN by default; 'nearest' is defined everywhere).
 */
export function interpolate(mesh, values, queries, options = {}) {
  const n = mesh.vertexOfPoint.length;
  const v = values instanceof Float64Array ? values : flatNumbers(values, 'values');
  if (n === 0 || v.length % n !== 0 || v.length === 0) {
    throw new RangeError(`delaunay2d: values has ${v.length} numbers; expected a positive multiple of the ${n} points`);
  }
  const k = v.length / n;
  const q = flatCoordinates(queries, 'queries');
  const methodName = options.method ?? 'linear';
  const method = METHODS[methodName];
  if (method === undefined) throw new RangeError(`delaunay2d: method must be 'linear', 'nearest' or 'natural'; got ${String(methodName)}`);
  const fill = options.fill ?? NaN;
  if (typeof fill !== 'number') throw new TypeError('delaunay2d: fill must be a number');
  const call = need('delaunay2d_interpolate');
  return m.withBlocks((keep) => {
    const { xy, result } = meshInMemory(mesh, keep);
    const valuesAt = keep(m.copyIn(v));
    const queriesAt = keep(m.copyIn(q));
    const out = keep(m.allocate(8 * k * (q.length / 2)));
    m.check(call(xy, 2, result, valuesAt, k, method, queriesAt, q.length / 2, fill, 1, out), 'interpolate');
    return m.copyOut(Float64Array, out, k * (q.length / 2));
  });
}

function flatNumbers(values, what) {
  if (ArrayBuffer.isView(values) || Array.isArray(values)) {
    const out = Float64Array.from(values);
    for (let i = 0; i < values.length; i++) {
      if (typeof values[i] !== 'number') throw new TypeError(`delaunay2d: ${what}[${i}] must be a number`);
    }
    return out;
  }
  throw new TypeError(`delaunay2d: ${what} must be an array of numbers`);
}

// delaunay2d_cells: struct_size, point_count, offsets, vertices.
const CELLS_BYTES = 16;

/**
 * Each point's Voronoi cell clipped to [xmin, ymin, xmax, ymax]: cell i is
 * vertices[2 * offsets[i] .. 2 * offsets[i + 1]), counter-clockwise, first
 * vertex not repeated; empty for a repeated point or one outside the box.
 */
export function voronoiCells(mesh, box) {
  const b = checkedBounds(box);
  const call = need('delaunay2d_voronoi_cells');
  return m.withBlocks((keep) => {
    const { xy, result } = meshInMemory(mesh, keep);
    const bboxAt = keep(m.copyIn(Float64Array.from(b)));
    const cells = keep(m.allocate(CELLS_BYTES));
    new Uint32Array(m.exports().memory.buffer, cells, 4).set([CELLS_BYTES, 0, 0, 0]);
    m.check(call(xy, 2, result, bboxAt, 1, cells), 'voronoi cells');
    try {
      const [, pointCount, offsetsAt, verticesAt] = new Uint32Array(m.exports().memory.buffer, cells, 4);
      const offsets = m.copyOut(Uint32Array, offsetsAt, pointCount + 1);
      return { offsets, vertices: m.copyOut(Float64Array, verticesAt, 2 * offsets[pointCount]) };
    } finally {
      m.exports().delaunay2d_cells_free(cells);
    }
  });
}

// delaunay2d_voronoi: struct_size, vertex_count, vertices, ridge_count,
// ridge_points, ridge_vertices, region_offsets, regions.
const VORONOI_BYTES = 32;

/**
 * The unbounded diagram as scipy gives it: vertices (circumcentres, vertex t
 * of triangle t), ridges (the two points each separates and its two ends,
 * -1 at infinity) and each point's region as vertex indices, -1 for
 * infinity.
 */
export function voronoiDiagram(mesh) {
  const call = need('delaunay2d_voronoi_build');
  return m.withBlocks((keep) => {
    const { xy, result } = meshInMemory(mesh, keep);
    const v = keep(m.allocate(VORONOI_BYTES));
    new Uint32Array(m.exports().memory.buffer, v, 8).set([VORONOI_BYTES, 0, 0, 0, 0, 0, 0, 0]);
    m.check(call(xy, 2, result, v), 'voronoi');
    try {
      const [, vertexCount, verticesAt, ridgeCount, ridgePointsAt, ridgeVerticesAt, offsetsAt, regionsAt] =
        new Uint32Array(m.exports().memory.buffer, v, 8);
      const n = mesh.vertexOfPoint.length;
      const regionOffsets = m.copyOut(Uint32Array, offsetsAt, n + 1);
      return {
        vertices: m.copyOut(Float64Array, verticesAt, 2 * vertexCount),
        ridgePoints: m.copyOut(Uint32Array, ridgePointsAt, 2 * ridgeCount),
        ridgeVertices: m.copyOut(Int32Array, ridgeVerticesAt, 2 * ridgeCount),
        regionOffsets,
        regions: m.copyOut(Int32Array, regionsAt, regionOffsets[n]),
      };
    } finally {
      m.exports().delaunay2d_voronoi_free(v);
    }
  });
}

/** Segments as flat index pairs, [[i, j], ...] or a Uint32Array. */
function flatSegments(segments, pointCount) {
  let flat;
  if (segments instanceof Uint32Array) flat = segments;
  else if (Array.isArray(segments) && segments.length > 0 && typeof segments[0] !== 'number') {
    flat = new Uint32Array(2 * segments.length);
    segments.forEach((s, i) => {
      if (s === null || typeof s !== 'object' || s.length !== 2) throw new TypeError(`delaunay2d: segments[${i}] must be [i, j]`);
      flat[2 * i] = index(s[0], `segments[${i}][0]`, pointCount);
      flat[2 * i + 1] = index(s[1], `segments[${i}][1]`, pointCount);
    });
    return flat;
  } else if (Array.isArray(segments) || ArrayBuffer.isView(segments)) {
    flat = new Uint32Array(segments.length);
    for (let i = 0; i < segments.length; i++) flat[i] = index(segments[i], `segments[${i}]`, pointCount);
  } else {
    throw new TypeError('delaunay2d: segments must be a Uint32Array, an array of indices or an array of [i, j] pairs');
  }
  if (flat.length % 2 !== 0) throw new RangeError(`delaunay2d: segments has ${flat.length} indices; pairs need an even count`);
  for (let i = 0; i < flat.length; i++) index(flat[i], `segments[${i}]`, pointCount);
  return flat;
}

function index(value, what, pointCount) {
  if (typeof value !== 'number' || !Number.isInteger(value)) throw new TypeError(`delaunay2d: ${what} must be an integer point index`);
  if (value < 0 || value >= pointCount) throw new RangeError(`delaunay2d: ${what} = ${value} is not a point index (0 .. ${pointCount - 1})`);
  return value;
}

// delaunay2d_constraint_options in 32-bit WebAssembly: struct_size,
// segments, segment_count, holes, hole_count, region, threads, then (1.1)
// regions, region_count, quality: ten 4-byte fields.
const OPTIONS_BYTES = 40;
// delaunay2d_quality_options: struct_size, (pad), min_angle, max_area,
// max_steiner (8 bytes), conforming, (pad).
const QUALITY_BYTES = 40;
// delaunay2d_constrained_result: struct_size, mesh (28 bytes), points,
// added_count, constrained, segment_count, segments, triangle_attributes,
// hole_on_segment_count, (pad), quality (a delaunay2d_mesh_quality of 184
// bytes at 64), as wasm/mesh_arrays.cpp asserts.
const CONSTRAINED_BYTES = 248;
const QUALITY_AT = 64;

/** Regions as flat rows x, y, attribute, maxArea: [[x, y, a, m], ...] or 4k numbers. */
function flatRegions(regions) {
  let flat;
  if (Array.isArray(regions) && regions.length > 0 && typeof regions[0] !== 'number') {
    flat = new Float64Array(4 * regions.length);
    regions.forEach((r, i) => {
      if (r === null || typeof r !== 'object' || r.length !== 4) {
        throw new TypeError(`delaunay2d: regions[${i}] must be [x, y, attribute, maxArea]`);
      }
      for (let k = 0; k < 4; k++) flat[4 * i + k] = finiteNumber(r[k], `regions[${i}][${k}]`);
    });
    return flat;
  }
  if (!Array.isArray(regions) && !ArrayBuffer.isView(regions)) {
    throw new TypeError('delaunay2d: regions must be an array of [x, y, attribute, maxArea] rows or of 4k numbers');
  }
  flat = new Float64Array(regions.length);
  for (let i = 0; i < regions.length; i++) flat[i] = finiteNumber(regions[i], `regions[${i}]`);
  if (flat.length % 4 !== 0) throw new RangeError(`delaunay2d: regions has ${flat.length} numbers; rows of 4 need a multiple of 4`);
  return flat;
}

/** The refinement options checked, or null when none is asked. */
function refinementOptions(options, regions) {
  const { minAngle, maxArea, maxSteiner, conforming } = options;
  const regionAreas = regions.some((v, i) => i % 4 === 3 && v > 0);
  if (minAngle === undefined && maxArea === undefined && maxSteiner === undefined && !conforming && !regionAreas) return null;
  const angle = minAngle === undefined ? 0 : finiteNumber(minAngle, 'minAngle');
  if (!(angle >= 0 && angle < 60)) throw new RangeError(`delaunay2d: minAngle must be at least 0 and below 60 degrees; got ${angle}`);
  const area = maxArea === undefined ? 0 : finiteNumber(maxArea, 'maxArea');
  if (maxArea !== undefined && !(area > 0)) throw new RangeError(`delaunay2d: maxArea must be positive; got ${area}`);
  const steiner = maxSteiner ?? 0;
  if (typeof steiner !== 'number') throw new TypeError('delaunay2d: maxSteiner must be a number');
  if (!Number.isSafeInteger(steiner) || steiner < 0) {
    throw new RangeError(`delaunay2d: maxSteiner must be a non-negative integer; got ${steiner}`);
  }
  if (conforming !== undefined && typeof conforming !== 'boolean') throw new TypeError('delaunay2d: conforming must be a boolean');
  return { angle, area, steiner, conforming: conforming === true, noPoints: maxSteiner === 0 };
}

/**
 * The constrained Delaunay triangulation of the points with the segments
 * as edges (crossing segments split at added points). region 'hull' keeps
 * the whole convex hull, 'inside' what the closed rings of segments enclose
 * (even-odd) minus the regions of the hole points. A hole point exactly
 * on a segment or at its end removes nothing (which side it meant cannot
 * be told); holeOnSegmentCount counts them. regions give attributes and
 * area bounds; minAngle, maxArea, maxSteiner and conforming ask for
 * refinement (points added after the crossings).
 */
export function triangulateConstrained(coords, options, clockwise) {
  const n = coords.length / 2;
  const segments = flatSegments(options.segments ?? [], n);
  // The library refuses a segment naming a point with a NaN or infinite
  // coordinate as an invalid argument; say which segment here.
  for (let i = 0; i < segments.length; i++) {
    const p = segments[i];
    if (!Number.isFinite(coords[2 * p]) || !Number.isFinite(coords[2 * p + 1])) {
      const s = i >> 1;
      throw new RangeError(`delaunay2d: segment ${s} (${segments[2 * s]}, ${segments[2 * s + 1]}) names point ${p}, ` +
        `whose coordinates (${coords[2 * p]}, ${coords[2 * p + 1]}) are not finite`);
    }
  }
  const holes = options.holes === undefined ? new Float64Array(0) : flatCoordinates(options.holes, 'holes');
  for (let i = 0; i < holes.length; i++) finiteNumber(holes[i], `holes coordinate ${i}`);
  const regionName = options.region ?? 'hull';
  const region = REGIONS[regionName];
  if (region === undefined) throw new RangeError(`delaunay2d: region must be 'hull' or 'inside'; got ${String(regionName)}`);
  const regions = options.regions === undefined ? new Float64Array(0) : flatRegions(options.regions);
  const refine = refinementOptions(options, regions);
  const call = need('delaunay2d_triangulate_constrained');
  if (n > MOST_POINTS) throw new RangeError('delaunay2d: too many points');
  return m.withBlocks((keep) => {
    const xy = keep(m.copyIn(coords));
    const segmentsAt = keep(m.copyIn(segments));
    const holesAt = keep(m.copyIn(holes));
    const regionsAt = keep(m.copyIn(regions));
    let qualityAt = 0;
    if (refine !== null && !refine.noPoints) {
      qualityAt = keep(m.allocate(QUALITY_BYTES));
      const q = new DataView(m.exports().memory.buffer, qualityAt, QUALITY_BYTES);
      q.setUint32(0, QUALITY_BYTES, true);
      q.setFloat64(8, refine.angle, true);
      q.setFloat64(16, refine.area, true);
      q.setBigUint64(24, BigInt(refine.steiner), true);
      q.setInt32(32, refine.conforming ? 1 : 0, true);
    }
    const opts = keep(m.allocate(OPTIONS_BYTES));
    new Uint32Array(m.exports().memory.buffer, opts, 10).set(
      [OPTIONS_BYTES, segmentsAt, segments.length / 2, holesAt, holes.length / 2, region, 1,
        regionsAt, regions.length / 4, qualityAt]);
    const result = keep(m.allocate(CONSTRAINED_BYTES));
    new Uint32Array(m.exports().memory.buffer, result, CONSTRAINED_BYTES / 4).fill(0)[0] = CONSTRAINED_BYTES;
    m.check(call(xy, n, 2, opts, result), 'triangulate with constraints');
    try {
      const out = readResult(result + 4, clockwise, keep);
      const [, pointCount, triangleCount] = new Uint32Array(m.exports().memory.buffer, result, 3);
      const [pointsAt, addedCount, constrainedAt, segmentCount, splitAt, attributesAt, holeOnSegmentCount] =
        new Uint32Array(m.exports().memory.buffer, result + 32, 7);
      out.coords = m.copyOut(Float64Array, pointsAt, 2 * pointCount);
      out.addedCount = addedCount;
      out.constrained = m.copyOut(Uint8Array, constrainedAt, 3 * triangleCount);
      if (clockwise) out.constrained = reverseRowEdges(out.constrained);
      out.segments = m.copyOut(Uint32Array, splitAt, 2 * segmentCount);
      out.triangleAttributes = attributesAt ? m.copyOut(Float64Array, attributesAt, triangleCount) : new Float64Array(triangleCount);
      out.holeOnSegmentCount = holeOnSegmentCount;
      out.quality = readQuality(result + QUALITY_AT);
      if (refine !== null && refine.noPoints) {
        out.quality.unrefinedCount = countUnrefined(out, regions, refine);
        out.quality.budgetReached = out.quality.unrefinedCount > 0;
      }
      return out;
    } finally {
      m.exports().delaunay2d_constrained_result_free(result);
    }
  });
}

function readQuality(at) {
  const q = new DataView(m.exports().memory.buffer, at, 184);
  const histogram = [];
  for (let k = 0; k < 18; k++) histogram.push(Number(q.getBigUint64(16 + 8 * k, true)));
  return {
    minAngle: q.getFloat64(0, true),
    maxAngle: q.getFloat64(8, true),
    angleHistogram: histogram,
    addedByRefinement: Number(q.getBigUint64(160, true)),
    unrefinedCount: Number(q.getBigUint64(168, true)),
    budgetReached: q.getInt32(176, true) !== 0,
  };
}

// With maxSteiner 0 no quality record is passed (the library's 0 means no
// limit), so the triangles that miss their bounds are counted here, in
// doubles: smallest angle below minAngle, or area above the bound of the
// region whose attribute the triangle has (the global one otherwise).
function countUnrefined(out, regions, refine) {
  const areaOf = new Map();
  for (let r = 0; r < regions.length; r += 4) if (regions[r + 3] > 0) areaOf.set(regions[r + 2], regions[r + 3]);
  const { coords, triangles, triangleAttributes } = out;
  let count = 0;
  for (let t = 0; t < triangles.length / 3; t++) {
    const p = [0, 1, 2].map((k) => [coords[2 * triangles[3 * t + k]], coords[2 * triangles[3 * t + k] + 1]]);
    const area = Math.abs((p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[1][1] - p[0][1]) * (p[2][0] - p[0][0])) / 2;
    let smallest = 180;
    for (let k = 0; k < 3; k++) {
      const [a, b, c] = [p[k], p[(k + 1) % 3], p[(k + 2) % 3]];
      const dot = (b[0] - a[0]) * (c[0] - a[0]) + (b[1] - a[1]) * (c[1] - a[1]);
      smallest = Math.min(smallest, Math.atan2(2 * area, dot) * 180 / Math.PI);
    }
    const bound = areaOf.get(triangleAttributes[t]) ?? refine.area;
    if (smallest < refine.angle || (bound > 0 && area > bound)) count++;
  }
  return count;
}

// A per-edge flag of the library's rows (edge i = (v[i], v[i+1])) for
// delaunator's rows, whose half-edge 2 - i is that edge.
function reverseRowEdges(flags) {
  const out = new Uint8Array(flags.length);
  for (let e = 0; e < flags.length; e += 3) {
    out[e] = flags[e + 2];
    out[e + 1] = flags[e + 1];
    out[e + 2] = flags[e];
  }
  return out;
}
