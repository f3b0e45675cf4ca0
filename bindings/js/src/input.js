// Points as the callers hand them over, checked and turned into one flat
// Float64Array (x0, y0, x1, y1, ...), which is what crosses into the module.

// The most points one call takes: the library header's DELAUNAY2D_MAX_POINTS.
export const MOST_POINTS = 134217664;

function describe(value) {
  if (value === null) return 'null';
  if (Array.isArray(value)) return 'an array';
  if (ArrayBuffer.isView(value)) return `a ${value.constructor.name}`;
  return `a ${typeof value}`;
}

/**
 * A flat Float64Array of x, y pairs from a Float64Array (taken as it is),
 * another typed array or array of numbers (flat pairs), or an array of
 * [x, y] points. Non-finite coordinates are allowed (such points are left
 * out of the mesh); anything that is not a number is a TypeError, an odd
 * number of coordinates a RangeError.
 */
export function flatCoordinates(input, what = 'coords') {
  if (input instanceof Float64Array) return checkedLength(input, what);
  if (ArrayBuffer.isView(input) && !(input instanceof DataView)) {
    if (input instanceof BigInt64Array || input instanceof BigUint64Array) {
      throw new TypeError(`delaunay2d: ${what} must hold numbers, not BigInts`);
    }
    return checkedLength(Float64Array.from(input), what);
  }
  if (!Array.isArray(input)) {
    throw new TypeError(`delaunay2d: ${what} must be a Float64Array, an array of numbers or an array of [x, y] points; got ${describe(input)}`);
  }
  if (input.length > 0 && typeof input[0] !== 'number') return fromPairs(input, what);
  const out = new Float64Array(input.length);
  for (let i = 0; i < input.length; i++) {
    const v = input[i];
    if (typeof v !== 'number') {
      throw new TypeError(`delaunay2d: ${what}[${i}] is ${describe(v)}; a flat array must hold numbers only`);
    }
    out[i] = v;
  }
  return checkedLength(out, what);
}

function fromPairs(points, what) {
  if (points.length > MOST_POINTS) throw new RangeError(`delaunay2d: ${what} has more than ${MOST_POINTS} points`);
  const out = new Float64Array(2 * points.length);
  for (let i = 0; i < points.length; i++) {
    const p = points[i];
    if (p === null || typeof p !== 'object' || typeof p.length !== 'number') {
      throw new TypeError(`delaunay2d: ${what}[${i}] is ${describe(p)}; expected an [x, y] point`);
    }
    if (p.length < 2) throw new RangeError(`delaunay2d: ${what}[${i}] has ${p.length} coordinate(s); expected [x, y]`);
    const x = p[0];
    const y = p[1];
    if (typeof x !== 'number' || typeof y !== 'number') {
      throw new TypeError(`delaunay2d: ${what}[${i}] must hold two numbers; got ${describe(x)} and ${describe(y)}`);
    }
    out[2 * i] = x;
    out[2 * i + 1] = y;
  }
  return out;
}

function checkedLength(coords, what) {
  if (coords.length % 2 !== 0) {
    throw new RangeError(`delaunay2d: ${what} has ${coords.length} numbers; x, y pairs need an even count`);
  }
  if (coords.length / 2 > MOST_POINTS) throw new RangeError(`delaunay2d: ${what} has more than ${MOST_POINTS} points`);
  return coords;
}

/** A finite number, or a TypeError / RangeError naming it. */
export function finiteNumber(value, what) {
  if (typeof value !== 'number') throw new TypeError(`delaunay2d: ${what} must be a number; got ${describe(value)}`);
  if (!Number.isFinite(value)) throw new RangeError(`delaunay2d: ${what} must be finite; got ${value}`);
  return value;
}

/** [xmin, ymin, xmax, ymax] of finite numbers with xmin < xmax and ymin < ymax (a box with area). */
export function bounds(box, what = 'bounds') {
  if (box === null || typeof box !== 'object' || typeof box.length !== 'number') {
    throw new TypeError(`delaunay2d: ${what} must be [xmin, ymin, xmax, ymax]; got ${describe(box)}`);
  }
  if (box.length !== 4) throw new RangeError(`delaunay2d: ${what} must have 4 numbers; got ${box.length}`);
  const b = Array.from(box, (v, i) => finiteNumber(v, `${what}[${i}]`));
  if (!(b[0] < b[2] && b[1] < b[3])) {
    throw new RangeError(`delaunay2d: ${what} [${b.join(', ')}] must have xmin < xmax and ymin < ymax (a box with area)`);
  }
  return b;
}
