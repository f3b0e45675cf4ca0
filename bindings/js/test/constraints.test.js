// The constrained triangulation from JavaScript: every segment (as split at
// crossings) is an edge of the mesh and flagged on both of its half-edges,
// every other edge is locally Delaunay (exact check), the region 'inside'
// keeps exactly what the rings enclose, and both interfaces agree.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import Delaunator, { memoryStats, triangulate } from '../index.js';
import { exports } from '../src/module.js';
import { checkMesh } from './support/exact.js';
import { random, uniform } from './support/families.js';

const skip = typeof exports().delaunay2d_triangulate_constrained !== 'function'
  ? 'this build has no constrained triangulation' : false;

function edgesOf(t) {
  const edges = new Map();
  for (let e = 0; e < t.triangles.length; e++) {
    const a = t.triangles[e];
    const b = t.triangles[e % 3 === 2 ? e - 2 : e + 1];
    edges.set(`${a},${b}`, e);
  }
  return edges;
}

function assertConstrained(t, orientation, label) {
  const check = checkMesh(t, orientation);
  assert.ok(check.ok, `${label}: ${check.problems.join('; ')}`);
  const edges = edgesOf(t);
  for (let s = 0; s < t.segments.length; s += 2) {
    const [a, b] = [t.segments[s], t.segments[s + 1]];
    const e = edges.get(`${a},${b}`) ?? edges.get(`${b},${a}`);
    assert.ok(e !== undefined, `${label}: segment ${a}-${b} is an edge`);
    assert.equal(t.constrained[e], 1, `${label}: segment ${a}-${b} is flagged`);
    if (t.halfedges[e] >= 0) assert.equal(t.constrained[t.halfedges[e]], 1);
  }
}

test('random segments: each one an edge, the rest Delaunay', { skip }, () => {
  for (const seed of [1, 2, 3]) {
    const coords = uniform(400, seed);
    const rnd = random(seed + 10);
    const segments = [];
    for (let i = 0; i < 12; i++) segments.push([Math.floor(rnd() * 400), Math.floor(rnd() * 400)]);
    const usable = segments.filter(([a, b]) => a !== b);
    const t = triangulate(coords, { segments: usable });
    assertConstrained(t, 1, `seed ${seed}`);
    assert.equal(t.coords.length / 2, 400 + t.addedCount);
    const d = new Delaunator(coords, { segments: usable });
    assertConstrained(d, -1, `seed ${seed}, drop-in`);
    assert.equal(d.triangles.length, t.triangles.length);
  }
});

test('crossing diagonals meet at an added point', { skip }, () => {
  const t = triangulate([[0, 0], [2, 0], [2, 2], [0, 2]], { segments: [[0, 2], [1, 3]] });
  assert.equal(t.addedCount, 1);
  assert.deepEqual([...t.coords.subarray(8)], [1, 1]);
  assert.equal(t.triangles.length / 3, 4);
  assertConstrained(t, 1, 'diagonals');
});

test("region 'inside': a square ring with a hole keeps the area between", { skip }, () => {
  const points = [[0, 0], [4, 0], [4, 4], [0, 4], [1, 1], [3, 1], [3, 3], [1, 3], [0.5, 2.5], [3.5, 0.5]];
  const ring = (k) => [[k, k + 1], [k + 1, k + 2], [k + 2, k + 3], [k + 3, k]];
  const t = triangulate(points, { segments: [...ring(0), ...ring(4)], holes: [[2, 2]], region: 'inside' });
  let area = 0;
  for (let e = 0; e < t.triangles.length; e += 3) {
    const [a, b, c] = [t.triangles[e], t.triangles[e + 1], t.triangles[e + 2]];
    const [ax, ay, bx, by, cx, cy] = [t.coords[2 * a], t.coords[2 * a + 1], t.coords[2 * b], t.coords[2 * b + 1], t.coords[2 * c], t.coords[2 * c + 1]];
    area += ((bx - ax) * (cy - ay) - (by - ay) * (cx - ax)) / 2;
    const [mx, my] = [(ax + bx + cx) / 3, (ay + by + cy) / 3];
    assert.ok(!(mx > 1 && mx < 3 && my > 1 && my < 3), 'no triangle in the hole');
  }
  assert.equal(area, 16 - 4);
  const hull = triangulate(points, { segments: [...ring(0), ...ring(4)] });
  assert.equal(hull.triangles.length / 3, 2 * 10 - 2 - 4);
});

test('a hole point on a segment removes nothing and is counted', { skip }, () => {
  // The example of doc/javascript.md: (0.5, 0.5) lies on the segment
  // (1, 0) - (0, 1); (0.25, 0.25) lies inside the triangle.
  const points = [[0, 0], [1, 0], [0, 1], [1, 1]];
  const segments = [[0, 1], [1, 2], [2, 0]];
  const on = triangulate(points, { segments, holes: [[0.5, 0.5]], region: 'inside' });
  assert.equal(on.holeOnSegmentCount, 1);
  assert.equal(on.triangles.length / 3, 1);
  const inside = triangulate(points, { segments, holes: [[0.25, 0.25]] });
  assert.equal(inside.holeOnSegmentCount, 0);
  assert.equal(inside.triangles.length / 3, 1);  // the triangle beyond the hypotenuse is kept
  assert.equal(triangulate(points, { segments }).holeOnSegmentCount, 0);
});

test('constraints: bad input', { skip }, () => {
  const coords = uniform(10, 1);
  assert.throws(() => triangulate(coords, { segments: [[0, 10]] }), { name: 'RangeError', message: /not a point index/ });
  assert.throws(() => triangulate(coords, { segments: [0, 1, 2] }), RangeError);
  assert.throws(() => triangulate(coords, { segments: 'x' }), TypeError);
  assert.throws(() => triangulate(coords, { segments: [[0, 1.5]] }), TypeError);
  assert.throws(() => triangulate(coords, { segments: [[0, 1]], region: 'outside' }), RangeError);
  assert.throws(() => triangulate(coords, { holes: [[NaN, 0]], region: 'inside' }), RangeError);
  assert.equal(memoryStats().heapBytesInUse, 0);
});
