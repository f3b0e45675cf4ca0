// An independent exact check of a triangulation, in plain JavaScript: every
// orientation and in-circle question is answered on the doubles turned into
// BigInt-scaled rationals (x = m * 2^e exactly), after a floating-point
// filter that only lets through answers whose sign it can prove.
//
// It knows nothing of how the mesh was made, so it checks delaunator's
// meshes as well as ours (orientation +1: counter-clockwise with y up,
// ours; -1: delaunator's).

const view = new DataView(new ArrayBuffer(8));

/** x as [m, e] with x = m * 2^e exactly (m a BigInt). */
function exactParts(x) {
  view.setFloat64(0, x);
  const hi = view.getUint32(0);
  const lo = view.getUint32(4);
  const sign = hi >>> 31 ? -1n : 1n;
  const biased = (hi >>> 20) & 0x7ff;
  let mantissa = (BigInt(hi & 0xfffff) << 32n) | BigInt(lo);
  let exponent;
  if (biased === 0) exponent = -1074;
  else {
    mantissa |= 1n << 52n;
    exponent = biased - 1075;
  }
  return [sign * mantissa, exponent];
}

/** The numbers as BigInts all scaled by the same power of two. */
function commonScale(values) {
  const parts = values.map(exactParts);
  const low = Math.min(...parts.map((p) => p[1]));
  return parts.map(([m, e]) => m << BigInt(e - low));
}

const sign = (v) => (v > 0n ? 1 : v < 0n ? -1 : 0);

function orientExact(ax, ay, bx, by, cx, cy) {
  const [Ax, Ay, Bx, By, Cx, Cy] = commonScale([ax, ay, bx, by, cx, cy]);
  return sign((Bx - Ax) * (Cy - Ay) - (By - Ay) * (Cx - Ax));
}

/** Sign of the turn a -> b -> c: 1 left (counter-clockwise, y up), -1 right, 0 straight. */
export function orient(ax, ay, bx, by, cx, cy) {
  const left = (bx - ax) * (cy - ay);
  const right = (by - ay) * (cx - ax);
  const det = left - right;
  const bound = 3.3306690738754716e-16 * (Math.abs(left) + Math.abs(right));
  if (Number.isFinite(det) && Number.isFinite(bound) && Math.abs(det) > bound && bound > 1e-290) return Math.sign(det);
  return orientExact(ax, ay, bx, by, cx, cy);
}

function inCircleExact(ax, ay, bx, by, cx, cy, dx, dy) {
  const [Ax, Ay, Bx, By, Cx, Cy, Dx, Dy] = commonScale([ax, ay, bx, by, cx, cy, dx, dy]);
  const adx = Ax - Dx, ady = Ay - Dy, bdx = Bx - Dx, bdy = By - Dy, cdx = Cx - Dx, cdy = Cy - Dy;
  const alift = adx * adx + ady * ady;
  const blift = bdx * bdx + bdy * bdy;
  const clift = cdx * cdx + cdy * cdy;
  return sign(alift * (bdx * cdy - cdx * bdy) + blift * (cdx * ady - adx * cdy) + clift * (adx * bdy - bdx * ady));
}

/** Sign of d against the circle through a, b, c taken counter-clockwise: 1 inside, 0 on, -1 outside. */
export function inCircle(ax, ay, bx, by, cx, cy, dx, dy) {
  const adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx, cdy = cy - dy;
  const bc = bdx * cdy - cdx * bdy;
  const ca = cdx * ady - adx * cdy;
  const ab = adx * bdy - bdx * ady;
  const alift = adx * adx + ady * ady;
  const blift = bdx * bdx + bdy * bdy;
  const clift = cdx * cdx + cdy * cdy;
  const det = alift * bc + blift * ca + clift * ab;
  const permanent = (Math.abs(bdx * cdy) + Math.abs(cdx * bdy)) * alift +
    (Math.abs(cdx * ady) + Math.abs(adx * cdy)) * blift + (Math.abs(adx * bdy) + Math.abs(bdx * ady)) * clift;
  const bound = 1.1102230246251577e-15 * permanent;
  if (Number.isFinite(det) && Number.isFinite(bound) && Math.abs(det) > bound && bound > 1e-290) return Math.sign(det);
  return inCircleExact(ax, ay, bx, by, cx, cy, dx, dy);
}

/**
 * Checks a mesh; returns { ok, problems: [...], counts } where counts holds
 * how many triangles turn the wrong way, edges are not locally Delaunay,
 * half-edge links are broken, and distinct points are in no triangle.
 *   orientation   +1 for counter-clockwise rows with y up, -1 for clockwise
 *   vertexOfPoint optional: checked against the first point at each place
 *   constrained   optional: 1 for half-edges on a constraint, which need
 *                 not be locally Delaunay (a constrained Delaunay mesh)
 */
