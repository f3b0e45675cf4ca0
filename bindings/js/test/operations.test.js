// The operations on a finished mesh from JavaScript, read back and checked
// against what they promise: the located triangle holds its query (exact
// orientation), interpolation reproduces linear functions, the nearest
// point is nearest, Voronoi cells tile the box and hold their sites.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import Delaunator, { memoryStats, triangulate } from '../index.js';
import { orient } from './support/exact.js';
import { clusters, random, uniform } from './support/families.js';
import { fixturesFolder, readFixture } from './support/fixtures.js';

const meshes = () => [
  ['uniform', uniform(2000, 3)],
  ['clusters', clusters(1500, 4)],
  ['lattice with repeats', readFixture(`${fixturesFolder}/small_lattice_with_repeats.csv`)],
];

function queriesAround(coords, count, seed) {
  const rnd = random(seed);
  let [x0, y0, x1, y1] = [Infinity, Infinity, -Infinity, -Infinity];
  for (let i = 0; i < coords.length; i += 2) {
    x0 = Math.min(x0, coords[i]); x1 = Math.max(x1, coords[i]);
    y0 = Math.min(y0, coords[i + 1]); y1 = Math.max(y1, coords[i + 1]);
  }
  const q = new Float64Array(2 * count);
  for (let i = 0; i < count; i++) {
    q[2 * i] = x0 - 0.1 * (x1 - x0) + 1.2 * (x1 - x0) * rnd();
    q[2 * i + 1] = y0 - 0.1 * (y1 - y0) + 1.2 * (y1 - y0) * rnd();
  }
  return q;
}

// Whether (x, y) lies in the closed convex hull (counter-clockwise).
function inHull(t, x, y) {
  const c = t.coords;
  for (let i = 0; i < t.hull.length; i++) {
    const a = t.hull[i], b = t.hull[(i + 1) % t.hull.length];
    if (orient(c[2 * a], c[2 * a + 1], c[2 * b], c[2 * b + 1], x, y) < 0) return false;
  }
  return true;
}

test('locate finds a triangle that holds each query, -1 only outside the hull', () => {
  for (const [name, coords] of meshes()) {
    const t = triangulate(coords);
    const d = new Delaunator(coords);
    const q = queriesAround(coords, 2000, 7);
    const found = t.locate(q);
    assert.deepEqual(d.locate(q), found, `${name}: the drop-in numbers triangles the same`);
    const c = t.coords;
    for (let i = 0; i < found.length; i++) {
      const [x, y] = [q[2 * i], q[2 * i + 1]];
      if (found[i] < 0) {
        assert.ok(!inHull(t, x, y), `${name}: query ${i} is inside the hull`);
        continue;
      }
      const v = t.triangles.subarray(3 * found[i], 3 * found[i] + 3);
      for (let k = 0; k < 3; k++) {
        const a = v[k], b = v[(k + 1) % 3];
        assert.ok(orient(c[2 * a], c[2 * a + 1], c[2 * b], c[2 * b + 1], x, y) >= 0, `${name}: query ${i}`);
      }
    }
    assert.equal(t.triangleAt(c[0], c[1]) >= 0, true);
  }
});

test('interpolation: linear and natural reproduce linear functions, nearest takes the nearest point', () => {
  for (const [name, coords] of meshes()) {
    const t = triangulate(coords);
    const n = coords.length / 2;
    const values = new Float64Array(2 * n);  // two values per point
    for (let i = 0; i < n; i++) {
      values[2 * i] = 2 * coords[2 * i] - 3 * coords[2 * i + 1] + 1;
      values[2 * i + 1] = i;
    }
    const q = queriesAround(coords, 500, 9);
    for (const method of ['linear', 'natural']) {
      const out = t.interpolate(values, q, { method, fill: -7 });
      for (let i = 0; i < 500; i++) {
        const [x, y] = [q[2 * i], q[2 * i + 1]];
        if (inHull(t, x, y)) {
          assert.ok(Math.abs(out[2 * i] - (2 * x - 3 * y + 1)) < 1e-9 * (1 + Math.abs(x) + Math.abs(y)), `${name} ${method} ${i}`);
        } else if (out[2 * i] !== -7) {
          // On the hull's boundary up to rounding only.
          assert.ok(Math.abs(out[2 * i] - (2 * x - 3 * y + 1)) < 1e-9, `${name} ${method} ${i} outside`);
        }
      }
    }
    const nearest = t.interpolate(values, q, { method: 'nearest' });
    for (let i = 0; i < 500; i++) {
      const [x, y] = [q[2 * i], q[2 * i + 1]];
      let best = Infinity;
      for (let p = 0; p < n; p++) best = Math.min(best, (coords[2 * p] - x) ** 2 + (coords[2 * p + 1] - y) ** 2);
      const p = nearest[2 * i + 1];
      assert.equal(nearest[2 * i], values[2 * p]);
      assert.ok((coords[2 * p] - x) ** 2 + (coords[2 * p + 1] - y) ** 2 <= best * (1 + 1e-12), `${name} nearest ${i}`);
      if (i < 50) assert.equal(t.find(x, y), p, `${name}: find agrees with nearest`);
    }
  }
});

