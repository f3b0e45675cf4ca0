// triangulate() and the drop-in class on every family of the property
// suite, read back and checked exactly by test/support/exact.js; what
// differs from a plain mesh (repeats, non-finite and collinear points);
// memory over many calls; bad input.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import Delaunator, { memoryStats, triangulate, version } from '../index.js';
import { checkMesh } from './support/exact.js';
import { circle, everyFamily, grid, random, uniform } from './support/families.js';

function assertSound(mesh, orientation, label) {
  const check = checkMesh(mesh, orientation);
  assert.ok(check.ok, `${label}: ${check.problems.join('; ')}`);
}

test('every family is an exact Delaunay triangulation, in both orientations', () => {
  for (const [name, coords] of everyFamily()) {
    const t = triangulate(coords);
    assertSound(t, 1, name);
    assert.deepEqual(t.coords, coords);
    for (let e = 0; e < t.halfedges.length; e++) {
      const o = t.halfedges[e];
      assert.equal(t.triangleAcrossEdge[e], o < 0 ? -1 : Math.floor(o / 3), `${name}: edge ${e}`);
    }
    const d = new Delaunator(coords);
    assertSound(d, -1, `${name} (drop-in)`);
    assert.equal(d.coords, coords, 'the drop-in keeps the caller\'s array');
    assert.equal(d.trianglesLen, d.triangles.length);
  }
});

test('repeats, non-finite and collinear points', () => {
  const rnd = random(3);
  const base = grid(12, 4);
  const pts = Array.from({ length: base.length / 2 }, (_, i) => [base[2 * i], base[2 * i + 1]]);
  for (let i = 0; i < 60; i++) pts.push(pts[Math.floor(rnd() * 144)].slice());
  pts.push([NaN, 1], [1, Infinity], [-0, -0]);
  const t = triangulate(pts);
  assertSound(t, 1, 'grid with repeats');
  assert.equal(t.vertexOfPoint[pts.length - 3], -1);
  assert.equal(t.vertexOfPoint[pts.length - 2], -1);
  assert.ok(t.vertexOfPoint[pts.length - 1] >= 0, '-0 is the same place as 0');

  const line = Array.from({ length: 50 }, (_, i) => [3 * ((i * 7) % 50), 2 * ((i * 7) % 50) - 1]);
  const flat = triangulate(line);
  assert.equal(flat.triangles.length, 0);
  assertSound(flat, 1, 'collinear');
  assert.equal(new Delaunator(line.flat()).hull.length, 50);
  assertSound(triangulate([[1, 5], [1, 5], [2, 0]]), 1, 'two distinct');
  assertSound(triangulate([...line, [10, 0]]), 1, 'all but one collinear');
  assertSound(triangulate([]), 1, 'no points');
  assert.deepEqual(triangulate([[NaN, 0]]).vertexOfPoint, Int32Array.of(-1));
});

test('a worked example: the unit square and its centre', () => {
  const t = triangulate([[0, 0], [1, 0], [1, 1], [0, 1], [0.5, 0.5]]);
  assert.equal(t.triangles.length, 12);
  assert.deepEqual([...t.hull].sort(), [0, 1, 2, 3]);
  for (let k = 0; k < 4; k++) assert.ok([...t.triangles.subarray(3 * k, 3 * k + 3)].includes(4));
  assert.match(version, /^\d+\.\d+\.\d+$/);
});

// delaunator's documented behaviour, on points in general position: the
// same triangles (as sets, listed in its orientation), the same hull cycle,
// half-edges that pair up as its guide describes, and update() after coords
// change in place.
test('the drop-in matches delaunator in general position', async () => {
  const { default: Reference } = await import('delaunator');
  for (const [n, seed] of [[3, 1], [10, 2], [100, 3], [2000, 4]]) {
    const coords = uniform(n, seed);
    const ours = new Delaunator(coords);
    const theirs = new Reference(coords);
    const rows = (d) => {
      const out = [];
      for (let e = 0; e < d.triangles.length; e += 3) {
        const r = [d.triangles[e], d.triangles[e + 1], d.triangles[e + 2]];
        const k = r.indexOf(Math.min(...r));
        out.push([r[k], r[(k + 1) % 3], r[(k + 2) % 3]].join());  // same rotation, orientation kept
      }
      return out.sort();
    };
    assert.deepEqual(rows(ours), rows(theirs), `n = ${n}`);
    const cycle = (h) => {
      const k = h.indexOf(Math.min(...h));
      return [...h.slice(k), ...h.slice(0, k)];
    };
    assert.deepEqual(cycle([...ours.hull]), cycle([...theirs.hull]), `hull, n = ${n}`);
    for (let e = 0; e < ours.halfedges.length; e++) {
      const o = ours.halfedges[e];
      if (o < 0) continue;
      const next = (h) => (h % 3 === 2 ? h - 2 : h + 1);
      assert.equal(ours.triangles[o], ours.triangles[next(e)]);
      assert.equal(ours.triangles[next(o)], ours.triangles[e]);
    }
  }
  const points = Array.from({ length: 50 }, (_, i) => ({ x: Math.cos(i * 2.4) * i, y: Math.sin(i * 2.4) * i }));
  const a = Delaunator.from(points, (p) => p.x, (p) => p.y);
  const b = Reference.from(points, (p) => p.x, (p) => p.y);
  assert.equal(a.triangles.length, b.triangles.length);
  a.coords[0] += 0.25;
  a.update();
  assertSound(a, -1, 'after update');
});

test('memory goes back after every call', () => {
  const coords = uniform(300, 8);
  const wide = circle(200000, 1);
  new Delaunator(wide);
  const before = memoryStats();
  for (let i = 0; i < 10000; i++) {
    const t = i % 2 ? triangulate(coords) : new Delaunator(coords);
    if (t.triangles.length === 0) assert.fail('no triangles');
  }
  new Delaunator(wide);
  const after = memoryStats();
  assert.equal(after.heapBytesInUse, 0);
  assert.equal(before.heapBytesInUse, 0);
  assert.equal(after.memoryBytes, before.memoryBytes, 'the WebAssembly memory did not grow');
});

test('bad input is a TypeError or RangeError that says what is wrong', () => {
  assert.throws(() => triangulate(), { name: 'TypeError', message: /points must be a Float64Array/ });
  assert.throws(() => triangulate('0,0,1,1'), TypeError);
  assert.throws(() => triangulate([0, 0, 1]), { name: 'RangeError', message: /even count/ });
  assert.throws(() => triangulate(new Float64Array(5)), RangeError);
  assert.throws(() => triangulate([0, 0, '1', 1]), { name: 'TypeError', message: /points\[2\]/ });
  assert.throws(() => triangulate([[0, 0], [1]]), { name: 'RangeError', message: /points\[1\]/ });
  assert.throws(() => triangulate([[0, 0], null]), TypeError);
  assert.throws(() => triangulate([[0, 0], [1, 'a']]), TypeError);
  assert.throws(() => triangulate(new BigInt64Array(4)), TypeError);
  assert.throws(() => triangulate([[0, 0]], 5), TypeError);
  assert.throws(() => new Delaunator(), TypeError);
  assert.throws(() => new Delaunator([[0, 0], [1, 1]]), { name: 'TypeError', message: /Delaunator.from/ });
  assert.throws(() => Delaunator.from([{}, {}, {}]), TypeError);
  assert.throws(() => Delaunator.from([[0, 0]], 'x'), TypeError);
  // Still working after all of that.
  assertSound(triangulate(uniform(50, 1)), 1, 'after bad input');
});
