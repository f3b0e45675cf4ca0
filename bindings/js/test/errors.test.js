// Odd arguments reported as the package reports invalid arguments (a
// RangeError naming what is wrong, the module left usable), and the
// default Voronoi bounds for point sets whose bounding box is flat.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import Delaunator, { memoryStats, triangulate } from '../index.js';

function area(polygon) {
  let twice = 0;
  for (let k = 0; k + 1 < polygon.length; k++) {
    twice += polygon[k][0] * polygon[k + 1][1] - polygon[k + 1][0] * polygon[k][1];
  }
  return twice / 2;
}

test('bounds without width or height are a RangeError naming them', () => {
  const t = triangulate([[0, 0], [1, 0], [0, 1], [1, 1]]);
  for (const box of [[0, 0, 0, 1], [0, 0, 1, 0], [0.5, 0.5, 0.5, 0.5]]) {
    assert.throws(() => t.voronoi(box), (e) => e instanceof RangeError && e.message.includes(`bounds [${box.join(', ')}]`));
  }
  assert.equal(t.voronoi([0, 0, 1, 1]).cellPolygon(0).length, 5);
});

test('default bounds of one point or points on a line have area, and the cells fill them', () => {
  const cases = [
    ['one point', [3, 4], 1],
    ['one point near 1e300', [1e300, -2e300], 1],
    ['horizontal line', [0, 1, 2, 1, 5, 1], 3],
    ['vertical line', [7, -1, 7, 0, 7, 4, 7, 4], 3],
    ['repeats of one point', [2, 2, 2, 2], 1],
  ];
  for (const [name, coords, cellCount] of cases) {
    for (const d of [new Delaunator(coords), triangulate(coords)]) {
      const v = d.voronoi();
      const [x0, y0, x1, y1] = v.bounds;
      assert.ok(x0 < x1 && y0 < y1, `${name}: bounds ${v.bounds}`);
      const cells = [...v.cellPolygons()];
      assert.equal(cells.length, cellCount, name);
      // Areas in units of the box: a box near 1e300 squared would overflow.
      const unit = cells.map((c) => c.map(([x, y]) => [(x - x0) / (x1 - x0), (y - y0) / (y1 - y0)]));
      const total = unit.reduce((sum, c) => sum + area(c), 0);
      assert.ok(Math.abs(total - 1) < 1e-12, `${name}: cells cover ${total} of the box`);
    }
  }
  // The line's box is square about it: half its length each side.
  assert.deepEqual(triangulate([0, 1, 2, 1, 5, 1]).voronoi().bounds, [0, -1.5, 5, 3.5]);
});

test('a segment naming a NaN point is a RangeError naming the segment, and the module stays usable', () => {
  const coords = [0, 0, 1, 0, 1, 1, NaN, 0.5, 0, 1];
  const before = memoryStats();
  for (const segments of [[[0, 2], [1, 3]], [0, 2, 1, 3], Uint32Array.of(0, 2, 1, 3)]) {
    assert.throws(() => triangulate(coords, { segments }),
      (e) => e instanceof RangeError && /segment 1 \(1, 3\) names point 3/.test(e.message));
    assert.throws(() => new Delaunator(coords, { segments }), RangeError);
  }
  for (const bad of [Infinity, -Infinity]) {
    assert.throws(() => triangulate([0, 0, 1, 0, bad, 1], { segments: [[2, 0]] }), /segment 0 \(2, 0\)/);
  }
  // The point alone (no segment names it) is left out as without segments.
  const t = triangulate(coords, { segments: [[0, 2]] });
  assert.equal(t.vertexOfPoint[3], -1);
  assert.equal(memoryStats().heapBytesInUse, before.heapBytesInUse);
});