function area(polygon) {
  let a = 0;
  for (let i = 0; i + 1 < polygon.length; i++) a += polygon[i][0] * polygon[i + 1][1] - polygon[i + 1][0] * polygon[i][1];
  return a / 2;
}

test('Voronoi cells tile the box, each convex around its site', () => {
  for (const [name, coords] of meshes()) {
    const d = new Delaunator(coords);
    let [x0, y0, x1, y1] = [Infinity, Infinity, -Infinity, -Infinity];
    for (let i = 0; i < coords.length; i += 2) {
      x0 = Math.min(x0, coords[i]); x1 = Math.max(x1, coords[i]);
      y0 = Math.min(y0, coords[i + 1]); y1 = Math.max(y1, coords[i + 1]);
    }
    const box = [x0 - 1, y0 - 1, x1 + 1, y1 + 1];
    const voronoi = d.voronoi(box);
    let total = 0;
    for (let i = 0; i < coords.length / 2; i++) {
      const cell = voronoi.cellPolygon(i);
      if (d.vertexOfPoint[i] !== i) {
        assert.equal(cell, null, `${name}: a repeated point has no cell`);
        continue;
      }
      assert.deepEqual(cell[0], cell[cell.length - 1], 'closed');
      for (let k = 0; k + 2 < cell.length; k++) {
        const [a, b, c] = [cell[k], cell[k + 1], cell[(k + 2) % (cell.length - 1)]];
        assert.ok(orient(a[0], a[1], b[0], b[1], c[0], c[1]) >= 0 || Math.abs(area([a, b, c, a])) < 1e-12, `${name}: cell ${i} convex`);
        assert.ok(orient(a[0], a[1], b[0], b[1], coords[2 * i], coords[2 * i + 1]) >= 0 ||
          Math.abs(area([a, b, [coords[2 * i], coords[2 * i + 1]], a])) < 1e-9, `${name}: cell ${i} holds its site`);
      }
      total += area(cell);
    }
    const boxArea = (box[2] - box[0]) * (box[3] - box[1]);
    assert.ok(Math.abs(total - boxArea) < 1e-9 * boxArea, `${name}: cells cover the box (${total} of ${boxArea})`);
    assert.equal([...voronoi.cellPolygons()].length, new Set(d.vertexOfPoint).size);

    const diagram = triangulate(coords).voronoiDiagram();
    assert.equal(diagram.vertices.length, d.triangles.length * 2 / 3);
    assert.equal(diagram.regionOffsets.length, coords.length / 2 + 1);
  }
});

test('operations: bad input and memory', () => {
  const t = triangulate(uniform(100, 2));
  assert.throws(() => t.locate([0, 0, 1]), RangeError);
  assert.throws(() => t.locate('x'), TypeError);
  assert.throws(() => t.interpolate(new Float64Array(7), [[0, 0]]), { name: 'RangeError', message: /multiple of the 100 points/ });
  assert.throws(() => t.interpolate(new Float64Array(100), [[0, 0]], { method: 'cubic' }), RangeError);
  assert.throws(() => t.interpolate(new Float64Array(100), [[0, 0]], { fill: '0' }), TypeError);
  assert.throws(() => t.voronoi([0, 0, 1]), RangeError);
  assert.throws(() => t.voronoi([1, 0, 0, 1]), RangeError);
  assert.throws(() => t.voronoi('box'), TypeError);
  assert.throws(() => t.find('a', 0), TypeError);
  assert.throws(() => t.find(NaN, 0), RangeError);
  for (let i = 0; i < 2000; i++) {
    t.locate([[0.5, 0.5]]);
    t.voronoi([0, 0, 1, 1]);
  }
  assert.equal(memoryStats().heapBytesInUse, 0);
});