export function checkMesh({ coords, triangles, halfedges, hull, vertexOfPoint, constrained }, orientation = 1) {
  const n = coords.length / 2;
  const problems = [];
  const counts = { wrongTurns: 0, nonDelaunayEdges: 0, brokenLinks: 0, missingPoints: 0, badHull: 0 };
  const note = (kind, text) => {
    counts[kind]++;
    if (problems.length < 10) problems.push(text);
  };
  const x = (i) => coords[2 * i];
  const y = (i) => coords[2 * i + 1];

  // The distinct finite points, each standing for the later ones at its place.
  const first = new Map();
  const distinct = [];
  for (let i = 0; i < n; i++) {
    const px = x(i) + 0, py = y(i) + 0;
    let expected = -1;
    if (Number.isFinite(px) && Number.isFinite(py)) {
      const key = `${px},${py}`;
      if (!first.has(key)) {
        first.set(key, i);
        distinct.push(i);
      }
      expected = first.get(key);
    }
    if (vertexOfPoint && vertexOfPoint[i] !== expected) {
      note('missingPoints', `vertexOfPoint[${i}] = ${vertexOfPoint[i]}, expected ${expected}`);
    }
  }

  const t = triangles.length / 3;
  const used = new Uint8Array(n);
  for (let e = 0; e < triangles.length; e++) {
    const v = triangles[e];
    if (!(v < n)) note('brokenLinks', `triangles[${e}] = ${v} is no point`);
    else used[v] = 1;
  }
  for (let k = 0; k < t; k++) {
    const [a, b, c] = [triangles[3 * k], triangles[3 * k + 1], triangles[3 * k + 2]];
    if (orient(x(a), y(a), x(b), y(b), x(c), y(c)) !== orientation) note('wrongTurns', `triangle ${k} turns the wrong way`);
  }

  // Half-edges: each pair runs both ways along one edge; each interior
  // edge is locally Delaunay (the far vertex is not inside the circle).
  let boundary = 0;
  const next = new Map();  // boundary edge start -> end
  for (let e = 0; e < triangles.length; e++) {
    const o = halfedges[e];
    const from = triangles[e];
    const to = triangles[e % 3 === 2 ? e - 2 : e + 1];
    if (o === -1) {
      boundary++;
      if (next.has(from)) note('brokenLinks', `two boundary edges start at point ${from}`);
      next.set(from, to);
      continue;
    }
    if (!(o >= 0 && o < triangles.length) || halfedges[o] !== e) {
      note('brokenLinks', `halfedges[${e}] = ${o} does not link back`);
      continue;
    }
    const oTo = triangles[o % 3 === 2 ? o - 2 : o + 1];
    if (triangles[o] !== to || oTo !== from) {
      note('brokenLinks', `half-edges ${e} and ${o} are not one edge`);
      continue;
    }
    if (o < e) continue;
    if (constrained && (constrained[e] || constrained[o])) continue;
    const k = Math.floor(e / 3);
    const far = triangles[3 * Math.floor(o / 3) + ((o % 3) + 2) % 3];
    let [a, b, c] = [triangles[3 * k], triangles[3 * k + 1], triangles[3 * k + 2]];
    if (orientation < 0) [b, c] = [c, b];
    if (inCircle(x(a), y(a), x(b), y(b), x(c), y(c), x(far), y(far)) > 0) {
      note('nonDelaunayEdges', `edge ${from}-${to}: point ${far} is inside the circle of triangle ${k}`);
    }
  }

  for (const i of distinct) {
    if (t > 0 && !used[i]) note('missingPoints', `point ${i} is in no triangle`);
  }
  if (t === 0) {
    checkLineHull(distinct, hull, x, y, note);
  } else {
    // The boundary is one convex cycle, the same as the hull, and the mesh
    // has as many triangles as a triangulation of these points must.
    if (hull.length !== boundary) note('badHull', `hull has ${hull.length} points, the boundary ${boundary} edges`);
    for (let i = 0; i < hull.length; i++) {
      const a = hull[i], b = hull[(i + 1) % hull.length], c = hull[(i + 2) % hull.length];
      if (next.get(a) !== b) {
        note('badHull', `hull ${a} -> ${b} is no boundary edge`);
        break;
      }
      if (orient(x(a), y(a), x(b), y(b), x(c), y(c)) === -orientation) note('badHull', `hull turns inwards at ${b}`);
    }
    const expected = 2 * distinct.length - 2 - boundary;
    if (t !== expected) note('missingPoints', `${t} triangles; ${distinct.length} points with ${boundary} on the boundary make ${expected}`);
  }
  const ok = Object.values(counts).every((c) => c === 0);
  return { ok, problems, counts };
}

// Without triangles: the distinct points along their line, in order.
function checkLineHull(distinct, hull, x, y, note) {
  if (hull.length !== distinct.length) note('badHull', `hull has ${hull.length} of ${distinct.length} points`);
  for (let i = 0; i + 2 < hull.length; i++) {
    const [a, b, c] = [hull[i], hull[i + 1], hull[i + 2]];
    if (orient(x(a), y(a), x(b), y(b), x(c), y(c)) !== 0) note('badHull', `points ${a}, ${b}, ${c} are not on one line`);
    else if ((x(b) - x(a)) * (x(c) - x(b)) + (y(b) - y(a)) * (y(c) - y(b)) <= 0) note('badHull', `point ${b} is not between ${a} and ${c}`);
  }
  if (distinct.length >= 3) {
    const [a, b] = distinct;
    for (const c of distinct) {
      if (orient(x(a), y(a), x(b), y(b), x(c), y(c)) !== 0) {
        note('missingPoints', 'no triangles, but the points are not all on one line');
        break;
      }
    }
  }
}
