// triangulate() and the drop-in class on every input of tests/fixtures
// (one per fault found: repeats, non-finite, collinear, cocircular,
// subnormal and huge points among them) and on generated points at every
// size, read back and checked exactly by test/support/exact.js; memory over
// many calls; bad input.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import Delaunator, { memoryStats, triangulate, version } from '../index.js';
import { checkMesh } from './support/exact.js';
import { circle, everySize, uniform } from './support/families.js';
import { everyFixture } from './support/fixtures.js';

function assertSound(mesh, orientation, label) {
  const check = checkMesh(mesh, orientation);
  assert.ok(check.ok, `${label}: ${check.problems.join('; ')}`);
}

// Repeats stand for their first copy and non-finite points for none
// (vertexOfPoint, checked by checkMesh); without triangles the hull is every
// distinct point along their line.
function assertBothInterfaces(name, coords) {
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

test('every fixture is an exact Delaunay triangulation, in both orientations', () => {
  for (const [name, coords] of everyFixture()) assertBothInterfaces(name, coords);
});

test('generated points at every size are an exact Delaunay triangulation, in both orientations', () => {
  for (const [name, coords] of everySize()) assertBothInterfaces(name, coords);
});

test('a worked example: the unit square and its centre', () => {
  const t = triangulate([[0, 0], [1, 0], [1, 1], [0, 1], [0.5, 0.5]]);
  assert.equal(t.triangles.length, 12);
  assert.deepEqual([...t.hull].sort(), [0, 1, 2, 3]);
  for (let k = 0; k < 4; k++) assert.ok([...t.triangles.subarray(3 * k, 3 * k + 3)].includes(4));
  assert.match(version, /^\d+\.\d+\.\d+$/);
  assertSound(triangulate([]), 1, 'no points');
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
